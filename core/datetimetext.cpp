#include "core/datetimetext.h"

#include <cstddef>
#include <optional>

#include "core/errors.h"

namespace qorv {

namespace {

// The scan formats a date and a time for every file and the writer reads
// every date back, so nothing here allocates beyond the returned string.

constexpr bool isDigit(char c) { return c >= '0' && c <= '9'; }

constexpr char asciiUpper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

void appendNumber(std::string& out, int value, int minDigits) {
  char digits[12];
  int count = 0;
  unsigned v = value < 0 ? 0u : static_cast<unsigned>(value);
  do {
    digits[count++] = static_cast<char>('0' + v % 10);
    v /= 10;
  } while (v != 0);
  for (int i = count; i < minDigits; ++i) out += '0';
  while (count > 0) out += digits[--count];
}

std::string_view trimBlanks(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (asciiUpper(a[i]) != asciiUpper(b[i])) return false;
  }
  return true;
}

struct Markers {
  std::string_view am;
  std::string_view pm;
};

// A locale value with a missing marker, or two that cannot be told apart,
// would write times that do not read back; "AM"/"PM" always do.
Markers effectiveMarkers(const LocaleFormats& formats) {
  const std::string_view am = trimBlanks(formats.amText);
  const std::string_view pm = trimBlanks(formats.pmText);
  if (am.empty() || pm.empty() || equalsIgnoringAsciiCase(am, pm)) return {"AM", "PM"};
  return {am, pm};
}

void appendTimeFields(std::string& out, int hour, int hourDigits, int minute, int second,
                      std::string_view separator) {
  appendNumber(out, hour, hourDigits);
  out += separator;
  appendNumber(out, minute, 2);
  out += separator;
  appendNumber(out, second, 2);
}

[[noreturn]] void throwInvalid(std::string_view text, const char* what) {
  std::string message;
  message.reserve(text.size() + 24);
  message += '\'';
  message += text;
  message += "' is not a valid ";
  message += what;
  throw ConvertError(message);
}

// Reads a run of digits at `pos`. Values too large for any field are
// clamped to kTooLarge rather than overflowing, and fail validation later.
constexpr int kTooLarge = 100000;

struct Number {
  int value = 0;
  std::size_t digits = 0;
};

bool readNumber(std::string_view text, std::size_t& pos, Number& number) {
  number = {};
  while (pos < text.size() && isDigit(text[pos])) {
    if (number.value < kTooLarge) number.value = number.value * 10 + (text[pos] - '0');
    if (number.value > kTooLarge) number.value = kTooLarge;
    ++number.digits;
    ++pos;
  }
  return number.digits > 0;
}

void skipBlanks(std::string_view text, std::size_t& pos) {
  while (pos < text.size() && text[pos] == ' ') ++pos;
}

bool skipSeparator(std::string_view text, std::size_t& pos, std::string_view separator) {
  if (separator.empty() || text.substr(pos, separator.size()) != separator) return false;
  pos += separator.size();
  return true;
}

enum class DateOrder { MDY, DMY, YMD };

DateOrder dateOrderOf(std::string_view pattern) {
  for (char c : pattern) {
    switch (asciiUpper(c)) {
      case 'D':
        return DateOrder::DMY;
      case 'Y':
      case 'E':
        return DateOrder::YMD;
      case 'M':
        return DateOrder::MDY;
      default:
        break;
    }
  }
  return DateOrder::MDY;
}

// The year of a two-digit year text: the 100-year window starting 50 years
// before the current year.
int windowedYear(int twoDigitYear, int currentYear) {
  const int windowStart = currentYear - 50;
  int century = windowStart / 100 * 100;
  if (windowStart < 0 && windowStart % 100 != 0) century -= 100;
  int year = century + twoDigitYear;
  if (year < windowStart) year += 100;
  return year;
}

enum class Marker { None, Am, Pm };

bool startsWithIgnoringAsciiCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() &&
         equalsIgnoringAsciiCase(text.substr(0, prefix.size()), prefix);
}

bool endsWithIgnoringAsciiCase(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() &&
         equalsIgnoringAsciiCase(text.substr(text.size() - suffix.size()), suffix);
}

struct MarkerMatch {
  Marker marker = Marker::None;
  std::size_t length = 0;
};

// The longest marker at the start (or end) of the text, so that a locale
// marker such as "p. m." wins over a shorter one it happens to contain.
MarkerMatch matchMarker(std::string_view text, const LocaleFormats& formats, bool atStart) {
  const Markers locale = effectiveMarkers(formats);
  const struct {
    std::string_view text;
    Marker marker;
  } candidates[] = {
      {locale.am, Marker::Am}, {locale.pm, Marker::Pm}, {"AM", Marker::Am}, {"PM", Marker::Pm}};
  MarkerMatch best;
  for (const auto& candidate : candidates) {
    if (candidate.text.size() <= best.length) continue;
    const bool found = atStart ? startsWithIgnoringAsciiCase(text, candidate.text)
                               : endsWithIgnoringAsciiCase(text, candidate.text);
    if (found) best = {candidate.marker, candidate.text.size()};
  }
  return best;
}

}  // namespace

std::string formatDateText(const Date& date, const LocaleFormats& formats) {
  std::string out;
  out.reserve(formats.shortDateFormat.size() + 8);
  const std::string& pattern = formats.shortDateFormat;
  std::size_t i = 0;
  while (i < pattern.size()) {
    const char c = pattern[i];
    const char upper = asciiUpper(c);
    if (upper == 'D' || upper == 'M' || upper == 'Y') {
      std::size_t run = 1;
      while (i + run < pattern.size() && asciiUpper(pattern[i + run]) == upper) ++run;
      i += run;
      if (upper == 'D') {
        appendNumber(out, date.day, run >= 2 ? 2 : 1);
      } else if (upper == 'M') {
        appendNumber(out, date.month, run >= 2 ? 2 : 1);
      } else {
        // Four digits even where the locale's pattern has two: a two-digit
        // year reads back into a 100-year window, and every other year
        // would come back as another.
        appendNumber(out, date.year, 4);
      }
    } else {
      if (c == '/') {
        out += formats.dateSeparator;
      } else {
        out += c;
      }
      ++i;
    }
  }
  return out;
}

std::string formatLongTimeText(const TimeOfDay& time, const LocaleFormats& formats) {
  const int hourDigits = formats.hourLeadingZero ? 2 : 1;
  std::string out;
  if (!formats.twelveHour) {
    out.reserve(8 + 2 * formats.timeSeparator.size());
    appendTimeFields(out, time.hour, hourDigits, time.minute, time.second, formats.timeSeparator);
    return out;
  }
  const Markers markers = effectiveMarkers(formats);
  const std::string_view marker = time.hour < 12 ? markers.am : markers.pm;
  const int hour = time.hour % 12 == 0 ? 12 : time.hour % 12;
  out.reserve(9 + 2 * formats.timeSeparator.size() + marker.size());
  if (formats.markerFirst) {
    out += marker;
    out += ' ';
  }
  appendTimeFields(out, hour, hourDigits, time.minute, time.second, formats.timeSeparator);
  if (!formats.markerFirst) {
    out += ' ';
    out += marker;
  }
  return out;
}

std::string formatShortTimeText(const TimeOfDay& time, const LocaleFormats& formats) {
  std::string out;
  out.reserve(6 + 2 * formats.timeSeparator.size());
  appendTimeFields(out, time.hour, 2, time.minute, time.second, formats.timeSeparator);
  return out;
}

Date readDateText(std::string_view text, const LocaleFormats& formats, int currentYear) {
  const std::string_view separator = formats.dateSeparator;
  Number numbers[3];
  int count = 0;
  std::size_t pos = 0;
  while (true) {
    skipBlanks(text, pos);
    if (!readNumber(text, pos, numbers[count])) throwInvalid(text, "date");
    ++count;
    if (!skipSeparator(text, pos, separator)) break;
    // A separator after the last number is allowed, and so is one after
    // the second when the year is left out.
    std::size_t ahead = pos;
    skipBlanks(text, ahead);
    if (count == 3 || ahead == text.size()) break;
  }
  skipBlanks(text, pos);
  if (pos != text.size() || count < 2) throwInvalid(text, "date");

  const DateOrder order = dateOrderOf(formats.shortDateFormat);
  Number day;
  Number month;
  Number year{currentYear, 4};
  if (count == 2) {
    if (order == DateOrder::DMY) {
      day = numbers[0];
      month = numbers[1];
    } else {
      month = numbers[0];
      day = numbers[1];
    }
  } else {
    switch (order) {
      case DateOrder::DMY:
        day = numbers[0];
        month = numbers[1];
        year = numbers[2];
        break;
      case DateOrder::YMD:
        year = numbers[0];
        month = numbers[1];
        day = numbers[2];
        break;
      case DateOrder::MDY:
        month = numbers[0];
        day = numbers[1];
        year = numbers[2];
        break;
    }
    if (year.digits <= 2) year.value = windowedYear(year.value, currentYear);
  }
  if (!isValidDate(year.value, month.value, day.value)) throwInvalid(text, "date");
  return Date{year.value, month.value, day.value};
}

std::optional<TimeOfDay> tryReadTimeText(std::string_view text, const LocaleFormats& formats) {
  std::string_view rest = trimBlanks(text);
  MarkerMatch match = matchMarker(rest, formats, true);
  if (match.marker != Marker::None) {
    rest.remove_prefix(match.length);
  } else {
    match = matchMarker(rest, formats, false);
    rest.remove_suffix(match.length);
  }

  const std::string_view separator = formats.timeSeparator;
  Number parts[3];
  int count = 0;
  std::size_t pos = 0;
  while (true) {
    skipBlanks(rest, pos);
    if (!readNumber(rest, pos, parts[count])) return std::nullopt;
    ++count;
    skipBlanks(rest, pos);
    if (count == 3 || !skipSeparator(rest, pos, separator)) break;
  }
  if (pos != rest.size() || count < 2) return std::nullopt;

  int hour = parts[0].value;
  const int minute = parts[1].value;
  const int second = count == 3 ? parts[2].value : 0;
  if (match.marker != Marker::None) {
    if (hour < 1 || hour > 12) return std::nullopt;
    hour %= 12;
    if (match.marker == Marker::Pm) hour += 12;
  }
  if (!isValidTime(hour, minute, second)) return std::nullopt;
  return TimeOfDay{hour, minute, second};
}

TimeOfDay readTimeText(std::string_view text, const LocaleFormats& formats) {
  const std::optional<TimeOfDay> time = tryReadTimeText(text, formats);
  if (!time) throwInvalid(text, "time");
  return *time;
}

std::string formatIsoDate(const Date& date) {
  std::string out;
  out.reserve(10);
  appendNumber(out, date.year, 4);
  out += '-';
  appendNumber(out, date.month, 2);
  out += '-';
  appendNumber(out, date.day, 2);
  return out;
}

void appendIsoTime(std::string& out, const TimeOfDay& time) {
  appendTimeFields(out, time.hour, 2, time.minute, time.second, ":");
}

bool isW3cTimeZone(std::string_view zone) {
  if (zone == "Z") return true;
  if (zone.size() != 6 || (zone[0] != '+' && zone[0] != '-') || zone[3] != ':') return false;
  if (!isDigit(zone[1]) || !isDigit(zone[2]) || !isDigit(zone[4]) || !isDigit(zone[5]))
    return false;
  const int hours = (zone[1] - '0') * 10 + (zone[2] - '0');
  const int minutes = (zone[4] - '0') * 10 + (zone[5] - '0');
  return hours <= 23 && minutes <= 59;
}

}  // namespace qorv
