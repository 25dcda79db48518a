#include "platform/qtlocaleformats.h"

#include <gtest/gtest.h>

#include <QList>
#include <QLocale>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "core/datetimetext.h"
#include "core/errors.h"

namespace qorv {

static void PrintTo(const LocaleFormats& f, std::ostream* os) {
  *os << "{\"" << f.shortDateFormat << "\" \"" << f.dateSeparator << "\" \"" << f.timeSeparator
      << "\" zero=" << f.hourLeadingZero << " 12h=" << f.twelveHour << " \"" << f.amText << "\" \""
      << f.pmText << "\" first=" << f.markerFirst << "}";
}

namespace {

QString qs(const char* utf8) { return QString::fromUtf8(utf8); }

struct Expected {
  const char* date;
  const char* dateSeparator;
  const char* timeSeparator;
  bool leadingZero;
  bool twelveHour;
  const char* am;
  const char* pm;
  bool markerFirst;

  LocaleFormats formats() const {
    LocaleFormats f;
    f.shortDateFormat = date;
    f.dateSeparator = dateSeparator;
    f.timeSeparator = timeSeparator;
    f.hourLeadingZero = leadingZero;
    f.twelveHour = twelveHour;
    f.amText = am;
    f.pmText = pm;
    f.markerFirst = markerFirst;
    return f;
  }
};

TEST(LocaleFormatsOfPatterns, ReducesToNumericFieldsAndOneSeparator) {
  struct Case {
    const char* name;
    const char* datePattern;
    const char* timePattern;
    const char* am;
    const char* pm;
    Expected expected;
  };
  const Case cases[] = {
      {"blanks after the separator dropped",
       "d. M. yyyy",
       "H:mm:ss t",
       "AM",
       "PM",
       {"d/M/yyyy", ".", ":", false, false, "AM", "PM", false}},
      {"quoted word and trailing dot dropped",
       "d.MM.yy 'г'.",
       "H:mm:ss 'ч'. t",
       "пр.об.",
       "сл.об.",
       {"d/MM/yy", ".", ":", false, false, "пр.об.", "сл.об.", false}},
      {"right-to-left marks ignored",
       "d\u200F/M\u200F/yyyy",
       "h:mm:ss AP t",
       "ص",
       "م",
       {"d/M/yyyy", "/", ":", false, true, "ص", "م", false}},
      {"month name becomes its number",
       "dd-MMM-yyyy",
       "HH:mm:ss",
       "AM",
       "PM",
       {"dd/M/yyyy", "-", ":", true, false, "AM", "PM", false}},
      {"weekday name dropped",
       "dddd, d.M.yyyy",
       "HH:mm:ss",
       "AM",
       "PM",
       {"d/M/yyyy", ".", ":", true, false, "AM", "PM", false}},
      {"no separator: ISO order",
       "d MMM yyyy",
       "HH:mm:ss t",
       "AM",
       "PM",
       {"yyyy/MM/dd", "-", ":", true, false, "AM", "PM", false}},
      {"empty pattern: ISO order",
       "",
       "",
       "AM",
       "PM",
       {"yyyy/MM/dd", "-", ":", true, false, "AM", "PM", false}},
      {"separator found between the last two fields",
       "dd MM.yyyy",
       "HH:mm:ss",
       "AM",
       "PM",
       {"dd/MM/yyyy", ".", ":", true, false, "AM", "PM", false}},
      {"marker before the hour, unit words",
       "yy. M. d.",
       "AP h시 m분 s초 t",
       "오전",
       "오후",
       {"yy/M/d", ".", ":", false, true, "오전", "오후", true}},
      {"unit words between all time fields",
       "yyyy/MM/dd",
       "H時mm分ss秒 t",
       "午前",
       "午後",
       {"yyyy/MM/dd", "/", ":", false, false, "午前", "午後", false}},
      {"quoted unit words are no separators",
       "yyyy-MM-dd",
       "HH 'h' mm 'min' ss 's' t",
       "a.m.",
       "p.m.",
       {"yyyy/MM/dd", "-", ":", true, false, "a.m.", "p.m.", false}},
      {"minute-second separator preferred",
       "dd.MM.yy",
       "HH.mm:ss 'h' t",
       "AM",
       "PM",
       {"dd/MM/yy", ".", ":", true, false, "AM", "PM", false}},
      {"hour-minute separator as fallback",
       "dd.MM.yy",
       "H.mm 'min' ss",
       "AM",
       "PM",
       {"dd/MM/yy", ".", ".", false, false, "AM", "PM", false}},
      {"dot time separator",
       "d.M.yyyy",
       "H.mm.ss t",
       "ap.",
       "ip.",
       {"d/M/yyyy", ".", ".", false, false, "ap.", "ip.", false}},
      {"12-hour clock with leading zero",
       "M/d/yy",
       "hh:mm:ss AP",
       "AM",
       "PM",
       {"M/d/yy", "/", ":", true, true, "AM", "PM", false}},
      {"marker glued to the hour",
       "yy/M/d",
       "t APh:mm:ss",
       "上午",
       "下午",
       {"yy/M/d", "/", ":", false, true, "上午", "下午", true}},
      {"lower-case marker token",
       "M/d/yy",
       "h:mm:ss ap",
       "am",
       "pm",
       {"M/d/yy", "/", ":", false, true, "am", "pm", false}},
      {"capital H ignores the marker",
       "M/d/yy",
       "H:mm:ss AP",
       "AM",
       "PM",
       {"M/d/yy", "/", ":", false, false, "AM", "PM", false}},
      {"h without a marker is a 24-hour clock",
       "yyyy/M/d",
       "Bh:mm:ss [t]",
       "上午",
       "下午",
       {"yyyy/M/d", "/", ":", false, false, "上午", "下午", false}},
      {"separator in a non-Latin script",
       "yyyy-MM-dd",
       "ཆུ་ཚོད་ h སྐར་མ་ mm:ss AP t",
       "སྔ་ཆ་",
       "ཕྱི་ཆ་",
       {"yyyy/MM/dd", "-", ":", false, true, "སྔ་ཆ་", "ཕྱི་ཆ་", false}},
      {"equal markers fall back",
       "M/d/yy",
       "h:mm:ss AP",
       "am",
       "AM",
       {"M/d/yy", "/", ":", false, true, "AM", "PM", false}},
      {"empty marker falls back",
       "M/d/yy",
       "h:mm:ss AP",
       "",
       "PM",
       {"M/d/yy", "/", ":", false, true, "AM", "PM", false}},
      {"markers trimmed",
       "M/d/yy",
       "h:mm:ss AP",
       " vorm. ",
       " nachm.",
       {"M/d/yy", "/", ":", false, true, "vorm.", "nachm.", false}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(localeFormatsOfPatterns(qs(c.datePattern), qs(c.timePattern), qs(c.am), qs(c.pm)),
              c.expected.formats())
        << c.name;
  }
}

// Qt's own locale data (CLDR, as shipped with Qt 6.4); a newer Qt may
// change a pattern, and then the expectation here with it.
TEST(LocaleFormatsOf, NamedLocales) {
  struct Case {
    const char* locale;
    Expected expected;
  };
  const Case cases[] = {
      {"C", {"yyyy/MM/dd", "-", ":", true, false, "AM", "PM", false}},
      {"sk_SK", {"d/M/yyyy", ".", ":", false, false, "AM", "PM", false}},
      {"en_US", {"M/d/yy", "/", ":", false, true, "AM", "PM", false}},
      {"de_DE", {"dd/MM/yy", ".", ":", true, false, "AM", "PM", false}},
      {"ko_KR", {"yy/M/d", ".", ":", false, true, "오전", "오후", true}},
      {"ja_JP", {"yyyy/MM/dd", "/", ":", false, false, "午前", "午後", false}},
      {"hu_HU", {"yyyy/MM/dd", ".", ":", false, false, "de.", "du.", false}},
      {"bg_BG", {"d/MM/yy", ".", ":", false, false, "пр.об.", "сл.об.", false}},
      // The Persian AM text holds a zero-width non-joiner.
      {"fa_IR", {"yyyy/M/d", "/", ":", false, false, "قبل\u200Cازظهر", "بعدازظهر", false}},
      {"ar_EG", {"d/M/yyyy", "/", ":", false, true, "ص", "م", false}},
      {"eo", {"yy/MM/dd", "-", ":", false, false, "atm", "ptm", false}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(localeFormatsOf(QLocale(qs(c.locale))), c.expected.formats()) << c.locale;
  }
}

// The picker shows a date field for field as the row's date text does, the
// year with four digits.
TEST(DatePickerFormat, FollowsTheShortDateFormatOfEachLocale) {
  const struct {
    const char* locale;
    const char* format;
  } cases[] = {
      {"sk_SK", "d.M.yyyy"}, {"en_US", "M/d/yyyy"},   {"de_DE", "dd.MM.yyyy"},
      {"C", "yyyy-MM-dd"},   {"ja_JP", "yyyy/MM/dd"}, {"hu_HU", "yyyy.MM.dd"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(datePickerFormat(localeFormatsOf(QLocale(qs(c.locale)))), qs(c.format)) << c.locale;
  }
}

// Every locale Qt knows: what the program writes under a locale reads back
// under it.
TEST(LocaleFormatsOf, TextsReadBackUnderEveryLocale) {
  // Each date with a current year, some outside its two-digit-year window:
  // a date text's year has four digits.
  struct Moment {
    Date date;
    int currentYear;
  };
  const Moment dates[] = {
      {{1999, 12, 31}, 2026}, {{2006, 3, 5}, 2026},  {{2049, 10, 9}, 2026}, {{2050, 1, 31}, 2026},
      {{2050, 6, 15}, 2100},  {{2107, 11, 1}, 2100}, {{2075, 2, 28}, 2026}, {{1976, 9, 10}, 2026},
      {{1, 1, 1}, 2026},      {{1901, 6, 1}, 2026},  {{2108, 6, 1}, 2026},  {{9999, 12, 31}, 2026},
  };
  const TimeOfDay times[] = {{0, 0, 0},    {12, 0, 0}, {23, 59, 58}, {1, 2, 4},
                             {11, 59, 58}, {13, 0, 0}, {9, 5, 6},    {14, 3, 6}};

  const QList<QLocale> locales =
      QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory);
  // A Qt built without its locale data would make the property vacuous.
  ASSERT_GT(locales.size(), 100);

  std::vector<std::string> failures;
  auto fail = [&](const QLocale& locale, const std::string& what) {
    failures.push_back(locale.name().toStdString() + ": " + what);
  };
  for (const QLocale& locale : locales) {
    const LocaleFormats f = localeFormatsOf(locale);
    for (const Moment& m : dates) {
      const std::string text = formatDateText(m.date, f);
      try {
        if (!(readDateText(text, f, m.currentYear) == m.date)) fail(locale, "date " + text);
      } catch (const ConvertError& e) {
        fail(locale, e.message());
      }
    }
    for (const TimeOfDay& t : times) {
      for (const std::string& text : {formatLongTimeText(t, f), formatShortTimeText(t, f)}) {
        try {
          if (!(readTimeText(text, f) == t)) fail(locale, "time " + text);
        } catch (const ConvertError& e) {
          fail(locale, e.message());
        }
      }
    }
  }
  std::string shown;
  for (std::size_t i = 0; i < failures.size() && i < 20; ++i) shown += failures[i] + "\n";
  EXPECT_TRUE(failures.empty()) << failures.size() << " failures over " << locales.size()
                                << " locales, first ones:\n"
                                << shown;
}

void setOrUnset(const char* name, const char* value) {
  if (value != nullptr) {
    setenv(name, value, 1);
  } else {
    unsetenv(name);
  }
}

// Puts a variable back as it was, for the tests that run after.
class SavedVariable {
 public:
  explicit SavedVariable(const char* name) : m_name(name) {
    if (const char* value = std::getenv(name)) m_value = value;
  }
  ~SavedVariable() { setOrUnset(m_name, m_value ? m_value->c_str() : nullptr); }
  SavedVariable(const SavedVariable&) = delete;
  SavedVariable& operator=(const SavedVariable&) = delete;

 private:
  const char* m_name;
  std::optional<std::string> m_value;
};

// Qt reads the environment once, at the first QLocale::system(), so each
// case runs in a fresh copy of this test program (a death test in the
// "threadsafe" style re-executes it).
TEST(SystemLocaleFormats, FollowsLcAllThenLcTimeThenLang) {
  struct Case {
    const char* lcAll;
    const char* lcTime;
    const char* lang;
    const char* expected;
  };
  const Case cases[] = {
      {nullptr, "de_DE.UTF-8", "en_US.UTF-8", "de_DE"},
      {"ko_KR.UTF-8", "de_DE.UTF-8", "en_US.UTF-8", "ko_KR"},
      {nullptr, nullptr, "sk_SK.UTF-8", "sk_SK"},
      {nullptr, "en_US.UTF-8", "C", "en_US"},
      {"C", "en_US.UTF-8", "sk_SK.UTF-8", "C"},
  };
  const SavedVariable lcAll("LC_ALL");
  const SavedVariable lcTime("LC_TIME");
  const SavedVariable lang("LANG");
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  for (const Case& c : cases) {
    setOrUnset("LC_ALL", c.lcAll);
    setOrUnset("LC_TIME", c.lcTime);
    setOrUnset("LANG", c.lang);
    EXPECT_EXIT(
        {
          const LocaleFormats system = systemLocaleFormats();
          const LocaleFormats expected = localeFormatsOf(QLocale(qs(c.expected)));
          if (!(system == expected)) {
            std::ostringstream shown;
            PrintTo(system, &shown);
            std::fprintf(stderr, "system locale formats %s\n", shown.str().c_str());
            std::fflush(stderr);
          }
          std::_Exit(system == expected ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "")
        << c.expected;
  }
}

}  // namespace
}  // namespace qorv
