#pragma once
// Names parameterised cases after the name field of their parameter.
#include <gtest/gtest.h>

#include <string>

namespace qh::testing {

struct CaseName {
    template <typename Param>
    std::string operator()(const ::testing::TestParamInfo<Param>& caseInfo) const {
        return caseInfo.param.name;
    }
};

}  // namespace qh::testing
