#pragma once

#include <string>

namespace qorv::test {

/// The qorv-cli under test: the one QORV_CLI names (ctest sets it), else one
/// beside the running test program, else the one of the build tree the test
/// was built in. Empty when none of them is there.
std::string cliProgram();

}  // namespace qorv::test
