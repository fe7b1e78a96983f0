#pragma once
// A failure of one step of a run: what the program was doing, what kind of failure it was, and
// what the system answered.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/error_codes.h"

namespace qh {

// What a program was doing when a step failed.
enum class Activity {
    Unknown,
    StartingExcel,
    StartingScriptingRuntime,
    ReadingStartupFolder,
    FindingInstallerFolder,
    FindingWindowsFolder,
    CheckingFolder,
    CreatingFolder,
    CopyingIntoStartupFolder,
    CopyingIntoHelpFolder,
    CheckingFile,
    RemovingFile,
    QuittingExcel,
    CheckingMedium,
};

struct Doing {
    Activity activity = Activity::Unknown;
    std::wstring name;                // the file or folder the words name
    std::vector<std::wstring> paths;  // full paths, shown below the words
};

// Why a step failed, as a user would say it.
enum class FailureKind {
    Other,
    FileNotFound,
    NotOnMedium,   // a file the installer copies is not beside it
    NotExtracted,  // nor is it when the installer runs from inside a zip archive
    FolderMissing,
    NoFolder,  // the system named an empty folder
    ReadOnly,
    InUse,
    AccessDenied,
    HelpFolderDeniedToAdministrator,  // the Windows Help folder refused a process with an administrator's full token
    ShareUnreadableToAdministrator,   // the administrator's account cannot read the medium's share
    AdministratorStepUnfinished,      // the program started as an administrator had not ended in time
    MediumChanged,                    // a file on the medium is not the one the installer was made with
    LinkOnMedium,                     // a link in the place of a file on the medium
    BrokenBuild,                      // the sums the installer carries cannot be read
    DiskFull,
    ExcelCannotStart,
    ExcelBusy,
    ExcelSilent,
    ExcelWaiting,  // showing a window of its own, for its user to answer
    NoScriptingRuntime,
};

class SetupError : public std::runtime_error {
public:
    // operation: the call that failed ("CopyFile", "Start excel.application");
    // argument: what it was called on (a path, a program identifier), may be empty;
    // code: the system's error number (an HRESULT or a Win32 error), 0 when there is none;
    // description: the system's words for it, or ours when the system has none.
    SetupError(std::wstring operation, std::wstring argument, std::int32_t code, std::wstring description)
        : std::runtime_error("setup step failed"),
          operation_(std::move(operation)),
          argument_(std::move(argument)),
          code_(code),
          description_(std::move(description)),
          kind_(KindOfError(code)) {}

    const std::wstring& Operation() const noexcept { return operation_; }
    const std::wstring& Argument() const noexcept { return argument_; }
    std::int32_t Code() const noexcept { return code_; }
    const std::wstring& Description() const noexcept { return description_; }

    // Set where the step is known better than the error number tells.
    FailureKind Kind() const noexcept { return kind_; }
    void SetKind(FailureKind kind) noexcept { kind_ = kind; }
    const Doing& WhatWasDoing() const noexcept { return doing_; }
    void SetDoing(Doing doing) { doing_ = std::move(doing); }
    // What the program did about the failure that the user should know (an Excel it ended).
    const std::wstring& Aftermath() const noexcept { return aftermath_; }
    void SetAftermath(std::wstring aftermath) { aftermath_ = std::move(aftermath); }

private:
    std::wstring operation_;
    std::wstring argument_;
    std::int32_t code_;
    std::wstring description_;
    FailureKind kind_;
    Doing doing_;
    std::wstring aftermath_;
};

// Runs `step`; a SetupError it throws learns what the program was doing.
template <typename Step>
auto DoStep(const Doing& doing, Step&& step) -> decltype(step()) {
    try {
        return step();
    } catch (SetupError& failure) {
        failure.SetDoing(doing);
        throw;
    }
}

}  // namespace qh
