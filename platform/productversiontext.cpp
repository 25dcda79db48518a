#include "platform/productversiontext.h"

#include <cstdio>

namespace qorv {

std::string productVersionText(const std::optional<ProductVersion>& version) {
  if (!version) return {};
  char text[64];
  std::snprintf(text, sizeof text, "%d.%02d%02d", version->major, version->minor, version->release);
  return text;
}

std::string fullProductVersionText(const std::optional<ProductVersion>& version) {
  if (!version) return {};
  char text[64];
  std::snprintf(text, sizeof text, "%d.%d.%d.%d", version->major, version->minor, version->release,
                version->build);
  return text;
}

}  // namespace qorv
