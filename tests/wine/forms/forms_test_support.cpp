#include "forms_test_support.h"
#include "test_handles.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "forms/designs.h"
#include "forms/form_window.h"

namespace qh::testing {
namespace {

constexpr UINT kStepIntervalMs = 40;
constexpr int kRescueAfterTicks = 75;  // 3 s after the last step

WhileModal* g_running = nullptr;

}  // namespace

std::unique_ptr<forms::Win32Forms> MakeForms(int dpi) {
    return std::make_unique<forms::Win32Forms>(::GetModuleHandleW(nullptr), kAllForms, forms::LayoutScale(dpi));
}

void ShowForInspection(forms::Win32Forms& forms, Form form) {
    forms.Show(Form::Form1, ShowMode::Modeless, std::nullopt);
    if (form != Form::Form1) forms.Show(form, ShowMode::Modeless, Form::Form1);
}

HWND ControlOf(const forms::Win32Forms& forms, Form form, std::size_t position) {
    HWND window = forms.WindowOf(form);
    if (!window) return nullptr;
    // A control inside a frame is a child of the frame, so every descendant is looked at.
    struct Search {
        int id;
        HWND found;
    } search{forms::kFirstControlId + static_cast<int>(position), nullptr};
    ::EnumChildWindows(
        window,
        [](HWND child, LPARAM context) -> BOOL {
            auto& wanted = *reinterpret_cast<Search*>(context);
            if (::GetDlgCtrlID(child) != wanted.id) return TRUE;
            wanted.found = child;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring_view DesignedText(Form form, std::wstring_view name, int index) {
    for (const forms::ControlDesign& control : forms::DesignOf(form).controls) {
        if (control.name == name && control.index == index) return control.text;
    }
    throw std::out_of_range("the design has no such control");
}

WhileModal::WhileModal(FormsRuntime& forms, std::vector<Step> steps) : forms_(forms), steps_(std::move(steps)) {
    if (g_running) throw std::logic_error("one WhileModal at a time");
    g_running = this;
    timer_ = ::SetTimer(nullptr, 0, kStepIntervalMs, OnTimer);
    if (!timer_) throw std::runtime_error("SetTimer failed");
}

WhileModal::~WhileModal() {
    ::KillTimer(nullptr, timer_);
    g_running = nullptr;
    EXPECT_TRUE(Done()) << "the modal Show returned before every step had run";
}

void CALLBACK WhileModal::OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (g_running) g_running->Tick();
}

void WhileModal::Tick() {
    if (next_ < steps_.size()) {
        // The step may run a nested loop; the next tick must not run the step after it meanwhile.
        const std::size_t current = next_++;
        steps_[current]();
        return;
    }
    if (++ticksAfterLastStep_ == kRescueAfterTicks) {
        ADD_FAILURE() << "the modal Show did not return after the last step; ending it";
        forms_.End();
    }
}

void PressKey(WORD virtualKey) {
    HWND focus = ::GetFocus();
    ASSERT_NE(focus, nullptr) << "no window has the focus";
    const UINT scanCode = ::MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC);
    ::PostMessageW(focus, WM_KEYDOWN, virtualKey, static_cast<LPARAM>(1 | (scanCode << 16)));
    ::PostMessageW(focus, WM_KEYUP, virtualKey, static_cast<LPARAM>(1 | (scanCode << 16) | (3u << 30)));
}

void TypeCharacter(HWND window, wchar_t character) { ::PostMessageW(window, WM_CHAR, character, 1); }

void PumpFor(FormsRuntime& forms, std::chrono::milliseconds duration) {
    const auto deadline = forms.Now() + duration;
    while (forms.Now() < deadline) forms.PumpEventsUntil(deadline);
}

std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::wstring ClassName(HWND window) {
    wchar_t name[256]{};
    const int length = ::GetClassNameW(window, name, static_cast<int>(std::size(name)));
    return std::wstring(name, static_cast<std::size_t>(length));
}

std::array<int, 4> PlaceInParent(HWND window) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    ::MapWindowPoints(HWND_DESKTOP, ::GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
    return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

LOGFONTW FontOf(HWND window) {
    LOGFONTW font{};
    const auto handle = reinterpret_cast<HFONT>(::SendMessageW(window, WM_GETFONT, 0, 0));
    if (!handle || ::GetObjectW(handle, sizeof font, &font) == 0) ADD_FAILURE() << "the control has no font";
    return font;
}

std::wstring RealisedFace(HFONT font) {
    win32::WindowDc screen(nullptr);
    win32::SelectObjectGuard selected(screen.get(), font);
    wchar_t face[LF_FACESIZE]{};
    const int length = ::GetTextFaceW(screen.get(), static_cast<int>(std::size(face)), face);
    return std::wstring(face, length > 0 ? static_cast<std::size_t>(length - 1) : 0);
}

ControlColours ColoursOf(HWND control) {
    // A read-only edit asks as a static control does; an editable one as an edit.
    const bool readOnly = (::GetWindowLongW(control, GWL_STYLE) & ES_READONLY) != 0;
    PixelCanvas canvas({1, 1});
    ::SetTextColor(canvas.Dc(), RGB(1, 2, 3));
    ::SetBkColor(canvas.Dc(), RGB(4, 5, 6));
    const auto brush = reinterpret_cast<HBRUSH>(
        ::SendMessageW(::GetParent(control), readOnly ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT,
                       reinterpret_cast<WPARAM>(canvas.Dc()), reinterpret_cast<LPARAM>(control)));
    return {brush, ::GetTextColor(canvas.Dc()), ::GetBkColor(canvas.Dc())};
}

namespace {

HBITMAP MakeDib(SIZE size, void** bits) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = size.cx;
    info.bmiHeader.biHeight = -size.cy;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}

}  // namespace

PixelCanvas::PixelCanvas(SIZE size)
    : size_(size),
      dc_(::CreateCompatibleDC(nullptr)),
      bitmap_(MakeDib(size, &bits_)),
      selected_(dc_.get(), bitmap_.get()) {
    if (!dc_ || !bitmap_) throw std::runtime_error("cannot make a pixel canvas");
}

COLORREF PixelCanvas::At(int x, int y) const {
    ::GdiFlush();
    const std::uint32_t pixel = static_cast<const std::uint32_t*>(bits_)[y * size_.cx + x];
    return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
}

}  // namespace qh::testing
