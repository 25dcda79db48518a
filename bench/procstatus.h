#pragma once

#include <cstdlib>
#include <fstream>
#include <string>

namespace qorv::bench {

/// A field of /proc/self/status in KiB ("VmRSS:", "VmHWM:"), -1 if missing.
inline long statusKiB(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + std::string(field).size());
  }
  return -1;
}

/// Starts a new peak: the kernel resets VmHWM to the current RSS.
inline void resetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

}  // namespace qorv::bench
