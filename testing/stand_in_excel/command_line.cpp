#include "command_line.h"

#include <windows.h>

namespace qh::testing {

namespace {

bool IsSwitch(const std::wstring& argument, const wchar_t* name) {
    if (argument.size() < 2 || (argument[0] != L'/' && argument[0] != L'-')) return false;
    return ::CompareStringOrdinal(argument.c_str() + 1, -1, name, -1, TRUE) == CSTR_EQUAL;
}

}  // namespace

RunMode ParseRunMode(const std::vector<std::wstring>& arguments) {
    if (arguments.empty()) return RunMode::UserExcel;
    if (arguments.size() != 1) return RunMode::Invalid;
    const std::wstring& argument = arguments.front();
    if (IsSwitch(argument, L"Embedding") || IsSwitch(argument, L"Automation")) return RunMode::Automation;
    if (IsSwitch(argument, L"regserver")) return RunMode::Register;
    if (IsSwitch(argument, L"unregserver")) return RunMode::Unregister;
    return RunMode::Invalid;
}

}  // namespace qh::testing
