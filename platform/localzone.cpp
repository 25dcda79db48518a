#include "platform/localzone.h"

#include <algorithm>
#include <ctime>

namespace qorv {

namespace {

constexpr std::int64_t kHour = 3600;
constexpr std::int64_t kDay = 86400;

std::int64_t floorDiv(std::int64_t value, std::int64_t divisor) {
  return value / divisor - (value % divisor < 0 ? 1 : 0);
}

/// Days from 1970-01-01 to the date, proleptic Gregorian calendar.
std::int64_t daysFromCivil(int year, int month, int day) {
  const std::int64_t y = year - (month <= 2 ? 1 : 0);
  const std::int64_t era = floorDiv(y, 400);
  const std::int64_t yearOfEra = y - era * 400;
  const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

Date civilFromDays(std::int64_t days) {
  days += 719468;
  const std::int64_t era = floorDiv(days, 146097);
  const std::int64_t dayOfEra = days - era * 146097;
  const std::int64_t yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const std::int64_t monthIndex = (5 * dayOfYear + 2) / 153;
  const int day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
  const int month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
  const int year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
  return {year, month, day};
}

}  // namespace

std::int64_t secondsSinceEpoch(const DateTime& moment) {
  return daysFromCivil(moment.date.year, moment.date.month, moment.date.day) * kDay +
         moment.time.hour * kHour + std::int64_t{moment.time.minute} * 60 + moment.time.second;
}

std::optional<DateTime> momentFromSeconds(std::int64_t seconds) {
  constexpr std::int64_t kFirst = -62135596800;  // 0001-01-01T00:00:00
  constexpr std::int64_t kLast = 253402300799;   // 9999-12-31T23:59:59
  if (seconds < kFirst || seconds > kLast) return std::nullopt;
  const std::int64_t days = floorDiv(seconds, kDay);
  const int inDay = static_cast<int>(seconds - days * kDay);
  return DateTime{civilFromDays(days), {inDay / 3600, inDay / 60 % 60, inDay % 60}};
}

LocalZone::LocalZone() {
  // The rules as they are now: the C library reads TZ once unless asked.
  tzset();
}

int LocalZone::offsetAtInstant(std::int64_t utcSeconds) {
  const std::time_t instant = static_cast<std::time_t>(utcSeconds);
  std::tm tm{};
  if (!localtime_r(&instant, &tm)) return 0;
  return static_cast<int>(tm.tm_gmtoff);
}

std::optional<DateTime> LocalZone::localTime(std::int64_t utcSeconds) {
  const std::int64_t hour = floorDiv(utcSeconds, kHour);
  int offset = 0;
  if (const auto cached = m_offsetByUtcHour.find(hour); cached != m_offsetByUtcHour.end()) {
    offset = cached->second;
  } else {
    const int atStart = offsetAtInstant(hour * kHour);
    const int atEnd = offsetAtInstant(hour * kHour + kHour - 1);
    // An hour in which the offset changes is asked about moment by moment.
    if (atStart == atEnd)
      m_offsetByUtcHour.emplace(hour, offset = atStart);
    else
      offset = offsetAtInstant(utcSeconds);
  }
  return momentFromSeconds(utcSeconds + offset);
}

int LocalZone::offsetAt(const DateTime& local) {
  const std::int64_t reading = secondsSinceEpoch(local);
  const std::int64_t hour = floorDiv(reading, kHour);
  if (const auto cached = m_offsetByLocalHour.find(hour); cached != m_offsetByLocalHour.end())
    return cached->second;
  // The instant of the reading lies within 14 hours of the reading taken
  // as UTC, so the offsets a day before and a day after are those in force
  // on either side of any change near it.
  const int before = offsetAtInstant(reading - kDay);
  const int after = offsetAtInstant(reading + kDay);
  if (before == after) {
    m_offsetByLocalHour.emplace(hour, before);
    return before;
  }
  const bool beforeFits = offsetAtInstant(reading - before) == before;
  const bool afterFits = offsetAtInstant(reading - after) == after;
  if (beforeFits != afterFits) return beforeFits ? before : after;
  // Both fit (the clocks show the reading twice) or neither does (they skip
  // it): the smaller offset gives the later instant.
  return std::min(before, after);
}

}  // namespace qorv
