#pragma once
// Late-bound automation objects: every member is named at the call, as a script would name it.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace qh {

class AutomationObject;
using AutomationPtr = std::unique_ptr<AutomationObject>;

// What a member call gives back.
using Value = std::variant<std::monostate, bool, std::int32_t, std::wstring, AutomationPtr>;
// What a member call takes.
using Argument = std::variant<bool, std::int32_t, std::wstring>;

class AutomationObject {
public:
    virtual ~AutomationObject() = default;
    // Reads a property by name.
    virtual Value Get(std::wstring_view property) = 0;
    // Calls a method by name, arguments in their written order.
    virtual Value Call(std::wstring_view method, const std::vector<Argument>& arguments = {}) = 0;
};

class AutomationFactory {
public:
    virtual ~AutomationFactory() = default;
    // A new instance of the class registered under this program identifier.
    virtual AutomationPtr CreateObject(std::wstring_view programId) = 0;
};

// Narrow a returned value to the kind the caller needs; a mismatch is a SetupError naming `member`.
std::wstring AsText(Value&& value, std::wstring_view member);
bool AsBool(Value&& value, std::wstring_view member);
std::int32_t AsNumber(Value&& value, std::wstring_view member);
AutomationPtr AsObject(Value&& value, std::wstring_view member);

}  // namespace qh
