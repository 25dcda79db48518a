#include "core/datetimetext.h"

#include <cstddef>

#include "core/errors.h"

namespace qorv {

namespace {

// The scan formats a date and a time for every file and the writer reads
// every date back, so nothing here allocates beyond the returned string.

constexpr bool IsDigit(char c) { return c >= '0' && c <= '9'; }

constexpr char AsciiUpper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

void AppendNumber(std::string& out, int value, int minDigits) {
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

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
  }
  return true;
}

struct TMarkers {
  std::string_view Am;
  std::string_view Pm;
};

// A locale value with a missing marker, or two that cannot be told apart,
// would write times that do not read back; "AM"/"PM" always do.
TMarkers EffectiveMarkers(const TLocaleFormats& formats) {
  const std::string_view am = TrimBlanks(formats.AmText);
  const std::string_view pm = TrimBlanks(formats.PmText);
  if (am.empty() || pm.empty() || EqualsIgnoringAsciiCase(am, pm)) return {"AM", "PM"};
  return {am, pm};
}

void AppendTimeFields(std::string& out, int hour, int hourDigits, int minute, int second,
                      const std::string& separator) {
  AppendNumber(out, hour, hourDigits);
  out += separator;
  AppendNumber(out, minute, 2);
  out += separator;
  AppendNumber(out, second, 2);
}

[[noreturn]] void ThrowInvalid(std::string_view text, const char* what) {
  std::string message;
  message.reserve(text.size() + 24);
  message += '\'';
  message += text;
  message += "' is not a valid ";
  message += what;
  throw EConvertError(message);
}

// Reads a run of digits at `pos`. Values too large for any field are
// clamped to kTooLarge rather than overflowing, and fail validation later.
constexpr int kTooLarge = 100000;

struct TNumber {
  int Value = 0;
  std::size_t Digits = 0;
};

bool ReadNumber(std::string_view text, std::size_t& pos, TNumber& number) {
  number = {};
  while (pos < text.size() && IsDigit(text[pos])) {
    if (number.Value < kTooLarge) number.Value = number.Value * 10 + (text[pos] - '0');
    if (number.Value > kTooLarge) number.Value = kTooLarge;
    ++number.Digits;
    ++pos;
  }
  return number.Digits > 0;
}

void SkipBlanks(std::string_view text, std::size_t& pos) {
  while (pos < text.size() && text[pos] == ' ') ++pos;
}

bool SkipSeparator(std::string_view text, std::size_t& pos, std::string_view separator) {
  if (separator.empty() || text.substr(pos, separator.size()) != separator) return false;
  pos += separator.size();
  return true;
}

enum class TDateOrder { MDY, DMY, YMD };

TDateOrder DateOrderOf(std::string_view pattern) {
  for (char c : pattern) {
    switch (AsciiUpper(c)) {
      case 'D':
        return TDateOrder::DMY;
      case 'Y':
      case 'E':
        return TDateOrder::YMD;
      case 'M':
        return TDateOrder::MDY;
      default:
        break;
    }
  }
  return TDateOrder::MDY;
}

// The year of a two-digit year text: the 100-year window starting 50 years
// before the current year.
int WindowedYear(int twoDigitYear, int currentYear) {
  const int windowStart = currentYear - 50;
  int century = windowStart / 100 * 100;
  if (windowStart < 0 && windowStart % 100 != 0) century -= 100;
  int year = century + twoDigitYear;
  if (year < windowStart) year += 100;
  return year;
}

enum class TMarker { None, Am, Pm };

bool StartsWithIgnoringAsciiCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() &&
         EqualsIgnoringAsciiCase(text.substr(0, prefix.size()), prefix);
}

bool EndsWithIgnoringAsciiCase(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() &&
         EqualsIgnoringAsciiCase(text.substr(text.size() - suffix.size()), suffix);
}

struct TMarkerMatch {
  TMarker Marker = TMarker::None;
  std::size_t Length = 0;
};

// The longest marker at the start (or end) of the text, so that a locale
// marker such as "p. m." wins over a shorter one it happens to contain.
TMarkerMatch MatchMarker(std::string_view text, const TLocaleFormats& formats, bool atStart) {
  const TMarkers locale = EffectiveMarkers(formats);
  const struct {
    std::string_view Text;
    TMarker Marker;
  } candidates[] = {
      {locale.Am, TMarker::Am}, {locale.Pm, TMarker::Pm}, {"AM", TMarker::Am}, {"PM", TMarker::Pm}};
  TMarkerMatch best;
  for (const auto& candidate : candidates) {
    if (candidate.Text.size() <= best.Length) continue;
    const bool found = atStart ? StartsWithIgnoringAsciiCase(text, candidate.Text)
                               : EndsWithIgnoringAsciiCase(text, candidate.Text);
    if (found) best = {candidate.Marker, candidate.Text.size()};
  }
  return best;
}

}  // namespace

std::string FormatDateText(const TDate& date, const TLocaleFormats& formats) {
  std::string out;
  out.reserve(formats.ShortDateFormat.size() + 8);
  const std::string& pattern = formats.ShortDateFormat;
  std::size_t i = 0;
  while (i < pattern.size()) {
    const char c = pattern[i];
    const char upper = AsciiUpper(c);
    if (upper == 'D' || upper == 'M' || upper == 'Y') {
      std::size_t run = 1;
      while (i + run < pattern.size() && AsciiUpper(pattern[i + run]) == upper) ++run;
      i += run;
      if (upper == 'D') {
        AppendNumber(out, date.Day, run >= 2 ? 2 : 1);
      } else if (upper == 'M') {
        AppendNumber(out, date.Month, run >= 2 ? 2 : 1);
      } else if (run <= 2) {
        AppendNumber(out, date.Year % 100, 2);
      } else {
        AppendNumber(out, date.Year, 4);
      }
    } else {
      if (c == '/') {
        out += formats.DateSeparator;
      } else {
        out += c;
      }
      ++i;
    }
  }
  return out;
}

std::string FormatLongTimeText(const TTimeOfDay& time, const TLocaleFormats& formats) {
  const int hourDigits = formats.HourLeadingZero ? 2 : 1;
  std::string out;
  if (!formats.TwelveHour) {
    out.reserve(8 + 2 * formats.TimeSeparator.size());
    AppendTimeFields(out, time.Hour, hourDigits, time.Minute, time.Second, formats.TimeSeparator);
    return out;
  }
  const TMarkers markers = EffectiveMarkers(formats);
  const std::string_view marker = time.Hour < 12 ? markers.Am : markers.Pm;
  const int hour = time.Hour % 12 == 0 ? 12 : time.Hour % 12;
  out.reserve(9 + 2 * formats.TimeSeparator.size() + marker.size());
  if (formats.MarkerFirst) {
    out += marker;
    out += ' ';
  }
  AppendTimeFields(out, hour, hourDigits, time.Minute, time.Second, formats.TimeSeparator);
  if (!formats.MarkerFirst) {
    out += ' ';
    out += marker;
  }
  return out;
}

std::string FormatShortTimeText(const TTimeOfDay& time, const TLocaleFormats& formats) {
  std::string out;
  out.reserve(6 + 2 * formats.TimeSeparator.size());
  AppendTimeFields(out, time.Hour, 2, time.Minute, time.Second, formats.TimeSeparator);
  return out;
}

TDate ReadDateText(std::string_view text, const TLocaleFormats& formats, int currentYear) {
  const std::string_view separator = formats.DateSeparator;
  TNumber numbers[3];
  int count = 0;
  std::size_t pos = 0;
  while (true) {
    SkipBlanks(text, pos);
    if (!ReadNumber(text, pos, numbers[count])) ThrowInvalid(text, "date");
    ++count;
    if (!SkipSeparator(text, pos, separator)) break;
    // A separator after the last number is allowed, and so is one after
    // the second when the year is left out.
    std::size_t ahead = pos;
    SkipBlanks(text, ahead);
    if (count == 3 || ahead == text.size()) break;
  }
  SkipBlanks(text, pos);
  if (pos != text.size() || count < 2) ThrowInvalid(text, "date");

  const TDateOrder order = DateOrderOf(formats.ShortDateFormat);
  TNumber day;
  TNumber month;
  TNumber year{currentYear, 4};
  if (count == 2) {
    if (order == TDateOrder::DMY) {
      day = numbers[0];
      month = numbers[1];
    } else {
      month = numbers[0];
      day = numbers[1];
    }
  } else {
    switch (order) {
      case TDateOrder::DMY:
        day = numbers[0];
        month = numbers[1];
        year = numbers[2];
        break;
      case TDateOrder::YMD:
        year = numbers[0];
        month = numbers[1];
        day = numbers[2];
        break;
      case TDateOrder::MDY:
        month = numbers[0];
        day = numbers[1];
        year = numbers[2];
        break;
    }
    if (year.Digits <= 2) year.Value = WindowedYear(year.Value, currentYear);
  }
  if (!IsValidDate(year.Value, month.Value, day.Value)) ThrowInvalid(text, "date");
  return TDate{year.Value, month.Value, day.Value};
}

TTimeOfDay ReadTimeText(std::string_view text, const TLocaleFormats& formats) {
  std::string_view rest = TrimBlanks(text);
  TMarkerMatch match = MatchMarker(rest, formats, true);
  if (match.Marker != TMarker::None) {
    rest.remove_prefix(match.Length);
  } else {
    match = MatchMarker(rest, formats, false);
    rest.remove_suffix(match.Length);
  }

  const std::string_view separator = formats.TimeSeparator;
  TNumber parts[3];
  int count = 0;
  std::size_t pos = 0;
  while (true) {
    SkipBlanks(rest, pos);
    if (!ReadNumber(rest, pos, parts[count])) ThrowInvalid(text, "time");
    ++count;
    SkipBlanks(rest, pos);
    if (count == 3 || !SkipSeparator(rest, pos, separator)) break;
  }
  if (pos != rest.size() || count < 2) ThrowInvalid(text, "time");

  int hour = parts[0].Value;
  const int minute = parts[1].Value;
  const int second = count == 3 ? parts[2].Value : 0;
  if (match.Marker != TMarker::None) {
    if (hour < 1 || hour > 12) ThrowInvalid(text, "time");
    hour %= 12;
    if (match.Marker == TMarker::Pm) hour += 12;
  }
  if (!IsValidTime(hour, minute, second)) ThrowInvalid(text, "time");
  return TTimeOfDay{hour, minute, second};
}

std::string FormatIsoDate(const TDate& date) {
  std::string out;
  out.reserve(10);
  AppendNumber(out, date.Year, 4);
  out += '-';
  AppendNumber(out, date.Month, 2);
  out += '-';
  AppendNumber(out, date.Day, 2);
  return out;
}

}  // namespace qorv
