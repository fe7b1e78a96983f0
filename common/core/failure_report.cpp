#include "core/failure_report.h"

#include <cstdint>
#include <chrono>
#include <cwchar>

#include "core/excel_instance.h"
#include "core/help_file_step.h"
#include "core/product.h"

namespace qh {
namespace {

// {name} in these texts stands for the file or folder the step is about, {program} for
// "installer" or "uninstaller". Every value has its words: the build fails on one without.
const wchar_t* ActivityWords(Activity activity) {
    switch (activity) {
        case Activity::Unknown: return nullptr;  // a step no one named: the run as a whole
        case Activity::StartingExcel: return L"Starting Excel to find its start-up folder";
        case Activity::StartingScriptingRuntime: return L"Starting Windows' scripting runtime to work with the files";
        case Activity::ReadingStartupFolder: return L"Asking Excel for its start-up folder";
        case Activity::FindingInstallerFolder: return L"Finding the folder the installer runs from";
        case Activity::FindingWindowsFolder: return L"Finding the Windows folder";
        case Activity::CheckingFolder: return L"Checking whether the folder {name} exists";
        case Activity::CreatingFolder: return L"Creating the folder {name}";
        case Activity::CopyingIntoStartupFolder: return L"Copying {name} into Excel's start-up folder";
        case Activity::CopyingIntoHelpFolder: return L"Copying {name} into the Windows Help folder";
        case Activity::CheckingFile: return L"Checking whether {name} is installed";
        case Activity::RemovingFile: return L"Removing {name}";
        case Activity::QuittingExcel: return L"Telling Excel to quit";
        case Activity::CheckingMedium: return L"Checking {name} on the installation medium";
    }
    return nullptr;  // no value of the enumeration
}

struct KindWords {
    const wchar_t* why;
    const wchar_t* whatToDo;  // none where there is no clear next step
};

// The ExcelSilent words say how long Excel had, and the AdministratorStepUnfinished words how long
// the administrator's copy.
static_assert(kExcelAnswerTime == std::chrono::minutes(1), "the report says \"within a minute\"");
static_assert(kAdministratorStepTime == std::chrono::minutes(5), "the report says \"within five minutes\"");

KindWords WordsFor(FailureKind kind) {
    switch (kind) {
        case FailureKind::Other: return {L"Windows reported an error.", nullptr};
        case FailureKind::FileNotFound: return {L"The file was not found.", nullptr};
        case FailureKind::NotOnMedium:
            return {L"The file is not on the installation medium.",
                    L"Copy the whole installation medium again, then run the installer from the copy."};
        case FailureKind::NotExtracted:
            return {L"The installer was started from inside a zip archive, without the files beside it.",
                    L"Extract all the files of the zip first (right-click it, Extract All), then run the installer "
                    L"from the extracted folder."};
        case FailureKind::FolderMissing: return {L"The folder does not exist.", nullptr};
        case FailureKind::NoFolder:
            return {L"The system named no folder, so there is no place for the files.", nullptr};
        case FailureKind::ReadOnly:
            return {L"The file is read-only.",
                    L"Clear the file's Read-only attribute (in its Properties), then run the {program} again."};
        case FailureKind::InUse:
            return {L"The file is open in another program.",
                    L"Close the program that has the file open, then run the {program} again."};
        case FailureKind::AccessDenied:
            return {L"Windows refused access.", L"Ask an administrator to run the {program}."};
        case FailureKind::HelpFolderDeniedToAdministrator:
            return {L"Windows refused access to its Help folder, even to an administrator.",
                    L"Ask whoever looks after this computer's security settings why administrators may not change "
                    L"the Windows Help folder, then run the {program} again."};
        case FailureKind::ShareUnreadableToAdministrator:
            return {L"The administrator's account cannot read the network share the {program} runs from.",
                    L"Copy the whole installation medium into a folder on this computer, then run the {program} "
                    L"from there."};
        case FailureKind::AdministratorStepUnfinished:
            return {
                L"The {program} started again as an administrator had not ended within five minutes. It was "
                L"left running: it may still be running, and may yet finish the help file's step.",
                L"Wait until it has ended (Task Manager's Details tab shows it while it runs), then run the "
                L"{program} again."};
        case FailureKind::DiskFull:
            return {L"The disk is full.", L"Make room on the disk, then run the {program} again."};
        case FailureKind::ExcelCannotStart:
            return {L"Excel is not installed or cannot be started.",
                    L"Repair or install Excel, then run the {program} again."};
        case FailureKind::ExcelBusy:
            return {L"Excel stayed busy: it refused this program's requests.",
                    L"Run the {program} again in a few minutes."};
        case FailureKind::ExcelSilent:
            return {L"Excel stopped answering: it gave no answer within a minute.",
                    L"Start Excel by hand, answer whatever it asks and close it, then run the {program} again."};
        case FailureKind::ExcelWaiting:
            return {
                L"Excel is waiting for an answer in a window of its own (for instance a sign-in or activation "
                L"question), and did not answer this program.",
                L"Answer that window or close it, then run the {program} again."};
        case FailureKind::MediumChanged:
            return {
                L"The file is not the one this installer was made with: the installation medium is damaged or "
                L"was changed.",
                L"Get the installation medium again. If you downloaded it, download it again and check it "
                L"against the sums published beside it before you open it."};
        case FailureKind::LinkOnMedium:
            return {
                L"The file on the installation medium is a link to another file (a symbolic link), which the "
                L"{program} does not follow into the Windows folder.",
                L"Get the installation medium again, or copy its files themselves into a folder of their own, "
                L"then run the {program} from there."};
        case FailureKind::BrokenBuild:
            return {L"The installer is damaged: the sums of its files that it carries cannot be read.",
                    L"Get the installation medium again."};
        case FailureKind::NoScriptingRuntime:
            return {L"Windows' scripting runtime (scrrun.dll) is missing or turned off on this computer.",
                    L"Ask an administrator to register it (regsvr32 scrrun.dll), then run the {program} again."};
    }
    return {L"Windows reported an error.", nullptr};  // no value of the enumeration
}

std::wstring Filled(std::wstring text, const std::wstring& name, Program program) {
    const auto replace = [&text](std::wstring_view field, const std::wstring& value) {
        if (const auto at = text.find(field); at != std::wstring::npos) text.replace(at, field.size(), value);
    };
    replace(L"{name}", name);
    replace(L"{program}", std::wstring(ProgramNoun(program)));
    return text;
}

const wchar_t* WhyNoAdministrator(NoAdministrator why) {
    switch (why) {
        case NoAdministrator::NobodyToAsk:
            return L"this run could ask nobody for one (it was quiet, or had no desktop that anyone sees).";
        case NoAdministrator::Declined: return L"the request for an administrator was declined.";
        case NoAdministrator::NotAllowed: return L"this computer's policy allows no request for an administrator.";
    }
    return L"";  // no value of the enumeration
}

std::wstring Heading(Program program) {
    return std::wstring(kProductName) +
           (program == Program::Installer ? L" could not be installed.\r\n" : L" could not be removed.\r\n");
}

std::wstring WhatWasDone(const Doing& doing, Program program) {
    const wchar_t* words = ActivityWords(doing.activity);
    std::wstring text =
        words ? Filled(words, doing.name, program)
              : (program == Program::Installer ? L"Installing " : L"Removing ") + std::wstring(kProductName);
    text += L"\r\n";
    for (const auto& path : doing.paths) text += L"    " + path + L"\r\n";
    return text;
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
    const KindWords words = WordsFor(kind);
    std::wstring text = Heading(record.program) + L"\r\n" + WhatWasDone(doing, record.program) + L"\r\n" +
                        Filled(words.why, doing.name, record.program);
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

std::wstring DescribeHelpFileLeft(const RunRecord& record) {
    const bool installing = record.program == Program::Installer;
    std::wstring text = std::wstring(kProductName) + (installing ? L"'s help file was not installed:\r\n    "
                                                                 : L"'s help file was not removed:\r\n    ");
    text += record.helpFileLeft + L"\r\n\r\nOnly an administrator may change the Windows Help folder, and " +
            WhyNoAdministrator(record.whyLeft);
    if (installing) text += L" The add-in works without its help file.";
    text += L"\r\n";
    if (const auto& done = installing ? record.filesCopied : record.filesDeleted; !done.empty()) {
        text += installing ? L"\r\nThese files were installed:\r\n" : L"\r\nThese files were removed:\r\n";
        for (const auto& file : done) text += L"    " + file + L"\r\n";
    }
    // Where policy allows no request, a "Run as administrator" from this desktop is refused too.
    const bool fromThisDesktop = record.whyLeft != NoAdministrator::NotAllowed;
    return text + L"\r\nWhat to do: to " + (installing ? L"add" : L"remove") + L" the help file, an administrator " +
           (fromThisDesktop ? L"" : L"signed in to Windows with their own account ") + L"runs the " +
           std::wstring(ProgramNoun(record.program)) +
           (fromThisDesktop ? L" once (right-click it, Run as administrator)" : L" once") +
           L", or it is deployed in the system context, which " + (installing ? L"installs" : L"removes") +
           L" the help file alone.\r\n";
}

}  // namespace qh
