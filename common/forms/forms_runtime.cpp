#include "forms/forms_runtime.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "forms/resource_ids.h"
#include "win32/win32_error.h"

namespace qh::forms {
namespace {

struct VisibleWindows {
    HWND except;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectEnabledVisible(HWND window, LPARAM context) {
    auto& windows = *reinterpret_cast<VisibleWindows*>(context);
    if (window != windows.except && ::IsWindowVisible(window) && ::IsWindowEnabled(window)) {
        windows.found.push_back(window);
    }
    return TRUE;
}

// Disables the thread's other top-level windows that take input now; returns them.
std::vector<HWND> DisableOtherWindows(HWND modalWindow) {
    VisibleWindows windows{modalWindow, {}};
    ::EnumThreadWindows(::GetCurrentThreadId(), CollectEnabledVisible, reinterpret_cast<LPARAM>(&windows));
    for (HWND window : windows.found) ::EnableWindow(window, FALSE);
    return windows.found;
}

void Reenable(std::vector<HWND>& windows) noexcept {
    for (HWND window : windows) {
        if (::IsWindow(window)) ::EnableWindow(window, TRUE);
    }
    windows.clear();
}

}  // namespace

Win32Forms::Win32Forms(HINSTANCE instance, std::span<const Form> formsOfThisProgram, LayoutScale scale)
    : instance_(instance),
      forms_(formsOfThisProgram.begin(), formsOfThisProgram.end()),
      scale_(scale),
      logo_(instance, IDR_LOGO_JPEG) {
    FormWindow::RegisterClasses(instance);
}

Win32Forms::~Win32Forms() { DestroyAll(); }

Win32Forms::Instance* Win32Forms::Find(Form form) const noexcept {
    const auto found = instances_.find(form);
    return found != instances_.end() ? found->second.get() : nullptr;
}

bool Win32Forms::IsLoaded(Form form) const noexcept {
    const Instance* instance = Find(form);
    return instance && instance->window->IsAlive();
}

Win32Forms::Instance& Win32Forms::EnsureLoaded(Form form) {
    if (std::find(forms_.begin(), forms_.end(), form) == forms_.end()) {
        throw std::logic_error("this program has no such form");
    }
    auto& slot = instances_[form];
    if (slot && slot->window->IsAlive()) return *slot;

    // Every other form is owned by the start-up window.
    HWND owner = form != Form::Form1 && IsLoaded(Form::Form1) ? WindowOf(Form::Form1) : nullptr;
    FormEvents& events = *this;
    auto fresh = std::make_unique<Instance>();
    fresh->window =
        std::make_unique<FormWindow>(instance_, DesignOf(form), scale_, logo_, frameForwarding_, events, owner);
    slot = std::move(fresh);
    return *slot;
}

HWND Win32Forms::WindowOf(Form form) const noexcept {
    const Instance* instance = Find(form);
    return instance ? instance->window->Handle() : nullptr;
}

ModalEnd Win32Forms::Show(Form form, ShowMode mode, std::optional<Form> owner) {
    if (owner == form) throw std::logic_error("a form cannot own itself");
    HWND ownerWindow = owner ? EnsureLoaded(*owner).window->Handle() : nullptr;
    FormWindow& window = *EnsureLoaded(form).window;
    if (ownerWindow) window.SetOwner(ownerWindow);

    if (mode == ShowMode::Modeless) {
        window.Show();
        return ModalEnd::NotModal;
    }
    if (::IsWindowVisible(window.Handle())) throw std::logic_error("a form on screen cannot be shown modally");
    return RunModal(form, window);
}

ModalEnd Win32Forms::RunModal(Form form, FormWindow& window) {
    ModalFrame frame{form, DisableOtherWindows(window.Handle()), std::nullopt};
    modalFrames_.push_back(&frame);
    struct Leave {
        Win32Forms& forms;
        ModalFrame& frame;
        ~Leave() {
            Reenable(frame.disabledWindows);
            std::erase(forms.modalFrames_, &frame);
        }
    } leave{*this, frame};

    window.Show();
    while (!frame.end) {
        MSG message{};
        const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
        if (got == -1) win32::ThrowLastError(L"GetMessageW");
        if (got == 0) {
            ::PostQuitMessage(static_cast<int>(message.wParam));
            throw std::runtime_error("the program was told to quit while a dialog was open");
        }
        Dispatch(message);
        RethrowFailure();
    }
    return *frame.end;
}

void Win32Forms::EndModal(Form form, ModalEnd how) noexcept {
    for (ModalFrame* frame : modalFrames_) {
        if (frame->form == form && !frame->end) {
            Reenable(frame->disabledWindows);
            frame->end = how;
        }
    }
}

void Win32Forms::Hide(Form form) {
    FormWindow& window = *EnsureLoaded(form).window;
    EndModal(form, ModalEnd::Hidden);
    window.Hide();
}

void Win32Forms::Unload(Form form) {
    if (!Find(form)) return;
    EndModal(form, ModalEnd::Unloaded);
    instances_.erase(form);
}

std::wstring Win32Forms::Tag(Form form) { return EnsureLoaded(form).tag; }

void Win32Forms::SetTag(Form form, std::wstring tag) { EnsureLoaded(form).tag = std::move(tag); }

FormsRuntime::Clock::time_point Win32Forms::Now() { return Clock::now(); }

void Win32Forms::PumpEventsUntil(Clock::time_point deadline) {
    // A message sent since the last pump (a window shown, activated) may have failed.
    RethrowFailure();
    const auto now = Clock::now();
    if (deadline > now) {
        const auto wait = std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count();
        const auto timeout = static_cast<DWORD>(std::min<long long>(wait, INFINITE - 1));
        if (::MsgWaitForMultipleObjectsEx(0, nullptr, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE) == WAIT_FAILED) {
            win32::ThrowLastError(L"MsgWaitForMultipleObjectsEx");
        }
    }
    // The quit message stays queued and would wake every later wait at once: the wait ends here.
    if (!DispatchPending()) throw std::runtime_error("the program was told to quit while it waited");
    RethrowFailure();
}

// Returns false when the thread was told to quit (the quit message stays queued for the caller).
bool Win32Forms::DispatchPending() {
    MSG message{};
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(message.wParam));
            return false;
        }
        Dispatch(message);
        RethrowFailure();
    }
    return true;
}

void Win32Forms::Dispatch(MSG& message) {
    HWND root = message.hwnd ? ::GetAncestor(message.hwnd, GA_ROOT) : nullptr;
    const bool ours = root && std::any_of(instances_.begin(), instances_.end(), [root](const auto& entry) {
                          return entry.second && entry.second->window->Handle() == root;
                      });
    if (ours) {
        // No window has a cancel button, so Escape does nothing. It must not even reach a
        // multi-line edit, which would ask its parent to close.
        if (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE) return;
        // Tab, Shift+Tab and Enter as in a dialog (Enter through the focused button only).
        if (::IsDialogMessageW(root, &message)) return;
    }
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
}

void Win32Forms::RethrowFailure() {
    if (pendingFailure_) std::rethrow_exception(std::exchange(pendingFailure_, nullptr));
}

void Win32Forms::End() { DestroyAll(); }

void Win32Forms::DestroyAll() noexcept {
    for (ModalFrame* frame : modalFrames_) {
        Reenable(frame->disabledWindows);
        if (!frame->end) frame->end = ModalEnd::Unloaded;
    }
    // The owned windows first, then their owner, Form1, the first form; no window hears of it.
    for (auto entry = instances_.rbegin(); entry != instances_.rend(); ++entry) entry->second.reset();
}

void Win32Forms::OnButtonClick(Form form, std::wstring_view tag) {
    SetTag(form, std::wstring(tag));
    Hide(form);
}

void Win32Forms::OnCloseBox(Form form) {
    // An unload, but the window's procedure is still running: the window goes now, its instance
    // is replaced on the next reference.
    EndModal(form, ModalEnd::Unloaded);
    if (Instance* instance = Find(form)) instance->window->Destroy();
}

void Win32Forms::OnDestroyed(Form form) noexcept { EndModal(form, ModalEnd::Unloaded); }

void Win32Forms::OnFailure(std::exception_ptr failure) noexcept {
    if (!firstFailure_) firstFailure_ = failure;
    if (!pendingFailure_) pendingFailure_ = std::move(failure);
}

}  // namespace qh::forms
