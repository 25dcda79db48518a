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
static void PrintTo(const TDate& d, std::ostream* os) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", d.Year, d.Month, d.Day);
  *os << text;
}

static void PrintTo(const TTimeOfDay& t, std::ostream* os) {
  char text[32];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", t.Hour, t.Minute, t.Second);
  *os << text;
}

namespace {

// Locales as plain values, shaped like the ones the locale adapter gives.

TLocaleFormats Dotted() {  // Slovak-like: 5.3.2006, 9:05:06
  TLocaleFormats f;
  f.ShortDateFormat = "d/M/yyyy";
  f.DateSeparator = ".";
  f.HourLeadingZero = false;
  return f;
}

TLocaleFormats UsStyle() {  // 3/5/06, 2:03:06 PM
  TLocaleFormats f;
  f.ShortDateFormat = "M/d/yy";
  f.DateSeparator = "/";
  f.HourLeadingZero = false;
  f.TwelveHour = true;
  return f;
}

TLocaleFormats Iso() {  // 2006-03-05, 14:03:06
  TLocaleFormats f;
  f.ShortDateFormat = "yyyy-MM-dd";
  f.DateSeparator = "-";
  return f;
}

TLocaleFormats MarkerFirst() {  // Korean-like: 06.3.5, 오후 2:03:06
  TLocaleFormats f;
  f.ShortDateFormat = "yy/M/d";
  f.DateSeparator = ".";
  f.HourLeadingZero = false;
  f.TwelveHour = true;
  f.AmText = "오전";
  f.PmText = "오후";
  f.MarkerFirst = true;
  return f;
}

TLocaleFormats DottedMarkers() {  // markers with dots and blanks, "." between time fields
  TLocaleFormats f;
  f.ShortDateFormat = "dd/MM/yy";
  f.DateSeparator = "/";
  f.TimeSeparator = ".";
  f.HourLeadingZero = true;
  f.TwelveHour = true;
  f.AmText = "a. m.";
  f.PmText = "p. m.";
  return f;
}

TLocaleFormats WideSeparator() {  // a date separator of two bytes
  TLocaleFormats f;
  f.ShortDateFormat = "dd/MM/yyyy";
  f.DateSeparator = "·";
  return f;
}

std::string DateMessage(std::string_view text) {
  return "'" + std::string(text) + "' is not a valid date";
}

std::string TimeMessage(std::string_view text) {
  return "'" + std::string(text) + "' is not a valid time";
}

// The message of the EConvertError that `read` throws, or "" if none.
template <typename Read>
std::string ConvertErrorOf(Read read) {
  try {
    read();
  } catch (const EConvertError& e) {
    return e.Message();
  }
  return "";
}

TEST(FormatDateText, FollowsThePatternAndSeparator) {
  struct Case {
    const char* name;
    TLocaleFormats formats;
    TDate date;
    const char* expected;
  };
  const Case cases[] = {
      {"day-month-year without zeros", Dotted(), {2006, 3, 5}, "5.3.2006"},
      {"two-digit fields need no zero", Dotted(), {2006, 12, 25}, "25.12.2006"},
      {"two-digit year is the last two digits", UsStyle(), {2006, 3, 5}, "3/5/06"},
      {"two-digit year of a century year", UsStyle(), {2000, 1, 9}, "1/9/00"},
      {"dash written as a literal", Iso(), {2006, 3, 5}, "2006-03-05"},
      {"year first with two-digit year", MarkerFirst(), {2006, 3, 5}, "06.3.5"},
      {"four-digit year is zero padded", Iso(), {5, 1, 9}, "0005-01-09"},
      {"multi-byte separator", WideSeparator(), {2006, 3, 5}, "05·03·2006"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatDateText(c.date, c.formats), c.expected) << c.name;
  }
}

TEST(FormatDateText, PatternLettersInEitherCase) {
  TLocaleFormats f = Dotted();
  f.ShortDateFormat = "DD/mm/YYYY";
  EXPECT_EQ(FormatDateText({2006, 3, 5}, f), "05.03.2006");
  f.ShortDateFormat = "m/D/yy";
  EXPECT_EQ(FormatDateText({2006, 3, 5}, f), "3.5.06");
}

TEST(FormatDateText, OtherCharactersAreLiteral) {
  TLocaleFormats f = Dotted();
  f.ShortDateFormat = "d/M/yyyy r.";
  EXPECT_EQ(FormatDateText({2006, 3, 5}, f), "5.3.2006 r.");
}

TEST(FormatTimeText, LongAndShortForms) {
  struct Case {
    const char* name;
    TLocaleFormats formats;
    TTimeOfDay time;
    const char* longForm;
    const char* shortForm;
  };
  const Case cases[] = {
      {"24 hours, no leading zero", Dotted(), {9, 5, 6}, "9:05:06", "09:05:06"},
      {"24 hours, afternoon", Dotted(), {14, 3, 6}, "14:03:06", "14:03:06"},
      {"24 hours with leading zero", Iso(), {0, 0, 0}, "00:00:00", "00:00:00"},
      {"midnight is 12 AM", UsStyle(), {0, 0, 0}, "12:00:00 AM", "00:00:00"},
      {"noon is 12 PM", UsStyle(), {12, 0, 0}, "12:00:00 PM", "12:00:00"},
      {"last even second of the day", UsStyle(), {23, 59, 58}, "11:59:58 PM", "23:59:58"},
      {"early morning", UsStyle(), {1, 2, 4}, "1:02:04 AM", "01:02:04"},
      {"marker before the hour", MarkerFirst(), {14, 3, 6}, "오후 2:03:06", "14:03:06"},
      {"marker before midnight", MarkerFirst(), {0, 3, 6}, "오전 12:03:06", "00:03:06"},
      {"12-hour clock with leading zero and dot separator",
       DottedMarkers(),
       {9, 5, 6},
       "09.05.06 a. m.",
       "09.05.06"},
      {"dot separator in the afternoon", DottedMarkers(), {14, 3, 6}, "02.03.06 p. m.", "14.03.06"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatLongTimeText(c.time, c.formats), c.longForm) << c.name;
    EXPECT_EQ(FormatShortTimeText(c.time, c.formats), c.shortForm) << c.name;
  }
}

TEST(FormatTimeText, MarkersThatCannotBeToldApartBecomeAmPm) {
  TLocaleFormats f = UsStyle();
  f.AmText = "x";
  f.PmText = "X";
  EXPECT_EQ(FormatLongTimeText({13, 0, 0}, f), "1:00:00 PM");
  f.AmText = "";
  EXPECT_EQ(FormatLongTimeText({1, 0, 0}, f), "1:00:00 AM");
}

TEST(FormatIsoDate, ZeroPadded) {
  EXPECT_EQ(FormatIsoDate({2006, 3, 5}), "2006-03-05");
  EXPECT_EQ(FormatIsoDate({5, 1, 9}), "0005-01-09");
  EXPECT_EQ(FormatIsoDate({9999, 12, 31}), "9999-12-31");
}

struct DateReadCase {
  const char* name;
  TLocaleFormats formats;
  int currentYear;
  const char* text;
  TDate expected;
};

TEST(ReadDateText, AcceptedTexts) {
  const DateReadCase cases[] = {
      {"day first", Dotted(), 2026, "5.3.2006", {2006, 3, 5}},
      {"leading zeros", Dotted(), 2026, "05.03.2006", {2006, 3, 5}},
      {"blanks before numbers", Dotted(), 2026, "  5. 3.  2006", {2006, 3, 5}},
      {"one trailing separator", Dotted(), 2026, "5.3.2006.", {2006, 3, 5}},
      {"trailing blanks", Dotted(), 2026, "5.3.2006  ", {2006, 3, 5}},
      {"trailing separator and blanks", Dotted(), 2026, "5.3.2006. ", {2006, 3, 5}},
      {"leap day", Dotted(), 2026, "29.2.2008", {2008, 2, 29}},
      {"leap day of a 400-year", Dotted(), 2026, "29.2.2000", {2000, 2, 29}},
      {"month first", UsStyle(), 2026, "3/5/06", {2006, 3, 5}},
      {"year first", Iso(), 2026, "2006-03-05", {2006, 3, 5}},
      {"year first, short year", MarkerFirst(), 2026, "06.3.5", {2006, 3, 5}},
      {"three-digit year is taken as written", Dotted(), 2026, "5.3.006", {6, 3, 5}},
      {"four-digit early year", Iso(), 2026, "0005-01-09", {5, 1, 9}},
      {"multi-byte separator", WideSeparator(), 2026, "05·03·2006", {2006, 3, 5}},
      {"multi-byte trailing separator", WideSeparator(), 2026, "05·03·2006· ", {2006, 3, 5}},
      // Two numbers: day and month in the pattern's order, current year.
      {"two numbers, day first", Dotted(), 2026, "5.3", {2026, 3, 5}},
      {"two numbers and separator", Dotted(), 2026, "5.3.", {2026, 3, 5}},
      {"two numbers, month first", UsStyle(), 2030, "3/5", {2030, 3, 5}},
      {"two numbers, year-first pattern", Iso(), 2026, "3-5", {2026, 3, 5}},
      {"two numbers, leap day in a leap year", Dotted(), 2028, "29.2", {2028, 2, 29}},
  };
  for (const DateReadCase& c : cases) {
    EXPECT_EQ(ReadDateText(c.text, c.formats, c.currentYear), c.expected) << c.name;
  }
}

TEST(ReadDateText, TwoDigitYearWindowStartsFiftyYearsBack) {
  const DateReadCase cases[] = {
      {"first year of the window", Dotted(), 2026, "1.1.76", {1976, 1, 1}},
      {"year before the window wraps forward", Dotted(), 2026, "1.1.75", {2075, 1, 1}},
      {"year 00", Dotted(), 2026, "1.1.00", {2000, 1, 1}},
      {"one digit", Dotted(), 2026, "1.1.6", {2006, 1, 1}},
      {"window on a century: 00", Dotted(), 2050, "1.1.00", {2000, 1, 1}},
      {"window on a century: 99", Dotted(), 2050, "1.1.99", {2099, 1, 1}},
      {"window just past a century: 00", Dotted(), 2051, "1.1.00", {2100, 1, 1}},
      {"window just past a century: 01", Dotted(), 2051, "1.1.01", {2001, 1, 1}},
      {"window reaching back a century", Dotted(), 2040, "1.1.90", {1990, 1, 1}},
      {"window reaching back a century: 89", Dotted(), 2040, "1.1.89", {2089, 1, 1}},
  };
  for (const DateReadCase& c : cases) {
    EXPECT_EQ(ReadDateText(c.text, c.formats, c.currentYear), c.expected) << c.name;
  }
}

TEST(ReadDateText, FieldOrderFromFirstPatternLetter) {
  struct Case {
    const char* pattern;
    TDate expected;  // of "1.2.3"
  };
  const Case cases[] = {
      {"d/M/yyyy", {2003, 2, 1}},   {"DD/MM/YY", {2003, 2, 1}}, {"M/d/yyyy", {2003, 1, 2}},
      {"mm/dd/yy", {2003, 1, 2}},   {"yyyy/M/d", {2001, 2, 3}}, {"ee/mm/dd", {2001, 2, 3}},
      {"Era: y/M/d", {2001, 2, 3}}, {"#/#/#", {2003, 1, 2}},    {"", {2003, 1, 2}},
  };
  for (const Case& c : cases) {
    TLocaleFormats f = Dotted();
    f.ShortDateFormat = c.pattern;
    EXPECT_EQ(ReadDateText("1.2.3", f, 2026), c.expected) << c.pattern;
  }
}

TEST(ReadDateText, RejectedTextsGiveTheConversionError) {
  struct Case {
    const char* name;
    TLocaleFormats formats;
    const char* text;
  };
  const Case cases[] = {
      {"empty", Dotted(), ""},
      {"blanks only", Dotted(), "   "},
      {"letters", Dotted(), "abc"},
      {"one number", Dotted(), "5"},
      {"one number and separator", Dotted(), "5."},
      {"four numbers", Dotted(), "5.3.2006.7"},
      {"two trailing separators", Dotted(), "5.3.2006.."},
      {"trailing garbage", Dotted(), "5.3.2006x"},
      {"leading garbage", Dotted(), "x5.3.2006"},
      {"wrong separator", Dotted(), "5/3/2006"},
      {"empty field", Dotted(), "5..2006"},
      {"sign", Dotted(), "5.3.-2006"},
      {"31 April", Dotted(), "31.4.2006"},
      {"29 February of a common year", Dotted(), "29.2.2006"},
      {"29 February of a century year", Dotted(), "29.2.1900"},
      {"day 0", Dotted(), "0.3.2006"},
      {"month 13", Dotted(), "5.13.2006"},
      {"month 13 in month-first order", UsStyle(), "13/5/06"},
      {"year 0", Dotted(), "5.3.0000"},
      {"year 10000", Dotted(), "5.3.10000"},
      {"overlong digit run", Dotted(), "5.3.99999999999999999999999"},
      {"overlong day", Dotted(), "4294967301.3.2006"},
      {"29 February in a common current year", Dotted(), "29.2"},
      {"half a multi-byte separator", WideSeparator(),
       "05\xC2"
       "03\xC2"
       "2006"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ConvertErrorOf([&] { ReadDateText(c.text, c.formats, 2026); }), DateMessage(c.text))
        << c.name;
  }
}

struct TimeReadCase {
  const char* name;
  TLocaleFormats formats;
  const char* text;
  TTimeOfDay expected;
};

TEST(ReadTimeText, AcceptedTexts) {
  const TimeReadCase cases[] = {
      {"short form", Dotted(), "14:03:06", {14, 3, 6}},
      {"no leading zero", Dotted(), "9:05:06", {9, 5, 6}},
      {"without seconds", Dotted(), "09:05", {9, 5, 0}},
      {"blanks around the parts", Dotted(), "  9 : 05 :06  ", {9, 5, 6}},
      {"last second of the day", Dotted(), "23:59:59", {23, 59, 59}},
      {"12 AM is midnight", UsStyle(), "12:00:00 AM", {0, 0, 0}},
      {"12 PM is noon", UsStyle(), "12:00:00 PM", {12, 0, 0}},
      {"PM adds twelve hours", UsStyle(), "11:59:58 PM", {23, 59, 58}},
      {"marker in lower case", UsStyle(), "1:02:04 am", {1, 2, 4}},
      {"marker without a blank", UsStyle(), "2:03:06PM", {14, 3, 6}},
      {"marker before the time", UsStyle(), "pm 2:03:06", {14, 3, 6}},
      {"24-hour text in a 12-hour locale", UsStyle(), "14:03:06", {14, 3, 6}},
      {"locale marker first", MarkerFirst(), "오후 2:03:06", {14, 3, 6}},
      {"locale marker after", MarkerFirst(), "2:03:06 오전", {2, 3, 6}},
      {"AM and PM in any locale", MarkerFirst(), "PM 1:00:00", {13, 0, 0}},
      {"marker with blanks and dots", DottedMarkers(), "02.03.06 p. m.", {14, 3, 6}},
      {"marker letters in upper case", DottedMarkers(), "02.03.06 P. M.", {14, 3, 6}},
      {"dot separator, plain PM", DottedMarkers(), "2.03.06 PM", {14, 3, 6}},
      {"dot separator, no marker", DottedMarkers(), "14.03.06", {14, 3, 6}},
  };
  for (const TimeReadCase& c : cases) {
    EXPECT_EQ(ReadTimeText(c.text, c.formats), c.expected) << c.name;
  }
}

TEST(ReadTimeText, LongestMatchingMarkerWins) {
  // "PM" ends with the locale's AM text "M"; the longer marker decides.
  TLocaleFormats f = UsStyle();
  f.AmText = "M";
  f.PmText = "PM";
  EXPECT_EQ(ReadTimeText("1:00:00 PM", f), (TTimeOfDay{13, 0, 0}));
  EXPECT_EQ(ReadTimeText("1:00:00 M", f), (TTimeOfDay{1, 0, 0}));
  EXPECT_EQ(ReadTimeText("1:00:00 AM", f), (TTimeOfDay{1, 0, 0}));
  EXPECT_EQ(ReadTimeText("PM 1:00:00", f), (TTimeOfDay{13, 0, 0}));
}

TEST(ReadTimeText, RejectedTextsGiveTheConversionError) {
  struct Case {
    const char* name;
    TLocaleFormats formats;
    const char* text;
  };
  const Case cases[] = {
      {"empty", Dotted(), ""},
      {"hours only", Dotted(), "14"},
      {"trailing separator", Dotted(), "14:03:"},
      {"four parts", Dotted(), "14:03:06:07"},
      {"hour 24", Dotted(), "24:00:00"},
      {"minute 60", Dotted(), "12:60:00"},
      {"second 60", Dotted(), "12:00:60"},
      {"letters", Dotted(), "abc"},
      {"leading garbage", Dotted(), "x14:03"},
      {"wrong separator", Dotted(), "14.03.06"},
      {"overlong digit run", Dotted(), "99999999999999999999:00"},
      {"hour 13 with PM", UsStyle(), "13:00:00 PM"},
      {"hour 0 with AM", UsStyle(), "0:00:00 AM"},
      {"hour 0 with PM", UsStyle(), "0:30 PM"},
      {"unknown marker", UsStyle(), "1:02:04 XM"},
      {"two markers", UsStyle(), "AM 1:02:04 PM"},
      {"marker alone", UsStyle(), "PM"},
      {"marker between parts", UsStyle(), "1 PM:02:04"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ConvertErrorOf([&] { ReadTimeText(c.text, c.formats); }), TimeMessage(c.text))
        << c.name;
  }
}

TEST(DateTimeTexts, WrittenTextsReadBack) {
  const TLocaleFormats locales[] = {Dotted(),      UsStyle(),       Iso(),
                                    MarkerFirst(), DottedMarkers(), WideSeparator()};
  const TDate dates[] = {{1999, 12, 31}, {2006, 3, 5}, {2049, 10, 9}, {2050, 1, 31}, {2075, 11, 1}};
  const TTimeOfDay times[] = {{0, 0, 0},    {12, 0, 0}, {23, 59, 58}, {1, 2, 4},
                              {11, 59, 58}, {13, 0, 0}, {9, 5, 6},    {14, 3, 6}};
  for (const TLocaleFormats& f : locales) {
    for (const TDate& d : dates) {
      const std::string text = FormatDateText(d, f);
      EXPECT_EQ(ReadDateText(text, f, 2026), d) << text;
    }
    for (const TTimeOfDay& t : times) {
      const std::string longText = FormatLongTimeText(t, f);
      const std::string shortText = FormatShortTimeText(t, f);
      EXPECT_EQ(ReadTimeText(longText, f), t) << longText;
      EXPECT_EQ(ReadTimeText(shortText, f), t) << shortText;
    }
  }
}

TEST(DateTimeTexts, FileRowTextsUnderDayMonthYear) {
  // A file last written on 5 March 2006 at 14:03:06: the short time form,
  // and the date the writer turns into the lastmod date.
  const TLocaleFormats f = Dotted();
  EXPECT_EQ(FormatShortTimeText({14, 3, 6}, f), "14:03:06");
  const std::string date = FormatDateText({2006, 3, 5}, f);
  EXPECT_EQ(date, "5.3.2006");
  EXPECT_EQ(FormatIsoDate(ReadDateText(date, f, 2026)), "2006-03-05");
}

}  // namespace
}  // namespace qorv
