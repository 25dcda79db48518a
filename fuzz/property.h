#pragma once

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace qorv::fuzz {

/// Ends the run as a crash, which libFuzzer keeps as a finding and the
/// regression replay reports as a failure, when a property does not hold.
inline void require(bool holds, const char* property, std::string_view detail = {}) {
  if (holds) return;
  std::fprintf(stderr, "property violated: %s\n", property);
  if (!detail.empty()) {
    std::fputs("  with: ", stderr);
    for (const char c : detail) {
      const auto byte = static_cast<unsigned char>(c);
      if (byte >= 0x20 && byte < 0x7F && byte != '\\')
        std::fputc(byte, stderr);
      else
        std::fprintf(stderr, "\\x%02X", byte);
    }
    std::fputc('\n', stderr);
  }
  std::abort();
}

}  // namespace qorv::fuzz
