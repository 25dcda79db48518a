#include "platform/productversiontext.h"

#include <cstdio>

namespace qorv {

std::string ProductVersionText(const std::optional<TProductVersion>& version) {
  if (!version) return {};
  char text[64];
  std::snprintf(text, sizeof text, "%d.%02d%02d", version->Major, version->Minor, version->Release);
  return text;
}

std::string FullProductVersionText(const std::optional<TProductVersion>& version) {
  if (!version) return {};
  char text[64];
  std::snprintf(text, sizeof text, "%d.%d.%d.%d", version->Major, version->Minor, version->Release,
                version->Build);
  return text;
}

}  // namespace qorv
