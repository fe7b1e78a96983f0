#include "ui_driver/accessibility.h"

#include <oleacc.h>

#include <cwchar>
#include <future>
#include <iterator>
#include <optional>

#include "ui_driver/window_info.h"
#include "win32/com_ptr.h"
#include "win32/com_values.h"

namespace qh::testing {
namespace {

thread_local WinEventRecorder* t_recorder = nullptr;

std::wstring TextOrEmpty(HRESULT result, const win32::Bstr& text) { return SUCCEEDED(result) ? text.str() : L""; }

}  // namespace

AccessibleReading ReadClientObject(HWND window) {
    // AccessibleObjectFromWindow waits for the answer as long as it takes: the window is asked
    // first whether it answers at all.
    DWORD_PTR ignored = 0;
    if (!::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK,
                               static_cast<UINT>(kMessageTimeout.count()), &ignored)) {
        Fail(L"window " + DescribeWindow(window) + L" does not answer, so its accessible object cannot be read");
    }
    const win32::ComApartment apartment;
    win32::ComPtr<IAccessible> object;
    const HRESULT found = ::AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                                       object.put_void());
    if (FAILED(found) || !object) Fail(L"AccessibleObjectFromWindow refused window " + DescribeWindow(window));
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    win32::Variant role;
    if (FAILED(object->get_accRole(self, role.put())) || role.get().vt != VT_I4) {
        Fail(L"the accessible object of " + DescribeWindow(window) + L" tells no role");
    }
    win32::Bstr name, description;
    const HRESULT named = object->get_accName(self, name.put());
    const HRESULT described = object->get_accDescription(self, description.put());
    return {role.get().lVal, TextOrEmpty(named, name), TextOrEmpty(described, description)};
}

WinEventRecorder::WinEventRecorder(DWORD processId) {
    std::promise<DWORD> listening;
    thread_ = std::thread([this, processId, &listening] {
        MSG message{};
        ::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);  // the queue a quit is posted to
        t_recorder = this;
        const HWINEVENTHOOK hook =
            ::SetWinEventHook(EVENT_MIN, EVENT_MAX, nullptr, OnEvent, processId, 0, WINEVENT_OUTOFCONTEXT);
        listening.set_value(hook ? ::GetCurrentThreadId() : 0);
        if (!hook) return;
        while (::GetMessageW(&message, nullptr, 0, 0) > 0) ::DispatchMessageW(&message);
        ::UnhookWinEvent(hook);
    });
    threadId_ = listening.get_future().get();
    if (!threadId_) {
        thread_.join();
        Fail(L"SetWinEventHook refused to listen");
    }
}

WinEventRecorder::~WinEventRecorder() {
    ::PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
    thread_.join();
}

void CALLBACK WinEventRecorder::OnEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG objectId, LONG, DWORD, DWORD) {
    WinEventRecorder* recorder = t_recorder;
    const std::lock_guard lock(recorder->mutex_);
    recorder->seen_.push_back({event, window, objectId, std::chrono::steady_clock::now()});
}

std::chrono::steady_clock::time_point WinEventRecorder::WaitFor(DWORD event, HWND window,
                                                                std::chrono::milliseconds timeout,
                                                                LONG objectId) const {
    const auto seen = [&]() -> std::optional<std::chrono::steady_clock::time_point> {
        const std::lock_guard lock(mutex_);
        for (const Seen& candidate : seen_) {
            if (candidate.event == event && candidate.window == window && candidate.objectId == objectId) {
                return candidate.at;
            }
        }
        return std::nullopt;
    };
    return WaitUntil(timeout, seen, [&] {
        wchar_t number[16]{};
        std::swprintf(number, std::size(number), L"0x%04lX", static_cast<unsigned long>(event));
        return L"event " + std::wstring(number) + L" from window " + DescribeWindow(window);
    });
}

}  // namespace qh::testing
