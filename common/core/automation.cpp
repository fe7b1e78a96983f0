#include "core/automation.h"

#include "core/setup_error.h"

namespace qh {
namespace {

[[noreturn]] void ThrowUnexpected(std::wstring_view member, const wchar_t* expected) {
    throw SetupError(std::wstring(member), {}, 0, std::wstring(L"The answer was not ") + expected);
}

}  // namespace

std::wstring AsText(Value&& value, std::wstring_view member) {
    if (auto* text = std::get_if<std::wstring>(&value)) return std::move(*text);
    ThrowUnexpected(member, L"a text");
}

bool AsBool(Value&& value, std::wstring_view member) {
    if (auto* flag = std::get_if<bool>(&value)) return *flag;
    ThrowUnexpected(member, L"True or False");
}

std::int32_t AsNumber(Value&& value, std::wstring_view member) {
    if (auto* number = std::get_if<std::int32_t>(&value)) return *number;
    ThrowUnexpected(member, L"a number");
}

AutomationPtr AsObject(Value&& value, std::wstring_view member) {
    if (auto* object = std::get_if<AutomationPtr>(&value); object != nullptr && *object != nullptr) {
        return std::move(*object);
    }
    ThrowUnexpected(member, L"an object");
}

}  // namespace qh
