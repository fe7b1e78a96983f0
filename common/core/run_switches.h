#pragma once
// What a program's command line asks for. Switches begin with "/" or "-", in any letter case and
// any order; with none, a run is exactly the interactive one.
#include <string>
#include <string_view>
#include <vector>

namespace qh {

struct RunSwitches {
    bool quiet = false;    // "/quiet": no window and no message box; the uninstaller takes it as consent
    bool help = false;     // "/?": the switches and exit codes in a message box
    std::wstring logFile;  // "/log FILE": the run's steps appended to FILE
    std::wstring unknown;  // the first argument that is none of these
    // kHelpFileStepSwitch: the program started again as an administrator, for the help file alone
    bool helpFileStep = false;
};

// The arguments of a command line after the program's own name: separated by blanks, with double
// quotes holding blanks together (the quotes themselves dropped).
std::vector<std::wstring> ArgumentsOf(std::wstring_view commandLine);

// The help file's switch counts only alone; beside anything else it is an unknown argument.
RunSwitches ParseSwitches(const std::vector<std::wstring>& arguments);

// What "/?" shows: the switches and the exit codes, then `note` (what this program checks); an
// unknown argument is named first.
std::wstring SwitchesHelp(const std::wstring& unknown, std::wstring_view note);

}  // namespace qh
