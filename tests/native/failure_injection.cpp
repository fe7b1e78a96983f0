#include "failure_injection.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace qh::fake {
namespace {

using Calls = std::vector<std::wstring>;

bool Has(const Calls& calls, const std::wstring& call) {
    return std::find(calls.begin(), calls.end(), call) != calls.end();
}

}  // namespace

bool IsRelease(const std::wstring& call) { return call.find(L".Release") != std::wstring::npos; }

std::size_t CountFailableCalls(const Calls& calls) {
    return static_cast<std::size_t>(std::count_if(calls.begin(), calls.end(), [](const auto& c) { return !IsRelease(c); }));
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

    const Calls after(calls.begin() + end, calls.end());
    for (const auto& call : after) {
        EXPECT_TRUE(call == L"excel.Quit" || IsRelease(call)) << "ran after the failure: " << testing::PrintToString(call);
    }
    const auto created = std::find(before.begin(), before.end(), L"CreateObject excel.application");
    const bool excelExists = created != before.end() && created != before.end() - 1;
    if (excelExists) {
        EXPECT_TRUE(Has(before, L"excel.Quit") || Has(after, L"excel.Quit")) << "Excel was left running";
        EXPECT_TRUE(Has(calls, L"excel.Release")) << "Excel was not released";
    } else {
        EXPECT_FALSE(Has(after, L"excel.Quit"));
    }
}

}  // namespace qh::fake
