# Every option of the build, in one place; the configure step ends with a
# summary of what is on (feature_summary in the top CMakeLists.txt).
include(FeatureSummary)

# qorv_option(<name> <description> <default>): an option, listed in the summary.
macro(qorv_option name description default)
  option(${name} "${description}" ${default})
  add_feature_info(${name} ${name} "${description}")
endmacro()

# OFF leaves out everything that needs Qt Widgets or Qt Gui (the desktop
# program, its tests, the screenshot tool and its benchmark), so the core,
# the CLI and their tests can be built and checked on their own.
qorv_option(QORV_BUILD_GUI "Build the desktop program and what depends on it" ON)
qorv_option(QORV_BUILD_TESTS "Build the tests" ON)
qorv_option(QORV_BUILD_BENCH "Build the benchmarks" OFF)
qorv_option(QORV_BUILD_TOOLS "Build the developer tools (generators of committed tables)" OFF)
qorv_option(QORV_FUZZ "Build the fuzz targets with libFuzzer (needs clang; see the fuzz preset)" OFF)
qorv_option(QORV_WERROR "Treat warnings as errors" OFF)
qorv_option(QORV_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
# A failure point in front of every system call of platform/, steered by the
# environment (platform/faultpoints.h), for the sweep that fails each call of
# a run in turn: tests/reliability/eio-sweep. Never in a release build.
qorv_option(QORV_FAULT_POINTS "Build failure points into the platform's system calls" OFF)
