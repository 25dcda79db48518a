#include "core/datetimetext.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <ostream>
#include <string>
#include <string_view>

#include "core/errors.h"

namespace qorv {

// Readable failures; internal linkage so that other tests may print these
// types their own way.
static void PrintTo(const Date& d, std::ostream* os) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", d.year, d.month, d.day);
  *os << text;
}

static void PrintTo(const TimeOfDay& t, std::ostream* os) {
  char text[32];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", t.hour, t.minute, t.second);
  *os << text;
}

namespace {

// Locales as plain values, shaped like the ones the locale adapter gives.

LocaleFormats dotted() {  // Slovak-like: 5.3.2006, 9:05:06
  LocaleFormats f;
  f.shortDateFormat = "d/M/yyyy";
  f.dateSeparator = ".";
  f.hourLeadingZero = false;
  return f;
}

LocaleFormats usStyle() {  // 3/5/2006 (pattern M/d/yy), 2:03:06 PM
  LocaleFormats f;
  f.shortDateFormat = "M/d/yy";
  f.dateSeparator = "/";
  f.hourLeadingZero = false;
  f.twelveHour = true;
  return f;
}

LocaleFormats iso() {  // 2006-03-05, 14:03:06
  LocaleFormats f;
  f.shortDateFormat = "yyyy-MM-dd";
  f.dateSeparator = "-";
  return f;
}

LocaleFormats markerFirst() {  // Korean-like: 2006.3.5 (pattern yy/M/d), 오후 2:03:06
  LocaleFormats f;
  f.shortDateFormat = "yy/M/d";
  f.dateSeparator = ".";
  f.hourLeadingZero = false;
  f.twelveHour = true;
  f.amText = "오전";
  f.pmText = "오후";
  f.markerFirst = true;
  return f;
}

LocaleFormats dottedMarkers() {  // markers with dots and blanks, "." between time fields
  LocaleFormats f;
  f.shortDateFormat = "dd/MM/yy";
  f.dateSeparator = "/";
  f.timeSeparator = ".";
  f.hourLeadingZero = true;
  f.twelveHour = true;
  f.amText = "a. m.";
  f.pmText = "p. m.";
  return f;
}

LocaleFormats wideSeparator() {  // a date separator of two bytes
  LocaleFormats f;
  f.shortDateFormat = "dd/MM/yyyy";
  f.dateSeparator = "·";
  return f;
}

std::string dateMessage(std::string_view text) {
  return "'" + std::string(text) + "' is not a valid date";
}

std::string timeMessage(std::string_view text) {
  return "'" + std::string(text) + "' is not a valid time";
}

// The message of the ConvertError that `read` throws, or "" if none.
template <typename Read>
std::string convertErrorOf(Read read) {
  try {
    read();
  } catch (const ConvertError& e) {
    return e.message();
  }
  return "";
}

TEST(FormatDateText, FollowsThePatternAndSeparator) {
  struct Case {
    const char* name;
    LocaleFormats formats;
    Date date;
    const char* expected;
  };
  const Case cases[] = {
      {"day-month-year without zeros", dotted(), {2006, 3, 5}, "5.3.2006"},
      {"two-digit fields need no zero", dotted(), {2006, 12, 25}, "25.12.2006"},
      {"two-digit year field gets four digits", usStyle(), {2006, 3, 5}, "3/5/2006"},
      {"century year in a two-digit field", usStyle(), {2000, 1, 9}, "1/9/2000"},
      {"year outside any two-digit window", usStyle(), {1901, 6, 1}, "6/1/1901"},
      {"early year in a two-digit field", usStyle(), {75, 6, 1}, "6/1/0075"},
      {"dash written as a literal", iso(), {2006, 3, 5}, "2006-03-05"},
      {"year first with a two-digit year field", markerFirst(), {2006, 3, 5}, "2006.3.5"},
      {"four-digit year is zero padded", iso(), {5, 1, 9}, "0005-01-09"},
      {"multi-byte separator", wideSeparator(), {2006, 3, 5}, "05·03·2006"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(formatDateText(c.date, c.formats), c.expected) << c.name;
  }
}

TEST(FormatDateText, PatternLettersInEitherCase) {
  LocaleFormats f = dotted();
  f.shortDateFormat = "DD/mm/YYYY";
  EXPECT_EQ(formatDateText({2006, 3, 5}, f), "05.03.2006");
  f.shortDateFormat = "m/D/yy";
  EXPECT_EQ(formatDateText({2006, 3, 5}, f), "3.5.2006");
  f.shortDateFormat = "d/M/y";
  EXPECT_EQ(formatDateText({2006, 3, 5}, f), "5.3.2006");
}

TEST(FormatDateText, OtherCharactersAreLiteral) {
  LocaleFormats f = dotted();
  f.shortDateFormat = "d/M/yyyy r.";
  EXPECT_EQ(formatDateText({2006, 3, 5}, f), "5.3.2006 r.");
}

TEST(FormatTimeText, LongAndShortForms) {
  struct Case {
    const char* name;
    LocaleFormats formats;
    TimeOfDay time;
    const char* longForm;
    const char* shortForm;
  };
  const Case cases[] = {
      {"24 hours, no leading zero", dotted(), {9, 5, 6}, "9:05:06", "09:05:06"},
      {"24 hours, afternoon", dotted(), {14, 3, 6}, "14:03:06", "14:03:06"},
      {"24 hours with leading zero", iso(), {0, 0, 0}, "00:00:00", "00:00:00"},
      {"midnight is 12 AM", usStyle(), {0, 0, 0}, "12:00:00 AM", "00:00:00"},
      {"noon is 12 PM", usStyle(), {12, 0, 0}, "12:00:00 PM", "12:00:00"},
      {"last even second of the day", usStyle(), {23, 59, 58}, "11:59:58 PM", "23:59:58"},
      {"early morning", usStyle(), {1, 2, 4}, "1:02:04 AM", "01:02:04"},
      {"marker before the hour", markerFirst(), {14, 3, 6}, "오후 2:03:06", "14:03:06"},
      {"marker before midnight", markerFirst(), {0, 3, 6}, "오전 12:03:06", "00:03:06"},
      {"12-hour clock with leading zero and dot separator",
       dottedMarkers(),
       {9, 5, 6},
       "09.05.06 a. m.",
       "09.05.06"},
      {"dot separator in the afternoon", dottedMarkers(), {14, 3, 6}, "02.03.06 p. m.", "14.03.06"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(formatLongTimeText(c.time, c.formats), c.longForm) << c.name;
    EXPECT_EQ(formatShortTimeText(c.time, c.formats), c.shortForm) << c.name;
  }
}

TEST(FormatTimeText, MarkersThatCannotBeToldApartBecomeAmPm) {
  LocaleFormats f = usStyle();
  f.amText = "x";
  f.pmText = "X";
  EXPECT_EQ(formatLongTimeText({13, 0, 0}, f), "1:00:00 PM");
  f.amText = "";
  EXPECT_EQ(formatLongTimeText({1, 0, 0}, f), "1:00:00 AM");
}

TEST(FormatIsoDate, ZeroPadded) {
  EXPECT_EQ(formatIsoDate({2006, 3, 5}), "2006-03-05");
  EXPECT_EQ(formatIsoDate({5, 1, 9}), "0005-01-09");
  EXPECT_EQ(formatIsoDate({9999, 12, 31}), "9999-12-31");
}

struct DateReadCase {
  const char* name;
  LocaleFormats formats;
  int currentYear;
  const char* text;
  Date expected;
};

TEST(ReadDateText, AcceptedTexts) {
  const DateReadCase cases[] = {
      {"day first", dotted(), 2026, "5.3.2006", {2006, 3, 5}},
      {"leading zeros", dotted(), 2026, "05.03.2006", {2006, 3, 5}},
      {"blanks before numbers", dotted(), 2026, "  5. 3.  2006", {2006, 3, 5}},
      {"one trailing separator", dotted(), 2026, "5.3.2006.", {2006, 3, 5}},
      {"trailing blanks", dotted(), 2026, "5.3.2006  ", {2006, 3, 5}},
      {"trailing separator and blanks", dotted(), 2026, "5.3.2006. ", {2006, 3, 5}},
      {"leap day", dotted(), 2026, "29.2.2008", {2008, 2, 29}},
      {"leap day of a 400-year", dotted(), 2026, "29.2.2000", {2000, 2, 29}},
      {"month first", usStyle(), 2026, "3/5/06", {2006, 3, 5}},
      {"year first", iso(), 2026, "2006-03-05", {2006, 3, 5}},
      {"year first, short year", markerFirst(), 2026, "06.3.5", {2006, 3, 5}},
      {"three-digit year is taken as written", dotted(), 2026, "5.3.006", {6, 3, 5}},
      {"four-digit early year", iso(), 2026, "0005-01-09", {5, 1, 9}},
      {"multi-byte separator", wideSeparator(), 2026, "05·03·2006", {2006, 3, 5}},
      {"multi-byte trailing separator", wideSeparator(), 2026, "05·03·2006· ", {2006, 3, 5}},
      // Two numbers: day and month in the pattern's order, current year.
      {"two numbers, day first", dotted(), 2026, "5.3", {2026, 3, 5}},
      {"two numbers and separator", dotted(), 2026, "5.3.", {2026, 3, 5}},
      {"two numbers, month first", usStyle(), 2030, "3/5", {2030, 3, 5}},
      {"two numbers, year-first pattern", iso(), 2026, "3-5", {2026, 3, 5}},
      {"two numbers, leap day in a leap year", dotted(), 2028, "29.2", {2028, 2, 29}},
  };
  for (const DateReadCase& c : cases) {
    EXPECT_EQ(readDateText(c.text, c.formats, c.currentYear), c.expected) << c.name;
  }
}

TEST(ReadDateText, TwoDigitYearWindowStartsFiftyYearsBack) {
  const DateReadCase cases[] = {
      {"first year of the window", dotted(), 2026, "1.1.76", {1976, 1, 1}},
      {"year before the window wraps forward", dotted(), 2026, "1.1.75", {2075, 1, 1}},
      {"year 00", dotted(), 2026, "1.1.00", {2000, 1, 1}},
      {"one digit", dotted(), 2026, "1.1.6", {2006, 1, 1}},
      {"window on a century: 00", dotted(), 2050, "1.1.00", {2000, 1, 1}},
      {"window on a century: 99", dotted(), 2050, "1.1.99", {2099, 1, 1}},
      {"window just past a century: 00", dotted(), 2051, "1.1.00", {2100, 1, 1}},
      {"window just past a century: 01", dotted(), 2051, "1.1.01", {2001, 1, 1}},
      {"window reaching back a century", dotted(), 2040, "1.1.90", {1990, 1, 1}},
      {"window reaching back a century: 89", dotted(), 2040, "1.1.89", {2089, 1, 1}},
  };
  for (const DateReadCase& c : cases) {
    EXPECT_EQ(readDateText(c.text, c.formats, c.currentYear), c.expected) << c.name;
  }
}

TEST(ReadDateText, FieldOrderFromFirstPatternLetter) {
  struct Case {
    const char* pattern;
    Date expected;  // of "1.2.3"
  };
  const Case cases[] = {
      {"d/M/yyyy", {2003, 2, 1}},   {"DD/MM/YY", {2003, 2, 1}}, {"M/d/yyyy", {2003, 1, 2}},
      {"mm/dd/yy", {2003, 1, 2}},   {"yyyy/M/d", {2001, 2, 3}}, {"ee/mm/dd", {2001, 2, 3}},
      {"Era: y/M/d", {2001, 2, 3}}, {"#/#/#", {2003, 1, 2}},    {"", {2003, 1, 2}},
  };
  for (const Case& c : cases) {
    LocaleFormats f = dotted();
    f.shortDateFormat = c.pattern;
    EXPECT_EQ(readDateText("1.2.3", f, 2026), c.expected) << c.pattern;
  }
}

TEST(ReadDateText, RejectedTextsGiveTheConversionError) {
  struct Case {
    const char* name;
    LocaleFormats formats;
    const char* text;
  };
  const Case cases[] = {
      {"empty", dotted(), ""},
      {"blanks only", dotted(), "   "},
      {"letters", dotted(), "abc"},
      {"one number", dotted(), "5"},
      {"one number and separator", dotted(), "5."},
      {"four numbers", dotted(), "5.3.2006.7"},
      {"two trailing separators", dotted(), "5.3.2006.."},
      {"trailing garbage", dotted(), "5.3.2006x"},
      {"leading garbage", dotted(), "x5.3.2006"},
      {"wrong separator", dotted(), "5/3/2006"},
      {"empty field", dotted(), "5..2006"},
      {"sign", dotted(), "5.3.-2006"},
      {"31 April", dotted(), "31.4.2006"},
      {"29 February of a common year", dotted(), "29.2.2006"},
      {"29 February of a century year", dotted(), "29.2.1900"},
      {"day 0", dotted(), "0.3.2006"},
      {"month 13", dotted(), "5.13.2006"},
      {"month 13 in month-first order", usStyle(), "13/5/06"},
      {"year 0", dotted(), "5.3.0000"},
      {"year 10000", dotted(), "5.3.10000"},
      {"overlong digit run", dotted(), "5.3.99999999999999999999999"},
      {"overlong day", dotted(), "4294967301.3.2006"},
      {"29 February in a common current year", dotted(), "29.2"},
      {"half a multi-byte separator", wideSeparator(),
       "05\xC2"
       "03\xC2"
       "2006"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(convertErrorOf([&] { readDateText(c.text, c.formats, 2026); }), dateMessage(c.text))
        << c.name;
  }
}

struct TimeReadCase {
  const char* name;
  LocaleFormats formats;
  const char* text;
  TimeOfDay expected;
};

TEST(ReadTimeText, AcceptedTexts) {
  const TimeReadCase cases[] = {
      {"short form", dotted(), "14:03:06", {14, 3, 6}},
      {"no leading zero", dotted(), "9:05:06", {9, 5, 6}},
      {"without seconds", dotted(), "09:05", {9, 5, 0}},
      {"blanks around the parts", dotted(), "  9 : 05 :06  ", {9, 5, 6}},
      {"last second of the day", dotted(), "23:59:59", {23, 59, 59}},
      {"12 AM is midnight", usStyle(), "12:00:00 AM", {0, 0, 0}},
      {"12 PM is noon", usStyle(), "12:00:00 PM", {12, 0, 0}},
      {"PM adds twelve hours", usStyle(), "11:59:58 PM", {23, 59, 58}},
      {"marker in lower case", usStyle(), "1:02:04 am", {1, 2, 4}},
      {"marker without a blank", usStyle(), "2:03:06PM", {14, 3, 6}},
      {"marker before the time", usStyle(), "pm 2:03:06", {14, 3, 6}},
      {"24-hour text in a 12-hour locale", usStyle(), "14:03:06", {14, 3, 6}},
      {"locale marker first", markerFirst(), "오후 2:03:06", {14, 3, 6}},
      {"locale marker after", markerFirst(), "2:03:06 오전", {2, 3, 6}},
      {"AM and PM in any locale", markerFirst(), "PM 1:00:00", {13, 0, 0}},
      {"marker with blanks and dots", dottedMarkers(), "02.03.06 p. m.", {14, 3, 6}},
      {"marker letters in upper case", dottedMarkers(), "02.03.06 P. M.", {14, 3, 6}},
      {"dot separator, plain PM", dottedMarkers(), "2.03.06 PM", {14, 3, 6}},
      {"dot separator, no marker", dottedMarkers(), "14.03.06", {14, 3, 6}},
  };
  for (const TimeReadCase& c : cases) {
    EXPECT_EQ(readTimeText(c.text, c.formats), c.expected) << c.name;
  }
}

TEST(ReadTimeText, LongestMatchingMarkerWins) {
  // "PM" ends with the locale's AM text "M"; the longer marker decides.
  LocaleFormats f = usStyle();
  f.amText = "M";
  f.pmText = "PM";
  EXPECT_EQ(readTimeText("1:00:00 PM", f), (TimeOfDay{13, 0, 0}));
  EXPECT_EQ(readTimeText("1:00:00 M", f), (TimeOfDay{1, 0, 0}));
  EXPECT_EQ(readTimeText("1:00:00 AM", f), (TimeOfDay{1, 0, 0}));
  EXPECT_EQ(readTimeText("PM 1:00:00", f), (TimeOfDay{13, 0, 0}));
}

TEST(ReadTimeText, RejectedTextsGiveTheConversionError) {
  struct Case {
    const char* name;
    LocaleFormats formats;
    const char* text;
  };
  const Case cases[] = {
      {"empty", dotted(), ""},
      {"hours only", dotted(), "14"},
      {"trailing separator", dotted(), "14:03:"},
      {"four parts", dotted(), "14:03:06:07"},
      {"hour 24", dotted(), "24:00:00"},
      {"minute 60", dotted(), "12:60:00"},
      {"second 60", dotted(), "12:00:60"},
      {"letters", dotted(), "abc"},
      {"leading garbage", dotted(), "x14:03"},
      {"wrong separator", dotted(), "14.03.06"},
      {"overlong digit run", dotted(), "99999999999999999999:00"},
      {"hour 13 with PM", usStyle(), "13:00:00 PM"},
      {"hour 0 with AM", usStyle(), "0:00:00 AM"},
      {"hour 0 with PM", usStyle(), "0:30 PM"},
      {"unknown marker", usStyle(), "1:02:04 XM"},
      {"two markers", usStyle(), "AM 1:02:04 PM"},
      {"marker alone", usStyle(), "PM"},
      {"marker between parts", usStyle(), "1 PM:02:04"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(convertErrorOf([&] { readTimeText(c.text, c.formats); }), timeMessage(c.text))
        << c.name;
  }
}

TEST(DateTimeTexts, WrittenTextsReadBack) {
  const LocaleFormats locales[] = {dotted(),      usStyle(),       iso(),
                                   markerFirst(), dottedMarkers(), wideSeparator()};
  // Years outside the two-digit window too: a date text's year has four digits.
  const Date dates[] = {{1, 1, 1},     {1901, 6, 1},  {1999, 12, 31}, {2006, 3, 5},  {2049, 10, 9},
                        {2050, 1, 31}, {2075, 11, 1}, {2108, 6, 1},   {9999, 12, 31}};
  const TimeOfDay times[] = {{0, 0, 0},    {12, 0, 0}, {23, 59, 58}, {1, 2, 4},
                             {11, 59, 58}, {13, 0, 0}, {9, 5, 6},    {14, 3, 6}};
  for (const LocaleFormats& f : locales) {
    for (const Date& d : dates) {
      const std::string text = formatDateText(d, f);
      EXPECT_EQ(readDateText(text, f, 2026), d) << text;
    }
    for (const TimeOfDay& t : times) {
      const std::string longText = formatLongTimeText(t, f);
      const std::string shortText = formatShortTimeText(t, f);
      EXPECT_EQ(readTimeText(longText, f), t) << longText;
      EXPECT_EQ(readTimeText(shortText, f), t) << shortText;
    }
  }
}

TEST(DateTimeTexts, FileRowTextsUnderDayMonthYear) {
  // A file last written on 5 March 2006 at 14:03:06: the short time form,
  // and the date the writer turns into the lastmod date.
  const LocaleFormats f = dotted();
  EXPECT_EQ(formatShortTimeText({14, 3, 6}, f), "14:03:06");
  const std::string date = formatDateText({2006, 3, 5}, f);
  EXPECT_EQ(date, "5.3.2006");
  EXPECT_EQ(formatIsoDate(readDateText(date, f, 2026)), "2006-03-05");
}

}  // namespace
}  // namespace qorv
