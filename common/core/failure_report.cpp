#include "core/failure_report.h"

#include <cstdint>
#include <cwchar>

namespace qh {
namespace {

std::wstring ErrorNumber(std::int32_t code) {
    wchar_t text[32];
    // HRESULTs read best in hex, Win32 error numbers in decimal.
    if (code < 0) {
        std::swprintf(text, std::size(text), L"0x%08lX", static_cast<unsigned long>(static_cast<std::uint32_t>(code)));
    } else {
        std::swprintf(text, std::size(text), L"%ld", static_cast<long>(code));
    }
    return text;
}

std::wstring WhereTheMachineStands(const RunRecord& record) {
    std::wstring text;
    if (!record.foldersCreated.empty()) {
        text += L"These folders had been created for the files and stay in place:\r\n";
        for (const auto& folder : record.foldersCreated) text += L"    " + folder + L"\r\n";
    }
    if (!record.filesCopied.empty()) {
        text += L"These files had already been installed and stay in place:\r\n";
        for (const auto& file : record.filesCopied) text += L"    " + file + L"\r\n";
    }
    if (!record.filesDeleted.empty()) {
        text += L"These files had already been removed:\r\n";
        for (const auto& file : record.filesDeleted) text += L"    " + file + L"\r\n";
    }
    if (text.empty()) text = L"No file had been changed.\r\n";
    return text;
}

}  // namespace

std::wstring DescribeFailure(const SetupError& failure, const RunRecord& record) {
    std::wstring text = L"The setup could not be completed.\r\n\r\nWhat failed: " + failure.Operation() + L"\r\n";
    if (!failure.Argument().empty()) text += L"On: " + failure.Argument() + L"\r\n";
    if (failure.Code() != 0) {
        text += L"Error " + ErrorNumber(failure.Code()) + L": " + failure.Description() + L"\r\n";
    } else if (!failure.Description().empty()) {
        text += L"Reason: " + failure.Description() + L"\r\n";
    }
    return text + L"\r\n" + WhereTheMachineStands(record);
}

std::wstring DescribeUnexpectedFailure(const std::wstring& what, const RunRecord& record) {
    return L"The setup could not be completed.\r\n\r\nWhat failed: " + what + L"\r\n\r\n" +
           WhereTheMachineStands(record);
}

}  // namespace qh
