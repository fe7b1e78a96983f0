#include "failure_injection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace qh::fake {
namespace {

using Calls = std::vector<std::wstring>;

bool Has(const Calls& calls, const std::wstring& call) {
    return std::find(calls.begin(), calls.end(), call) != calls.end();
}

// The call that brings each automation object into being.
const std::map<std::wstring, std::wstring> kMadeBy = {
    {L"excel", L"CreateObject excel.application"},
    {L"fso", L"CreateObject Scripting.FileSystemObject"},
    {L"folder", L"fso.GetSpecialFolder 0"},
};

}  // namespace

bool IsRelease(const std::wstring& call) { return call.find(L".Release") != std::wstring::npos; }

std::size_t CountFailableCalls(const Calls& calls) {
    return static_cast<std::size_t>(
        std::count_if(calls.begin(), calls.end(), [](const auto& c) { return !IsRelease(c); }));
}

void ExpectStoppedAtFailure(const Calls& full, const Calls& calls, std::size_t failAt) {
    std::size_t failing = 0;
    for (std::size_t seen = 0; failing < calls.size(); ++failing) {
        if (!IsRelease(calls[failing]) && seen++ == failAt) break;
    }
    ASSERT_LT(failing, calls.size()) << "failable call " << failAt << " never ran";
    SCOPED_TRACE(testing::Message() << "failing call " << testing::PrintToString(calls[failing]));

    const auto end = static_cast<std::ptrdiff_t>(failing) + 1;
    const Calls before(calls.begin(), calls.begin() + end);
    ASSERT_EQ(before, Calls(full.begin(), full.begin() + end)) << "the run before the failure differs";
    const Calls doneBefore(before.begin(), before.end() - 1);

    // After the failure: Quit to an Excel that exists and was not told yet, then the releases of
    // the objects that exist, in the order the complete run releases them; nothing else.
    Calls expectedAfter;
    // An Excel whose start failed may still come up, hidden: it is ended.
    if (calls[failing] == kMadeBy.at(L"excel")) expectedAfter.push_back(L"End process 1");
    if (Has(doneBefore, kMadeBy.at(L"excel")) && !Has(before, L"excel.Quit")) expectedAfter.push_back(L"excel.Quit");
    for (const auto& call : full) {
        if (!IsRelease(call)) continue;
        const std::wstring object = call.substr(0, call.find(L'.'));
        if (Has(doneBefore, kMadeBy.at(object)) && !Has(before, call)) expectedAfter.push_back(call);
    }
    EXPECT_EQ(Calls(calls.begin() + end, calls.end()), expectedAfter);
}

}  // namespace qh::fake
