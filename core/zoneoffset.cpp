#include "core/zoneoffset.h"

#include <cstdio>
#include <cstdlib>

namespace qorv {

std::string formatZoneOffset(int offsetSeconds) {
  const int minutes = std::abs(offsetSeconds) / 60;
  char text[16];
  std::snprintf(text, sizeof text, "%c%02d:%02d", offsetSeconds < 0 ? '-' : '+', minutes / 60 % 100,
                minutes % 60);
  return text;
}

}  // namespace qorv
