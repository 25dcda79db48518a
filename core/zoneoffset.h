#pragma once

#include <string>
#include <string_view>

namespace qorv {

/// The text of the time zone list's last entry: each date is written with
/// the offset that the system's zone rules give that moment.
inline constexpr std::string_view kAutomaticZone = "automaticky";

/// An offset from UTC as a W3C date-time ends: "+02:00" for 7200 seconds
/// east, "-05:30", "+00:00". Seconds beyond whole minutes (only some zones'
/// old local mean times have them) are dropped, as `date +%:z` drops them.
std::string formatZoneOffset(int offsetSeconds);

}  // namespace qorv
