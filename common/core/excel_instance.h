#pragma once
// The Excel instance a run starts for itself, only to ask for its start-up folder.
//
// Real Excel is slow, busy and sometimes silent. Every call to it runs on the platform's call
// thread while the windows go on being handled. A call Excel refuses because it is busy is made
// again after a short pause; its creation is asked for once, since every request starts another
// Excel. Each step (the start, Hwnd, StartupPath, Quit) gets kExcelAnswerTime in all; an Excel
// that has not answered by then, or still refuses, is ended, and so is one the release could not
// see quit: left running hidden, it would serve nobody and hold on to what it has open. One that
// shows a window of its own (a sign-in or activation question) is waiting for its user, and is
// left running for them to answer.
//
// Once let go, it takes a moment to end; the run waits for it at its very end (ClosingExcel).
//
// Only the Excel this run started is ever ended. Once created, it names its window (Hwnd), whose
// process is opened and held for the instance's life. Before that, or from an automation server
// that does not name its window, the processes of the server's program noted just before the
// request tell which one started for it.
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/automation.h"
#include "core/error_codes.h"
#include "core/platform.h"
#include "core/server_start_note.h"
#include "core/setup_error.h"

namespace qh {

inline constexpr wchar_t kExcelProgramId[] = L"excel.application";

inline constexpr std::chrono::seconds kExcelAnswerTime{60};
inline constexpr std::chrono::milliseconds kBusyRetryPause{250};
// How long a call in progress may take to come back once its Excel has been ended, and how long
// the release waits for a call still on its way (Quit, when a window failed meanwhile).
inline constexpr std::chrono::seconds kEndedExcelGrace{10};

class ExcelInstance {
public:
    // Starts the instance and finds its process.
    explicit ExcelInstance(Platform& platform);
    ExcelInstance(const ExcelInstance&) = delete;
    ExcelInstance& operator=(const ExcelInstance&) = delete;
    ~ExcelInstance() { Release(); }

    std::wstring StartupPath();
    void Quit();
    // Makes it quit unless it was told to or had to be ended (a failure is then on its way
    // already, so errors are dropped), then lets it go; ends it when a call to it is still on
    // its way after kEndedExcelGrace.
    void Release() noexcept;

private:
    // Shared with the call thread, which may still hold it when a call never came back.
    struct Remote {
        AutomationPtr excel;
    };
    using Step = std::function<Value(Remote&)>;

    // Asks for the instance, once.
    void Create();
    // Opens and holds the process of the window Excel names as its own.
    void HoldOwnProcess();
    // Runs the step on the call thread, asking again while Excel is busy, within kExcelAnswerTime.
    // A failure says the program was doing `activity`.
    Value CallUntilAnswered(Activity activity, std::wstring_view step, const Step& call);
    // Runs the step once; ends Excel when it has not come back by `deadline`.
    Value CallOnce(std::wstring_view step, const Step& call, std::chrono::steady_clock::time_point deadline);
    bool WaitForCallThread(std::chrono::steady_clock::time_point deadline);
    // Ends the Excel this run started, and no other, unless it waits for its user in a window of
    // its own; how each process of it ended.
    std::vector<Ending> EndOwnExcel();
    void EndOwnExcelQuietly() noexcept;
    // Ends it as above and tells `failure` what came of that.
    void GiveUpOn(SetupError& failure);
    // Gives up on the instance that did not answer in time and throws the step's failure.
    [[noreturn]] void GiveUp(std::wstring_view step, std::int32_t code, std::wstring description);

    Platform& platform_;
    ServerStartNote startNote_;
    std::unique_ptr<HeldProcess> ownProcess_;
    std::shared_ptr<Remote> remote_ = std::make_shared<Remote>();
    bool quitSent_ = false;
    bool givenUp_ = false;  // ended, or left to the user it waits for: nothing more is asked of it
    bool released_ = false;
};

}  // namespace qh
