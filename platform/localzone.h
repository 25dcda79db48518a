#pragma once

#include <cstdint>
#include <optional>
#include <unordered_map>

#include "platform/datetime.h"

namespace qorv {

/// The machine's time zone rules (TZ, else /etc/localtime), as the C
/// library reads them when the object is made. Answers are kept per hour,
/// so that asking for every row of a large site costs few calls into the
/// library, whose zone lock every thread shares.
class LocalZone {
 public:
  LocalZone();

  /// The local moment of `utcSeconds` (seconds since 1970-01-01T00:00:00Z);
  /// nothing when it falls outside the years 1 to 9999.
  std::optional<DateTime> localTime(std::int64_t utcSeconds);

  /// The offset from UTC, in seconds east, that the rules give the local
  /// moment `local`. A reading that the clocks skip when they are put
  /// forward (02:30 on the last Sunday of March in central Europe) and one
  /// that they show twice when they are put back (02:30 on the last Sunday
  /// of October) both take the offset that makes the later instant:
  /// +01:00 for both in central Europe. A lastmod an hour late only asks a
  /// search engine to look again; one an hour early could hide a change
  /// from it. (The C library's mktime is no guide: in the overlap its
  /// answer depends on what it was asked before.)
  int offsetAt(const DateTime& local);

 private:
  int offsetAtInstant(std::int64_t utcSeconds);
  std::optional<int> steadyOffset(std::int64_t hourStart);

  std::unordered_map<std::int64_t, int> m_offsetByUtcHour;
  std::unordered_map<std::int64_t, int> m_offsetByLocalHour;
};

/// Seconds from 1970-01-01T00:00:00 to `moment`, with no zone: the same
/// count for UTC and for a local reading.
std::int64_t secondsSinceEpoch(const DateTime& moment);

/// The moment that many seconds after 1970-01-01T00:00:00; nothing outside
/// the years 1 to 9999.
std::optional<DateTime> momentFromSeconds(std::int64_t seconds);

}  // namespace qorv
