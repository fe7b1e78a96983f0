#include "forms/form_window.h"

#include <oleacc.h>

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <string>

#include "core/spoken_text.h"
#include "forms/accessible_object.h"
#include "forms/frame_box.h"
#include "win32/win32_error.h"

namespace qh::forms {
namespace {

constexpr DWORD kSizableStyle = WS_OVERLAPPEDWINDOW;
// A close box and nothing else; the tool-window frame gives the small caption and no taskbar button.
constexpr DWORD kToolWindowStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;

DWORD StyleOf(FrameKind frame) { return frame == FrameKind::Sizable ? kSizableStyle : kToolWindowStyle; }

DWORD ExtendedStyleOf(FrameKind frame) { return frame == FrameKind::Sizable ? 0 : WS_EX_TOOLWINDOW; }

bool SameFont(const FontDesign& a, const FontDesign& b) {
    return a.face == b.face && a.hundredthsOfPoint == b.hundredthsOfPoint && a.weight == b.weight;
}

// A borderless multi-line field without scroll bars: without horizontal scrolling lines wrap at
// word boundaries, and without vertical scrolling what does not fit the height is cut off.
// An editable field scrolls down as the user types, though: without it, the field refuses every
// key that would need one more line than it shows, and it shows its full text already.
DWORD TextFieldStyle(const ControlDesign& control) {
    DWORD style = ES_MULTILINE | (control.alignment == Alignment::Centre ? ES_CENTER : ES_LEFT);
    style |= control.readOnly ? ES_READONLY : ES_AUTOVSCROLL;
    return style;
}

// What the window's own accessible object says: a question is a dialog and a progress window an
// alert, each described by its message; the start-up window says no more than the system's does.
std::optional<AccessibleFacts> AccessibleFactsOf(const WindowDesign& design) {
    long role = 0;
    switch (RoleOf(design.form)) {
        case WindowRole::Plain: return std::nullopt;
        case WindowRole::Question: role = ROLE_SYSTEM_DIALOG; break;
        case WindowRole::Progress: role = ROLE_SYSTEM_ALERT; break;
    }
    const auto message = std::ranges::find_if(design.controls, &ControlDesign::isMessage);
    return AccessibleFacts{role, std::wstring(design.caption),
                           message != design.controls.end() ? SpokenText(message->text) : std::wstring()};
}

// EVENT_OBJECT_LIVEREGIONCHANGED, which the headers give only to programs for Windows 8 and later;
// Windows 7 ignores it.
constexpr DWORD kLiveRegionChanged = 0x8019;

bool ScreenReaderRuns() noexcept {
    BOOL running = FALSE;
    return ::SystemParametersInfoW(SPI_GETSCREENREADER, 0, &running, 0) && running;
}

}  // namespace

void FormWindow::RegisterClasses(HINSTANCE instance) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(SystemColour::ButtonFace) + 1);
    windowClass.lpszClassName = kFormClass;
    if (!::RegisterClassExW(&windowClass) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        win32::ThrowLastError(L"RegisterClassExW", kFormClass);
    }
    RegisterPictureBoxClass(instance);
}

FormWindow::FormWindow(HINSTANCE instance, const WindowDesign& design, LayoutScale scale, const LogoPicture& logo,
                       FrameForwarding& frames, FormEvents& events, HWND owner)
    : design_(design),
      scale_(scale),
      frames_(frames),
      events_(events),
      pictureContent_{
          &logo, {scale.ImagePixels(logo.PixelSize().cx), scale.ImagePixels(logo.PixelSize().cy)}, &events} {
    CreateFrameWindow(instance, owner);
    LoadIcons(instance);
    CreateControls(instance);
}

FormWindow::~FormWindow() {
    // The window goes without a word to the runtime: this is an unload or the end of the program.
    if (window_) ::SetWindowLongPtrW(window_.get(), GWLP_USERDATA, 0);
    AnnounceGone();
}

void FormWindow::CreateFrameWindow(HINSTANCE instance, HWND owner) {
    const DWORD style = StyleOf(design_.frame);
    const DWORD extendedStyle = ExtendedStyleOf(design_.frame);
    const int clientWidth = scale_.PixelsAcross(design_.client.width);
    const int clientHeight = scale_.PixelsDown(design_.client.height);
    RECT outer{0, 0, clientWidth, clientHeight};
    if (!::AdjustWindowRectEx(&outer, style, FALSE, extendedStyle)) win32::ThrowLastError(L"AdjustWindowRectEx");
    const int width = outer.right - outer.left;
    const int height = outer.bottom - outer.top;
    // The centre of the screen, not of the owner, whether or not the owner has been moved.
    const int left = (::GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int top = (::GetSystemMetrics(SM_CYSCREEN) - height) / 2;

    const std::wstring caption(design_.caption);
    ::CreateWindowExW(extendedStyle, kFormClass, caption.c_str(), style, left, top, width, height, owner, nullptr,
                      instance, this);
    if (!window_) win32::ThrowLastError(L"CreateWindowExW", std::wstring(FormName(design_.form)));

    // Should the frame differ from what AdjustWindowRectEx foresaw, the client size still wins.
    RECT client{};
    ::GetClientRect(window_.get(), &client);
    const int growX = clientWidth - client.right;
    const int growY = clientHeight - client.bottom;
    if (growX != 0 || growY != 0) {
        ::SetWindowPos(window_.get(), nullptr, left - growX / 2, top - growY / 2, width + growX, height + growY,
                       SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void FormWindow::LoadIcons(HINSTANCE instance) {
    if (design_.iconId == 0) return;
    const auto load = [&](int sizeX, int sizeY) {
        return win32::UniqueIcon(static_cast<HICON>(
            win32::ThrowLastErrorIfNull(::LoadImageW(instance, MAKEINTRESOURCEW(design_.iconId), IMAGE_ICON,
                                                     ::GetSystemMetrics(sizeX), ::GetSystemMetrics(sizeY), 0),
                                        L"LoadImageW", std::wstring(FormName(design_.form)) + L" icon")));
    };
    bigIcon_ = load(SM_CXICON, SM_CYICON);
    smallIcon_ = load(SM_CXSMICON, SM_CYSMICON);
    ::SendMessageW(window_.get(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_.get()));
    ::SendMessageW(window_.get(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.get()));
}

void FormWindow::CreateControls(HINSTANCE instance) {
    // Created in tab order: the order of creation is the order the Tab key follows.
    controls_.reserve(design_.controls.size());
    int id = kFirstControlId;
    for (const ControlDesign& control : design_.controls) {
        controls_.push_back(CreateControl(instance, control, id++));
        if (control.isMessage) messageField_ = controls_.back();
    }
}

HWND FormWindow::CreateControl(HINSTANCE instance, const ControlDesign& control, int id) {
    const wchar_t* windowClass = nullptr;
    DWORD style = WS_CHILD | WS_VISIBLE | (control.tabStop ? WS_TABSTOP : 0);
    DWORD extendedStyle = 0;
    void* createParameter = nullptr;
    switch (control.kind) {
        case ControlKind::TextField:
            windowClass = L"EDIT";
            style |= TextFieldStyle(control);
            break;
        case ControlKind::Frame:
            windowClass = L"BUTTON";
            // Clipping its child keeps the group box from painting over the text field it holds.
            style |= BS_GROUPBOX | WS_CLIPCHILDREN;
            break;
        case ControlKind::PictureBox:
            windowClass = kPictureBoxClass;
            if (control.sunkenBorder) extendedStyle |= WS_EX_CLIENTEDGE;
            createParameter = &pictureContent_;
            break;
        case ControlKind::Button:
            windowClass = L"BUTTON";
            style |= BS_PUSHBUTTON;
            break;
    }

    const RECT rect = scale_.Pixels(control.rect);
    const std::wstring text(control.text);
    const std::wstring name =
        std::wstring(control.name) + (control.index ? L"(" + std::to_wstring(control.index) + L")" : L"");
    HWND created = ::CreateWindowExW(extendedStyle, windowClass, text.c_str(), style, rect.left, rect.top,
                                     rect.right - rect.left, rect.bottom - rect.top, ContainerOf(control),
                                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, createParameter);
    win32::ThrowLastErrorIfNull(created, L"CreateWindowExW", name);

    if (control.kind == ControlKind::Frame) frames_.Attach(created);
    if (control.kind != ControlKind::PictureBox) {
        ::SendMessageW(created, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(control.font)), FALSE);
    }
    return created;
}

HWND FormWindow::ContainerOf(const ControlDesign& control) const {
    if (control.containerName.empty()) return window_.get();
    for (std::size_t i = 0; i < controls_.size(); ++i) {
        const ControlDesign& candidate = design_.controls[i];
        if (candidate.name == control.containerName && candidate.index == control.containerIndex) return controls_[i];
    }
    throw std::logic_error("a container must come before the controls it holds in the tab order");
}

HFONT FormWindow::FontFor(const FontDesign& font) {
    for (const Font& known : fonts_) {
        if (SameFont(known.design, font)) return known.font.get();
    }
    const std::wstring face(font.face);
    HFONT created = ::CreateFontW(scale_.FontHeight(font), 0, 0, 0, font.weight, FALSE, FALSE, FALSE, ANSI_CHARSET,
                                  OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                                  face.c_str());
    win32::ThrowLastErrorIfNull(created, L"CreateFontW", face);
    fonts_.push_back({font, win32::UniqueFont(created)});
    return created;
}

void FormWindow::SetOwner(HWND owner) {
    // GWLP_HWNDPARENT of a top-level window is its owner.
    if (::GetWindow(window_.get(), GW_OWNER) != owner) {
        ::SetWindowLongPtrW(window_.get(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
    }
}

void FormWindow::Show() {
    const bool appearing = !::IsWindowVisible(window_.get());
    ::ShowWindow(window_.get(), SW_SHOW);
    if (appearing) AnnounceShown();
    ::SetForegroundWindow(window_.get());
    if (!shownBefore_) {
        shownBefore_ = true;
        FocusFirstControl();
    }
    ::UpdateWindow(window_.get());
}

void FormWindow::Hide() {
    AnnounceGone();
    ::ShowWindow(window_.get(), SW_HIDE);
}

void FormWindow::Destroy() {
    AnnounceGone();
    if (window_) ::DestroyWindow(window_.get());
}

// The system raises these events only for windows of its own dialog class. They are raised on the
// client object, which is the one that says what the window is (the window object is the frame).
void FormWindow::AnnounceShown() {
    // A screen reader that runs may have asked nothing yet: UI Automation learns now what it reads.
    if (ScreenReaderRuns()) Annotate();
    switch (RoleOf(design_.form)) {
        case WindowRole::Plain: break;
        case WindowRole::Question:
            ::NotifyWinEvent(EVENT_SYSTEM_DIALOGSTART, window_.get(), OBJID_CLIENT, CHILDID_SELF);
            break;
        case WindowRole::Progress:
            ::NotifyWinEvent(EVENT_SYSTEM_ALERT, window_.get(), OBJID_CLIENT, CHILDID_SELF);
            if (messageField_) {
                ::NotifyWinEvent(kLiveRegionChanged, messageField_, OBJID_CLIENT, CHILDID_SELF);
            }
            break;
    }
}

void FormWindow::AnnounceGone() noexcept {
    if (window_ && ::IsWindowVisible(window_.get()) && RoleOf(design_.form) == WindowRole::Question) {
        ::NotifyWinEvent(EVENT_SYSTEM_DIALOGEND, window_.get(), OBJID_CLIENT, CHILDID_SELF);
    }
}

// Once per window, when assistive technology first shows an interest: a run nobody asks costs
// nothing.
void FormWindow::Annotate() noexcept {
    if (annotated_) return;
    annotated_ = true;
    switch (RoleOf(design_.form)) {
        case WindowRole::Plain: break;
        case WindowRole::Question: annotations_.MarkDialog(window_.get()); break;
        case WindowRole::Progress:
            if (messageField_) annotations_.MarkPoliteLiveRegion(messageField_);
            break;
    }
}

const ControlDesign* FormWindow::DesignOfControl(HWND control) const {
    for (std::size_t i = 0; i < controls_.size(); ++i) {
        if (controls_[i] == control) return &design_.controls[i];
    }
    return nullptr;
}

void FormWindow::FocusFirstControl() {
    for (HWND control : controls_) {
        const LONG style = ::GetWindowLongW(control, GWL_STYLE);
        if ((style & WS_TABSTOP) && (style & WS_VISIBLE) && !(style & WS_DISABLED)) {
            ::SetFocus(control);
            return;
        }
    }
    ::SetFocus(window_.get());
}

LRESULT FormWindow::OnControlColour(HDC dc, HWND control) {
    const ControlDesign* design = DesignOfControl(control);
    if (design && design->kind == ControlKind::TextField) {
        ::SetTextColor(dc, ::GetSysColor(static_cast<int>(design->textColour)));
        ::SetBkColor(dc, ::GetSysColor(static_cast<int>(SystemColour::Menu)));
        return reinterpret_cast<LRESULT>(::GetSysColorBrush(static_cast<int>(SystemColour::Menu)));
    }
    ::SetTextColor(dc, ::GetSysColor(static_cast<int>(SystemColour::WindowText)));
    ::SetBkColor(dc, ::GetSysColor(static_cast<int>(SystemColour::ButtonFace)));
    return reinterpret_cast<LRESULT>(::GetSysColorBrush(static_cast<int>(SystemColour::ButtonFace)));
}

void FormWindow::OnCommand(WORD notification, HWND control) {
    // Enter and Escape arrive here as IDOK and IDCANCEL without a control of ours: ignored.
    const ControlDesign* design = DesignOfControl(control);
    if (!design) return;
    if (notification == BN_CLICKED && design->kind == ControlKind::Button) {
        events_.OnButtonClick(design_.form, design->clickTag);
    } else if (notification == EN_SETFOCUS && design->kind == ControlKind::TextField && design->readOnly) {
        // A text nobody can type into shows no text cursor, also where it holds the focus for a
        // screen reader to read it: it would look like a field to fill in. (The edit made its
        // caret before it said it has the focus; it makes a fresh one each time.)
        ::HideCaret(control);
    }
}

// The dialog manager asks which button Enter clicks. There is no default button: Enter clicks the
// button that holds the focus, and nothing when the focus is elsewhere.
LRESULT FormWindow::FocusedButtonAsDefault() const {
    HWND focus = ::GetFocus();
    const ControlDesign* design = DesignOfControl(focus);
    if (!design || design->kind != ControlKind::Button) return 0;
    return MAKELRESULT(::GetDlgCtrlID(focus), DC_HASDEFID);
}

// What the dialog manager does for a dialog: a multi-line edit asks for this on Tab.
void FormWindow::MoveFocus(WPARAM wParam, LPARAM lParam) {
    HWND target =
        LOWORD(lParam) ? reinterpret_cast<HWND>(wParam) : ::GetNextDlgTabItem(window_.get(), ::GetFocus(), wParam != 0);
    if (!target) return;
    if (::SendMessageW(target, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) ::SendMessageW(target, EM_SETSEL, 0, -1);
    ::SetFocus(target);
}

// Like a dialog, the window gives the focus back to the control that had it when it was last active.
void FormWindow::OnActivate(bool active) {
    if (!active) {
        HWND focus = ::GetFocus();
        if (focus && ::IsChild(window_.get(), focus)) focusWhileInactive_ = focus;
        return;
    }
    if (focusWhileInactive_ && ::IsWindow(focusWhileInactive_)) {
        ::SetFocus(focusWhileInactive_);
    } else {
        FocusFirstControl();
    }
}

bool FormWindow::OnSetCursor(HWND cursorWindow, WORD hitTest) {
    // The design's pointer covers the window's own client area, not its controls.
    if (design_.mousePointer != MousePointer::Crosshair || cursorWindow != window_.get() || hitTest != HTCLIENT) {
        return false;
    }
    ::SetCursor(::LoadCursorW(nullptr, IDC_CROSS));
    return true;
}

LRESULT FormWindow::OnGetObject(WPARAM wParam, LPARAM lParam) {
    Annotate();
    const std::optional<AccessibleFacts> facts = AccessibleFactsOf(design_);
    return facts ? AnswerClientObject(window_.get(), wParam, lParam, *facts) : 0;
}

// Windows tells the top-level windows of a new colour scheme (high contrast switched on with its
// key, say), not their controls, and the common controls keep colours of their own until they
// hear of it. Nothing of ours keeps one: the brushes are the system's, which follow the scheme, and
// every colour is read as it is painted.
void FormWindow::OnSystemColoursChanged(WPARAM wParam, LPARAM lParam) {
    for (HWND control : controls_) ::SendMessageW(control, WM_SYSCOLORCHANGE, wParam, lParam);
    ::RedrawWindow(window_.get(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

LRESULT FormWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT: return OnControlColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        case WM_COMMAND: OnCommand(HIWORD(wParam), reinterpret_cast<HWND>(lParam)); return 0;
        case DM_GETDEFID: return FocusedButtonAsDefault();
        case WM_NEXTDLGCTL: MoveFocus(wParam, lParam); return 0;
        case WM_ACTIVATE: OnActivate(LOWORD(wParam) != WA_INACTIVE); return 0;
        case WM_SETCURSOR:
            if (OnSetCursor(reinterpret_cast<HWND>(wParam), LOWORD(lParam))) return TRUE;
            break;
        case WM_GETOBJECT:
            if (const LRESULT answer = OnGetObject(wParam, lParam)) return answer;
            break;
        case WM_SYSCOLORCHANGE: OnSystemColoursChanged(wParam, lParam); return 0;
        case WM_CLOSE:
            // The runtime unloads the form; nothing of this object may be touched afterwards.
            events_.OnCloseBox(design_.form);
            return 0;
        default: break;
    }
    return ::DefWindowProcW(window_.get(), message, wParam, lParam);
}

LRESULT CALLBACK FormWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<FormWindow*>(reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->window_ = win32::UniqueWindow(window);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<FormWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) return ::DefWindowProcW(window, message, wParam, lParam);

    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->window_.release();
        self->events_.OnDestroyed(self->design_.form);
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    try {
        return self->HandleMessage(message, wParam, lParam);
    } catch (...) {
        self->events_.OnFailure(std::current_exception());
        return 0;
    }
}

}  // namespace qh::forms
