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

struct TPatternItem {
  bool IsField = false;
  char16_t Letter = 0;   // fields: the pattern letter
  int Count = 0;         // fields: how often it repeats
  char32_t Literal = 0;  // literals outside quotes
};

std::vector<TPatternItem> Tokenize(QStringView pattern) {
  std::vector<TPatternItem> items;
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
bool IsSeparatorCharacter(char32_t c) {
  if (QChar::isSpace(c) || QChar::isLetterOrNumber(c) || QChar::isMark(c)) return false;
  const QChar::Category category = QChar::category(c);
  return category != QChar::Other_Format && category != QChar::Other_Control;
}

// The first separator character among items (from, to), exclusive.
std::optional<char32_t> SeparatorBetween(const std::vector<TPatternItem>& items, std::size_t from,
                                         std::size_t to) {
  for (std::size_t i = from + 1; i < to; ++i) {
    if (!items[i].IsField && IsSeparatorCharacter(items[i].Literal)) return items[i].Literal;
  }
  return std::nullopt;
}

std::string Utf8Of(char32_t c) { return QString::fromUcs4(&c, 1).toStdString(); }

std::optional<std::size_t> FirstField(const std::vector<TPatternItem>& items,
                                      std::u16string_view letters) {
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (items[i].IsField && letters.find(items[i].Letter) != std::u16string_view::npos) return i;
  }
  return std::nullopt;
}

void ReduceDatePattern(QStringView pattern, TLocaleFormats& formats) {
  const std::vector<TPatternItem> items = Tokenize(pattern);
  std::vector<std::size_t> fields;
  std::string reduced;
  bool day = false;
  bool month = false;
  bool year = false;
  for (std::size_t i = 0; i < items.size(); ++i) {
    const TPatternItem& item = items[i];
    if (!item.IsField) continue;
    const char* text = nullptr;
    if (item.Letter == u'd' && item.Count <= 2 && !day) {
      // ddd and dddd are weekday names, not the day of the month.
      text = item.Count == 2 ? "dd" : "d";
      day = true;
    } else if (item.Letter == u'M' && !month) {
      // A month name (MMM, MMMM) becomes its number.
      text = item.Count == 2 ? "MM" : "M";
      month = true;
    } else if (item.Letter == u'y' && !year) {
      text = item.Count <= 2 ? "yy" : "yyyy";
      year = true;
    }
    if (text == nullptr) continue;
    if (!reduced.empty()) reduced += '/';
    reduced += text;
    fields.push_back(i);
  }

  std::optional<char32_t> separator;
  if (fields.size() == 3) {
    separator = SeparatorBetween(items, fields[0], fields[1]);
    if (!separator) separator = SeparatorBetween(items, fields[1], fields[2]);
  }
  if (!separator) {
    // Qt's C locale ("d MMM yyyy") and the like: nothing that could stand
    // between numbers, so fall back to the unambiguous ISO order.
    formats.ShortDateFormat = "yyyy/MM/dd";
    formats.DateSeparator = "-";
    return;
  }
  formats.ShortDateFormat = reduced;
  formats.DateSeparator = Utf8Of(*separator);
}

void ReduceTimePattern(QStringView pattern, TLocaleFormats& formats) {
  const std::vector<TPatternItem> items = Tokenize(pattern);
  const std::optional<std::size_t> hour = FirstField(items, u"hH");
  const std::optional<std::size_t> minute = FirstField(items, u"m");
  const std::optional<std::size_t> second = FirstField(items, u"s");
  const std::optional<std::size_t> marker = FirstField(items, u"aA");

  if (hour) {
    formats.HourLeadingZero = items[*hour].Count >= 2;
    formats.TwelveHour = marker.has_value() && items[*hour].Letter == u'h';
    formats.MarkerFirst = formats.TwelveHour && *marker < *hour;
  }

  std::optional<char32_t> separator;
  if (minute && second && *minute < *second) separator = SeparatorBetween(items, *minute, *second);
  if (!separator && hour && minute && *hour < *minute) {
    separator = SeparatorBetween(items, *hour, *minute);
  }
  formats.TimeSeparator = separator ? Utf8Of(*separator) : std::string(":");
}

void TakeMarkers(const QString& amText, const QString& pmText, TLocaleFormats& formats) {
  const QString am = amText.trimmed();
  const QString pm = pmText.trimmed();
  // Markers that cannot be told apart would not read back.
  if (am.isEmpty() || pm.isEmpty() || am.compare(pm, Qt::CaseInsensitive) == 0) {
    formats.AmText = "AM";
    formats.PmText = "PM";
    return;
  }
  formats.AmText = am.toStdString();
  formats.PmText = pm.toStdString();
}

}  // namespace

TLocaleFormats LocaleFormatsOfPatterns(const QString& shortDatePattern,
                                       const QString& longTimePattern, const QString& amText,
                                       const QString& pmText) {
  TLocaleFormats formats;
  ReduceDatePattern(shortDatePattern, formats);
  ReduceTimePattern(longTimePattern, formats);
  TakeMarkers(amText, pmText, formats);
  return formats;
}

TLocaleFormats LocaleFormatsOf(const QLocale& locale) {
  return LocaleFormatsOfPatterns(locale.dateFormat(QLocale::ShortFormat),
                                 locale.timeFormat(QLocale::LongFormat), locale.amText(),
                                 locale.pmText());
}

TLocaleFormats SystemLocaleFormats() { return LocaleFormatsOf(QLocale::system()); }

}  // namespace qorv
