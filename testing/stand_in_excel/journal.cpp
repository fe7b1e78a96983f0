#include "journal.h"

#include <windows.h>

#include <string>

#include "test_settings.h"
#include "utf8.h"
#include "win32/unique_handle.h"
#include "test_handles.h"

namespace qh::testing {

namespace {

// Several processes append to the same file; each opens it for one line only and waits briefly
// while another one holds it.
win32::UniqueFileHandle OpenForAppending(const std::wstring& path) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        win32::UniqueFileHandle file(::CreateFileW(path.c_str(), FILE_APPEND_DATA,
                                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                   OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file || ::GetLastError() != ERROR_SHARING_VIOLATION) return file;
        ::Sleep(10);
    }
    return {};
}

}  // namespace

void JournalEvent(std::wstring_view event, std::wstring_view detail) {
    const auto path = JournalSetting();
    if (!path) return;
    std::wstring line(event);
    line += L' ';
    line += std::to_wstring(::GetCurrentProcessId());
    if (!detail.empty()) {
        line += L' ';
        line += detail;
    }
    line += L'\n';
    const std::string bytes = ToUtf8(line);
    auto file = OpenForAppending(*path);
    if (!file) return;
    DWORD written = 0;
    ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::FlushFileBuffers(file.get());
}

}  // namespace qh::testing
