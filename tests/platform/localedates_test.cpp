// Date and time texts made under real locales, read back where they are
// used: by the sitemap writer for lastmod and by the edit dialog's picker.

#include <gtest/gtest.h>

#include <QDate>
#include <QLocale>
#include <QString>

#include <cstdio>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "core/datetimetext.h"
#include "core/generatorsettings.h"
#include "core/pagelist.h"
#include "core/sitemapwriter.h"
#include "platform/qtlocaleformats.h"

namespace qorv {

static void PrintTo(const Date& d, std::ostream* os) {
  *os << d.year << '-' << d.month << '-' << d.day;
}

namespace {

LocaleFormats formatsOf(const char* locale) {
  return localeFormatsOf(QLocale(QString::fromUtf8(locale)));
}

/// The lastmod values of a sitemap of `pages`, all ticked, in order.
std::vector<std::string> lastmods(PageList& pages, const LocaleFormats& formats,
                                  const GeneratorSettings& settings) {
  pages.includeAll();
  SitemapWriter writer(formats);
  writer.now = [] { return DateTime{{2026, 6, 1}, {12, 0, 0}}; };
  std::string document;
  writer.writeDocument([&](std::string_view bytes) { document.append(bytes); }, pages, settings);
  std::vector<std::string> values;
  const std::string open = "<lastmod>";
  for (std::size_t at = document.find(open); at != std::string::npos;
       at = document.find(open, at + 1)) {
    const std::size_t begin = at + open.size();
    values.push_back(document.substr(begin, document.find("</lastmod>", begin) - begin));
  }
  return values;
}

// Qt's locale data as shipped with Qt 6.4; a newer Qt may change a pattern,
// and then the time text here with it.
TEST(LongLastmod, ReadsTheRowsTimeTextBackUnderEachLocale) {
  const struct {
    const char* locale;
    TimeOfDay time;
    const char* longText;   // the root row's and an edited row's
    const char* shortText;  // a file row's
  } cases[] = {
      {"sk_SK", {9, 5, 6}, "9:05:06", "09:05:06"},
      {"en_US", {9, 5, 6}, "9:05:06 AM", "09:05:06"},
      {"en_US", {21, 5, 6}, "9:05:06 PM", "21:05:06"},
      {"en_US", {0, 30, 0}, "12:30:00 AM", "00:30:00"},
      {"de_DE", {21, 5, 6}, "21:05:06", "21:05:06"},
      {"fi_FI", {9, 5, 6}, "9.05.06", "09.05.06"},
  };
  for (const auto& c : cases) {
    const LocaleFormats formats = formatsOf(c.locale);
    const std::string longText = formatLongTimeText(c.time, formats);
    const std::string shortText = formatShortTimeText(c.time, formats);
    EXPECT_EQ(longText, c.longText) << c.locale;
    EXPECT_EQ(shortText, c.shortText) << c.locale;

    PageList pages;
    const std::string date = formatDateText({2006, 3, 5}, formats);
    pages.add("http://s/", date, longText, "none", "none");
    pages.add("http://s/a.htm", date, shortText, "none", "none");
    GeneratorSettings settings;
    settings.dateOnlyLastmod = false;
    char expected[40];
    std::snprintf(expected, sizeof expected, "2006-03-05T%02d:%02d:%02d+01:00", c.time.hour,
                  c.time.minute, c.time.second);
    EXPECT_EQ(lastmods(pages, formats, settings), (std::vector<std::string>{expected, expected}))
        << c.locale << " " << longText;
  }
}

// Every year from 1 to 9999 survives the page list, also where the locale
// shows two-digit years: the row's text, the picker showing it, the date
// read back and the lastmod written from it.
TEST(DateText, EveryYearReadsBackAsItself) {
  const struct {
    const char* locale;
    int year;
    const char* text;
    const char* lastmod;
  } cases[] = {
      {"en_US", 1, "6/1/0001", "0001-06-01"},    {"en_US", 1901, "6/1/1901", "1901-06-01"},
      {"en_US", 1975, "6/1/1975", "1975-06-01"}, {"en_US", 2108, "6/1/2108", "2108-06-01"},
      {"en_US", 9999, "6/1/9999", "9999-06-01"}, {"sk_SK", 1, "1.6.0001", "0001-06-01"},
      {"sk_SK", 1901, "1.6.1901", "1901-06-01"}, {"sk_SK", 1975, "1.6.1975", "1975-06-01"},
      {"sk_SK", 2108, "1.6.2108", "2108-06-01"}, {"sk_SK", 9999, "1.6.9999", "9999-06-01"},
  };
  for (const auto& c : cases) {
    const LocaleFormats formats = formatsOf(c.locale);
    const Date date{c.year, 6, 1};
    const std::string text = formatDateText(date, formats);
    EXPECT_EQ(text, c.text) << c.locale;
    EXPECT_EQ(QDate(c.year, 6, 1).toString(datePickerFormat(formats)).toStdString(), text)
        << c.locale << ": the picker shows the row's text";
    EXPECT_EQ(readDateText(text, formats, 2026), date) << c.locale << " " << text;

    PageList pages;
    pages.add("http://s/", text, "12:00:00", "none", "none");
    EXPECT_EQ(lastmods(pages, formats, GeneratorSettings{}), std::vector<std::string>{c.lastmod})
        << c.locale << " " << text;
  }
}

// Texts typed or made before four-digit years still read by the window.
TEST(DateText, TwoDigitYearsStillReadInTheWindow) {
  const LocaleFormats formats = formatsOf("en_US");
  EXPECT_EQ(readDateText("6/1/75", formats, 2026), (Date{2075, 6, 1}));
  EXPECT_EQ(readDateText("6/1/76", formats, 2026), (Date{1976, 6, 1}));
}

}  // namespace
}  // namespace qorv
