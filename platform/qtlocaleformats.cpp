#include "platform/qtlocaleformats.h"

#include <QLocale>
#include <QString>
#include <QStringView>

#include <optional>
#include <vector>

namespace qorv {

namespace {

// Qt's patterns are CLDR patterns: runs of ASCII letters are fields, text in
// single quotes is literal, anything else is literal too. The core only
// knows numeric fields and one separator, so the patterns are boiled down.

struct PatternItem {
  bool isField = false;
  char16_t letter = 0;   // fields: the pattern letter
  int count = 0;         // fields: how often it repeats
  char32_t literal = 0;  // literals outside quotes
};

std::vector<PatternItem> tokenize(QStringView pattern) {
  std::vector<PatternItem> items;
  qsizetype i = 0;
  const qsizetype n = pattern.size();
  while (i < n) {
    const char16_t c = pattern[i].unicode();
    if (c == u'\'') {
      // Quoted words ('г', 'h', 'Klock') are never separators; "''" is an
      // escaped quote, equally dropped.
      ++i;
      while (i < n && pattern[i] != u'\'') ++i;
      ++i;
      continue;
    }
    if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z')) {
      qsizetype run = 1;
      while (i + run < n && pattern[i + run] == c) ++run;
      items.push_back({true, c, static_cast<int>(run), 0});
      i += run;
      continue;
    }
    char32_t cp = c;
    if (QChar::isHighSurrogate(c) && i + 1 < n && pattern[i + 1].isLowSurrogate()) {
      cp = QChar::surrogateToUcs4(c, pattern[i + 1].unicode());
      ++i;
    }
    items.push_back({false, 0, 0, cp});
    ++i;
  }
  return items;
}

// Blanks, words (Korean "시", Japanese "時") and invisible bidi marks
// (U+200F in the Arabic patterns) sit between fields without separating
// them in the sense the core needs.
bool isSeparatorCharacter(char32_t c) {
  if (QChar::isSpace(c) || QChar::isLetterOrNumber(c) || QChar::isMark(c)) return false;
  const QChar::Category category = QChar::category(c);
  return category != QChar::Other_Format && category != QChar::Other_Control;
}

// The first separator character among items (from, to), exclusive.
std::optional<char32_t> separatorBetween(const std::vector<PatternItem>& items, std::size_t from,
                                         std::size_t to) {
  for (std::size_t i = from + 1; i < to; ++i) {
    if (!items[i].isField && isSeparatorCharacter(items[i].literal)) return items[i].literal;
  }
  return std::nullopt;
}

std::string utf8Of(char32_t c) { return QString::fromUcs4(&c, 1).toStdString(); }

std::optional<std::size_t> firstField(const std::vector<PatternItem>& items,
                                      std::u16string_view letters) {
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (items[i].isField && letters.find(items[i].letter) != std::u16string_view::npos) return i;
  }
  return std::nullopt;
}

void reduceDatePattern(QStringView pattern, LocaleFormats& formats) {
  const std::vector<PatternItem> items = tokenize(pattern);
  std::vector<std::size_t> fields;
  std::string reduced;
  bool day = false;
  bool month = false;
  bool year = false;
  for (std::size_t i = 0; i < items.size(); ++i) {
    const PatternItem& item = items[i];
    if (!item.isField) continue;
    const char* text = nullptr;
    if (item.letter == u'd' && item.count <= 2 && !day) {
      // ddd and dddd are weekday names, not the day of the month.
      text = item.count == 2 ? "dd" : "d";
      day = true;
    } else if (item.letter == u'M' && !month) {
      // A month name (MMM, MMMM) becomes its number.
      text = item.count == 2 ? "MM" : "M";
      month = true;
    } else if (item.letter == u'y' && !year) {
      text = item.count <= 2 ? "yy" : "yyyy";
      year = true;
    }
    if (text == nullptr) continue;
    if (!reduced.empty()) reduced += '/';
    reduced += text;
    fields.push_back(i);
  }

  std::optional<char32_t> separator;
  if (fields.size() == 3) {
    separator = separatorBetween(items, fields[0], fields[1]);
    if (!separator) separator = separatorBetween(items, fields[1], fields[2]);
  }
  if (!separator) {
    // Qt's C locale ("d MMM yyyy") and the like: nothing that could stand
    // between numbers, so fall back to the unambiguous ISO order.
    formats.shortDateFormat = "yyyy/MM/dd";
    formats.dateSeparator = "-";
    return;
  }
  formats.shortDateFormat = reduced;
  formats.dateSeparator = utf8Of(*separator);
}

void reduceTimePattern(QStringView pattern, LocaleFormats& formats) {
  const std::vector<PatternItem> items = tokenize(pattern);
  const std::optional<std::size_t> hour = firstField(items, u"hH");
  const std::optional<std::size_t> minute = firstField(items, u"m");
  const std::optional<std::size_t> second = firstField(items, u"s");
  const std::optional<std::size_t> marker = firstField(items, u"aA");

  if (hour) {
    formats.hourLeadingZero = items[*hour].count >= 2;
    formats.twelveHour = marker.has_value() && items[*hour].letter == u'h';
    formats.markerFirst = formats.twelveHour && *marker < *hour;
  }

  std::optional<char32_t> separator;
  if (minute && second && *minute < *second) separator = separatorBetween(items, *minute, *second);
  if (!separator && hour && minute && *hour < *minute) {
    separator = separatorBetween(items, *hour, *minute);
  }
  formats.timeSeparator = separator ? utf8Of(*separator) : std::string(":");
}

void takeMarkers(const QString& amText, const QString& pmText, LocaleFormats& formats) {
  const QString am = amText.trimmed();
  const QString pm = pmText.trimmed();
  // Markers that cannot be told apart would not read back.
  if (am.isEmpty() || pm.isEmpty() || am.compare(pm, Qt::CaseInsensitive) == 0) {
    formats.amText = "AM";
    formats.pmText = "PM";
    return;
  }
  formats.amText = am.toStdString();
  formats.pmText = pm.toStdString();
}

}  // namespace

LocaleFormats localeFormatsOfPatterns(const QString& shortDatePattern,
                                      const QString& longTimePattern, const QString& amText,
                                      const QString& pmText) {
  LocaleFormats formats;
  reduceDatePattern(shortDatePattern, formats);
  reduceTimePattern(longTimePattern, formats);
  takeMarkers(amText, pmText, formats);
  return formats;
}

LocaleFormats localeFormatsOf(const QLocale& locale) {
  return localeFormatsOfPatterns(locale.dateFormat(QLocale::ShortFormat),
                                 locale.timeFormat(QLocale::LongFormat), locale.amText(),
                                 locale.pmText());
}

LocaleFormats systemLocaleFormats() { return localeFormatsOf(QLocale::system()); }

QString datePickerFormat(const LocaleFormats& formats) {
  QString format;
  const std::string& pattern = formats.shortDateFormat;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const char c = pattern[i];
    if (c == '/') {
      format += QString::fromStdString(formats.dateSeparator);
    } else if (c == 'D' || c == 'd') {
      format += QLatin1Char('d');
    } else if (c == 'M' || c == 'm') {
      format += QLatin1Char('M');
    } else if (c == 'Y' || c == 'y') {
      // The row's date text has a four-digit year whatever the pattern.
      while (i + 1 < pattern.size() && (pattern[i + 1] == 'Y' || pattern[i + 1] == 'y')) ++i;
      format += QStringLiteral("yyyy");
    } else {
      format += QLatin1Char(c);
    }
  }
  return format;
}

}  // namespace qorv
