#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <string>

namespace qorv::test {

/// Test names from the cases' `what` descriptions, so that a failure names
/// its case.
struct CaseName {
  template <typename Case>
  std::string operator()(const ::testing::TestParamInfo<Case>& info) const {
    std::string name;
    for (const char ch : std::string(info.param.what)) {
      name += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
    }
    return name;
  }
};

}  // namespace qorv::test
