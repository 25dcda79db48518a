#pragma once

#include "platform/localeformats.h"

class QLocale;
class QString;

namespace qorv {

/// The formats of a Qt locale, reduced to what the date and time texts use:
/// the short date pattern keeps its numeric day, month and year fields in
/// order, joined by the first separator character between them (a month
/// name becomes its number; with no separator, yyyy-MM-dd); the long time
/// pattern gives the hour's leading zero, the 12-hour clock and the place of
/// its marker, and the separator between minutes and seconds (else hours and
/// minutes, else ":").
LocaleFormats localeFormatsOf(const QLocale& locale);

/// The same reduction for patterns as QLocale gives them: the short date
/// pattern, the long time pattern and the AM/PM texts.
LocaleFormats localeFormatsOfPatterns(const QString& shortDatePattern,
                                      const QString& longTimePattern, const QString& amText,
                                      const QString& pmText);

/// The formats of the user's locale (LC_ALL, LC_TIME, LANG), as Qt reports it.
LocaleFormats systemLocaleFormats();

/// The short date format as a Qt date display format (for a date picker),
/// so that a picker and a row's date text show a date alike: the year with
/// four digits.
QString datePickerFormat(const LocaleFormats& formats);

}  // namespace qorv
