#pragma once
// The Excel instance a run starts for itself, only to ask for its start-up folder.
//
// Real Excel is slow, busy and sometimes silent. Every call to it runs on the platform's call
// thread while the windows go on being handled. A call Excel refuses because it is busy is made
// again after a short pause. Each step (the start, StartupPath, Quit) gets kExcelAnswerTime in
// all; an Excel that has not answered by then, or still refuses, is ended: it is hidden, this run
// started it and it holds no work of the user's, and left running it would make every later run
// ask the user to close an Excel they cannot see. Quit reaches it even when a later step fails.
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "core/automation.h"
#include "core/platform.h"
#include "core/setup_error.h"

namespace qh {

inline constexpr wchar_t kExcelProgramId[] = L"excel.application";

inline constexpr std::chrono::seconds kExcelAnswerTime{60};
inline constexpr std::chrono::milliseconds kBusyRetryPause{250};
// How long a call in progress may take to come back once its Excel has been ended.
inline constexpr std::chrono::seconds kEndedExcelGrace{10};

// What a busy Excel answers: the call was not made, ask again later.
inline constexpr std::int32_t kCallRejected = static_cast<std::int32_t>(0x80010001);  // RPC_E_CALL_REJECTED
inline constexpr std::int32_t kRetryLater = static_cast<std::int32_t>(0x8001010A);    // RPC_E_SERVERCALL_RETRYLATER
// The error a step reports when Excel did not answer in time.
inline constexpr std::int32_t kNoAnswer = static_cast<std::int32_t>(0x8001011F);      // RPC_E_TIMEOUT

class ExcelInstance {
public:
    // Starts the instance.
    explicit ExcelInstance(Platform& platform);
    ExcelInstance(const ExcelInstance&) = delete;
    ExcelInstance& operator=(const ExcelInstance&) = delete;
    ~ExcelInstance() { Release(); }

    std::wstring StartupPath();
    void Quit();
    // Makes it quit unless it was told to or had to be ended (a failure is then on its way
    // already, so errors are dropped), then lets it go.
    void Release() noexcept;

private:
    // Shared with the call thread, which may still hold it when a call never came back.
    struct Remote {
        AutomationPtr excel;
    };
    using Step = std::function<Value(Remote&)>;

    // Runs the step on the call thread, asking again while Excel is busy, within kExcelAnswerTime.
    // A failure says the program was doing `activity`.
    Value Answer(Activity activity, std::wstring_view step, const Step& call);
    Value TryAnswer(std::wstring_view step, const Step& call);
    bool WaitForCallThread(std::chrono::steady_clock::time_point deadline);
    // Ends the instance that did not answer in time and throws the step's failure, which says so.
    [[noreturn]] void GiveUp(std::wstring_view step, std::int32_t code);

    Platform& platform_;
    std::shared_ptr<Remote> remote_ = std::make_shared<Remote>();
    bool quitSent_ = false;
    bool ended_ = false;
    bool callThreadFree_ = true;
    bool released_ = false;
};

}  // namespace qh
