#include "platform/productversiontext.h"

#include <cstdio>

namespace qorv {

std::string productVersionText(const std::optional<TProductVersion>& version) {
  if (!version) return {};
  char text[64];
  std::snprintf(text, sizeof text, "%d.%02d%02d", version->Major, version->Minor, version->Release);
  return text;
}

std::string fullProductVersionText(const std::optional<TProductVersion>& version) {
  if (!version) return {};
  char text[64];
  std::snprintf(text, sizeof text, "%d.%d.%d.%d", version->Major, version->Minor, version->Release,
                version->Build);
  return text;
}

}  // namespace qorv
