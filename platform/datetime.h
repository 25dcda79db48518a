#pragma once

namespace qorv {

/// A calendar date. Valid dates run from 0001-01-01 to 9999-12-31.
struct Date {
  int year = 1;
  int month = 1;
  int day = 1;
  friend bool operator==(const Date&, const Date&) = default;
};

/// A time of day, 24-hour clock.
struct TimeOfDay {
  int hour = 0;
  int minute = 0;
  int second = 0;
  friend bool operator==(const TimeOfDay&, const TimeOfDay&) = default;
};

/// A local moment, as the machine's clock and file times give it. No zone:
/// the zone written into a sitemap is the user's choice, never the system's.
struct DateTime {
  Date date;
  TimeOfDay time;
  friend bool operator==(const DateTime&, const DateTime&) = default;
};

constexpr bool isLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

constexpr int daysInMonth(int year, int month) {
  constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

constexpr bool isValidDate(int year, int month, int day) {
  return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
         day <= daysInMonth(year, month);
}

constexpr bool isValidTime(int hour, int minute, int second) {
  return hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59 && second >= 0 && second <= 59;
}

}  // namespace qorv
