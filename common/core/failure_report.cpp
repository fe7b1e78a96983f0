#include "core/failure_report.h"

#include <cstdint>
#include <cwchar>

namespace qh {
namespace {

// {name} in these texts stands for the file or folder the step is about, {program} for
// "installer" or "uninstaller".
struct ActivityWords {
    Activity activity;
    const wchar_t* words;
};

constexpr ActivityWords kActivities[] = {
    {Activity::StartingExcel, L"Starting Excel to find its start-up folder"},
    {Activity::StartingScriptingRuntime, L"Starting Windows' scripting runtime to work with the files"},
    {Activity::ReadingStartupFolder, L"Asking Excel for its start-up folder"},
    {Activity::FindingInstallerFolder, L"Finding the folder the installer runs from"},
    {Activity::FindingWindowsFolder, L"Finding the Windows folder"},
    {Activity::CheckingFolder, L"Checking whether the folder {name} exists"},
    {Activity::CreatingFolder, L"Creating the folder {name}"},
    {Activity::CopyingIntoStartupFolder, L"Copying {name} into Excel's start-up folder"},
    {Activity::CopyingIntoHelpFolder, L"Copying {name} into the Windows Help folder"},
    {Activity::CheckingFile, L"Checking whether {name} is installed"},
    {Activity::RemovingFile, L"Removing {name}"},
    {Activity::QuittingExcel, L"Telling Excel to quit"},
};

struct KindWords {
    FailureKind kind;
    const wchar_t* why;
    const wchar_t* whatToDo;  // none where there is no clear next step
};

constexpr KindWords kKinds[] = {
    {FailureKind::Other, L"Windows reported an error.", nullptr},
    {FailureKind::FileNotFound, L"The file was not found.", nullptr},
    {FailureKind::NotOnMedium, L"The file is not on the installation medium.",
     L"Copy the whole installation medium again, then run the installer from the copy."},
    {FailureKind::NotExtracted, L"The installer was started from inside a zip archive, without the files beside it.",
     L"Extract all the files of the zip first (right-click it, Extract All), then run the installer from the "
     L"extracted folder."},
    {FailureKind::FolderMissing, L"The folder does not exist.", nullptr},
    {FailureKind::NoFolder, L"The system named no folder, so there is no place for the files.", nullptr},
    {FailureKind::ReadOnly, L"The file is read-only.",
     L"Clear the file's Read-only attribute (in its Properties), then run the {program} again."},
    {FailureKind::InUse, L"The file is open in another program.",
     L"Close the program that has the file open, then run the {program} again."},
    {FailureKind::AccessDenied, L"Windows refused access.",
     L"Ask an administrator to run the {program}."},
    {FailureKind::HelpFolderDenied, L"Windows refused access to its Help folder, which only an administrator may change.",
     L"Nothing, for the add-in itself: it works without its help file. An administrator can run the installer as "
     L"themselves to add the help file."},
    {FailureKind::DiskFull, L"The disk is full.", L"Make room on the disk, then run the {program} again."},
    {FailureKind::ExcelCannotStart, L"Excel is not installed or cannot be started.",
     L"Repair or install Excel, then run the {program} again."},
    {FailureKind::ExcelBusy, L"Excel stayed busy: it refused this program's requests.",
     L"Run the {program} again in a few minutes."},
    {FailureKind::ExcelSilent, L"Excel stopped answering: it gave no answer within a minute.",
     L"Start Excel by hand, answer whatever it asks and close it, then run the {program} again."},
    {FailureKind::NoScriptingRuntime, L"Windows' scripting runtime (scrrun.dll) is missing or turned off on this computer.",
     L"Ask an administrator to register it (regsvr32 scrrun.dll), then run the {program} again."},
};

std::wstring Filled(std::wstring text, const std::wstring& name, Program program) {
    const auto replace = [&text](std::wstring_view field, const std::wstring& value) {
        if (const auto at = text.find(field); at != std::wstring::npos) text.replace(at, field.size(), value);
    };
    replace(L"{name}", name);
    replace(L"{program}", program == Program::Installer ? L"installer" : L"uninstaller");
    return text;
}

std::wstring Heading(Program program) {
    return program == Program::Installer ? L"Quenzo Halvorn could not be installed.\r\n"
                                         : L"Quenzo Halvorn could not be removed.\r\n";
}

std::wstring WhatWasDone(const Doing& doing, Program program) {
    // A step no one named: the run as a whole.
    const wchar_t* words = program == Program::Installer ? L"Installing Quenzo Halvorn" : L"Removing Quenzo Halvorn";
    for (const auto& known : kActivities) {
        if (known.activity == doing.activity) words = known.words;
    }
    std::wstring text = Filled(words, doing.name, program) + L"\r\n";
    for (const auto& path : doing.paths) text += L"    " + path + L"\r\n";
    return text;
}

const KindWords& WordsFor(FailureKind kind) {
    for (const auto& known : kKinds) {
        if (known.kind == kind) return known;
    }
    return kKinds[0];
}

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

std::wstring Report(const Doing& doing, FailureKind kind, const std::wstring& aftermath, const std::wstring& support,
                    const RunRecord& record) {
    const KindWords& words = WordsFor(kind);
    std::wstring text = Heading(record.program) + L"\r\n" + WhatWasDone(doing, record.program) + L"\r\n" + words.why;
    if (!aftermath.empty()) text += L" " + aftermath;
    text += L"\r\n\r\n" + WhereTheMachineStands(record);
    if (words.whatToDo) text += L"\r\nWhat to do: " + Filled(words.whatToDo, doing.name, record.program) + L"\r\n";
    return text + L"\r\nFor support: " + support + L"\r\n";
}

}  // namespace

std::wstring DescribeFailure(const SetupError& failure, const RunRecord& record) {
    std::wstring support = failure.Operation();
    if (!failure.Argument().empty()) support += L" (" + failure.Argument() + L")";
    if (failure.Code() != 0) support += L", error " + ErrorNumber(failure.Code());
    if (!failure.Description().empty()) support += L": " + failure.Description();
    return Report(failure.WhatWasDoing(), failure.Kind(), failure.Aftermath(), support, record);
}

std::wstring DescribeUnexpectedFailure(const std::wstring& what, const RunRecord& record) {
    return Report(Doing{}, FailureKind::Other, {}, what, record);
}

}  // namespace qh
