#include "core/run_switches.h"

#include <iterator>
#include <utility>

#include "core/elevation.h"
#include "core/exit_codes.h"
#include "core/text.h"

namespace qh {

std::vector<std::wstring> ArgumentsOf(std::wstring_view commandLine) {
    std::vector<std::wstring> words;
    std::wstring word;
    bool inWord = false;
    bool quoted = false;
    for (const wchar_t c : commandLine) {
        if (c == L'"') {
            quoted = !quoted;
            inWord = true;
        } else if ((c == L' ' || c == L'\t') && !quoted) {
            if (inWord) words.push_back(std::exchange(word, {}));
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) words.push_back(word);
    if (!words.empty()) words.erase(words.begin());  // the program's own name
    return words;
}

RunSwitches ParseSwitches(const std::vector<std::wstring>& arguments) {
    RunSwitches switches;
    for (auto it = arguments.begin(); it != arguments.end(); ++it) {
        const std::wstring& argument = *it;
        const bool isSwitch = argument.size() > 1 && (argument[0] == L'/' || argument[0] == L'-');
        const std::wstring_view name = isSwitch ? std::wstring_view(argument).substr(1) : std::wstring_view();
        if (isSwitch && SameIgnoringCase(name, L"quiet")) {
            switches.quiet = true;
        } else if (isSwitch && SameIgnoringCase(name, L"log") && std::next(it) != arguments.end()) {
            switches.logFile = *++it;
        } else if (isSwitch && name == L"?") {
            switches.help = true;
        } else if (isSwitch && SameIgnoringCase(name, kHelpFileStepSwitch.substr(1)) && arguments.size() == 1) {
            switches.helpFileStep = true;
        } else if (switches.unknown.empty()) {
            switches.unknown = argument;
        }
    }
    return switches;
}

std::wstring SwitchesHelp(const std::wstring& unknown, std::wstring_view note) {
    std::wstring text = unknown.empty() ? L"" : L"Unknown argument: " + unknown + L"\r\n\r\n";
    text +=
        L"Switches (with / or -, in any order):\r\n"
        L"    /quiet    no window and no message box; the uninstaller takes it as consent\r\n"
        L"    /log FILE    the run's steps appended to FILE (UTF-8)\r\n"
        L"    /?        this list\r\n\r\nExit codes:\r\n";
    for (int code = 0; code < kExitCodeLimit; ++code) {
        const std::wstring_view meaning = MeaningOf(static_cast<ExitCode>(code));
        if (!meaning.empty()) text += L"    " + std::to_wstring(code) + L"    " + std::wstring(meaning) + L"\r\n";
    }
    if (!note.empty()) text += L"\r\n" + std::wstring(note) + L"\r\n";
    return text;
}

}  // namespace qh
