#pragma once

namespace qorv {

/// A calendar date. Valid dates run from 0001-01-01 to 9999-12-31.
struct TDate {
  int Year = 1;
  int Month = 1;
  int Day = 1;
  friend bool operator==(const TDate&, const TDate&) = default;
};

/// A time of day, 24-hour clock.
struct TTimeOfDay {
  int Hour = 0;
  int Minute = 0;
  int Second = 0;
  friend bool operator==(const TTimeOfDay&, const TTimeOfDay&) = default;
};

/// A local moment, as the machine's clock and file times give it. No zone:
/// the zone written into a sitemap is the user's choice, never the system's.
struct TDateTime {
  TDate Date;
  TTimeOfDay Time;
  friend bool operator==(const TDateTime&, const TDateTime&) = default;
};

constexpr bool IsLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

constexpr int DaysInMonth(int year, int month) {
  constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

constexpr bool IsValidDate(int year, int month, int day) {
  return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
         day <= DaysInMonth(year, month);
}

constexpr bool IsValidTime(int hour, int minute, int second) {
  return hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59 && second >= 0 && second <= 59;
}

}  // namespace qorv
