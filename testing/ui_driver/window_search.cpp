#include "ui_driver/window_search.h"

#include "ui_driver/window_info.h"

namespace qh::testing {
namespace {

// A short answer time per control while scanning: a hung window must not stall a search of many.
constexpr std::chrono::milliseconds kScanMessageTimeout{500};

BOOL CALLBACK CollectWindow(HWND window, LPARAM windows) {
    reinterpret_cast<std::vector<HWND>*>(windows)->push_back(window);
    return TRUE;
}

// The control's text, or nothing when it has gone: controls go before their window does, so a
// window that is closing still lists children that no longer exist.
std::optional<std::wstring> TextForMatching(HWND control) {
    try {
        if (auto text = TryControlText(control, kScanMessageTimeout)) return text;
        return Caption(control);
    } catch (const std::runtime_error&) {
        if (::IsWindow(control)) throw;
        return std::nullopt;
    }
}

}  // namespace

bool WindowFilter::Matches(HWND window) const {
    if (!::IsWindow(window)) return false;
    if (visibleOnly && !IsVisible(window)) return false;
    if (processId && ProcessOf(window) != *processId) return false;
    if (caption && Caption(window) != *caption) return false;
    if (className && ClassName(window) != *className) return false;
    if (clientSize) {
        const SIZE size = ClientSize(window);
        if (size.cx != clientSize->cx || size.cy != clientSize->cy) return false;
    }
    if (childText && !FindChildByText(window, *childText)) return false;
    return !predicate || predicate(window);
}

std::wstring WindowFilter::Describe() const {
    std::wstring text = visibleOnly ? L"a visible top-level window" : L"a top-level window";
    if (processId) text += L" of process " + std::to_wstring(*processId);
    if (caption) text += L" with caption " + Quoted(*caption);
    if (className) text += L" of class " + Quoted(*className);
    if (clientSize) {
        text += L" with client size " + std::to_wstring(clientSize->cx) + L"x" + std::to_wstring(clientSize->cy);
    }
    if (childText) text += L" with a child control reading " + Quoted(*childText);
    if (predicate) text += L" that " + (predicateDescription.empty() ? L"passes a test" : predicateDescription);
    return text;
}

std::vector<HWND> FindTopLevelWindows(const WindowFilter& filter) {
    std::vector<HWND> all;
    ::EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&all));
    std::vector<HWND> matching;
    for (HWND window : all) {
        // A window may be destroyed while it is examined; its reads then fail, and it simply does not match.
        try {
            if (filter.Matches(window)) matching.push_back(window);
        } catch (const std::runtime_error&) {
            if (::IsWindow(window)) throw;
        }
    }
    return matching;
}

HWND WaitForWindow(const WindowFilter& filter, std::chrono::milliseconds timeout) {
    return WaitUntil(
        timeout,
        [&]() -> std::optional<HWND> {
            auto found = FindTopLevelWindows(filter);
            if (found.empty()) return std::nullopt;
            return found.front();
        },
        [&] { return filter.Describe(); });
}

HWND WaitForWindow(DWORD processId, const std::wstring& caption, std::chrono::milliseconds timeout) {
    WindowFilter filter;
    filter.processId = processId;
    filter.caption = caption;
    return WaitForWindow(filter, timeout);
}

HWND WaitForWindow(DWORD processId, const std::wstring& caption, std::function<bool(HWND)> predicate,
                   std::wstring predicateDescription, std::chrono::milliseconds timeout) {
    WindowFilter filter;
    filter.processId = processId;
    filter.caption = caption;
    filter.predicate = std::move(predicate);
    filter.predicateDescription = std::move(predicateDescription);
    return WaitForWindow(filter, timeout);
}

HWND WaitForWindowWithChildText(DWORD processId, const std::wstring& text, std::chrono::milliseconds timeout) {
    WindowFilter filter;
    filter.processId = processId;
    filter.childText = text;
    return WaitForWindow(filter, timeout);
}

void WaitForWindowGone(HWND window, std::chrono::milliseconds timeout) {
    const std::wstring description = DescribeWindow(window);
    WaitUntil(
        timeout, [&] { return !::IsWindow(window) || !IsVisible(window); },
        [&] { return L"window " + description + L" to close"; });
}

void WaitForNoWindow(const WindowFilter& filter, std::chrono::milliseconds timeout) {
    WaitUntil(
        timeout, [&] { return FindTopLevelWindows(filter).empty(); },
        [&] { return L"no " + filter.Describe().substr(2) + L" to be left"; });
}

std::vector<HWND> ChildWindows(HWND parent) {
    std::vector<HWND> children;
    for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        children.push_back(child);
    }
    return children;
}

std::vector<HWND> DescendantWindows(HWND parent) {
    std::vector<HWND> all;
    for (HWND child : ChildWindows(parent)) {
        all.push_back(child);
        const auto below = DescendantWindows(child);
        all.insert(all.end(), below.begin(), below.end());
    }
    return all;
}

HWND FindChildByText(HWND parent, const std::wstring& text) {
    for (HWND child : DescendantWindows(parent)) {
        if (TextForMatching(child) == text) return child;
    }
    return nullptr;
}

HWND FindChildById(HWND parent, int controlId) {
    for (HWND child : DescendantWindows(parent)) {
        if (ControlId(child) == controlId) return child;
    }
    return nullptr;
}

}  // namespace qh::testing
