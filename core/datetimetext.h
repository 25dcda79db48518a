#pragma once

#include <string>
#include <string_view>

#include "platform/datetime.h"
#include "platform/localeformats.h"

namespace qorv {

// A page row holds its last-modified moment as two texts in the user's
// locale: the date text and the time text (short form "hh:nn:ss" for file
// rows, long form for the root row and edited rows). These functions write
// them and read them back.

/// The date in the short date format, e.g. 5.3.2006 for "d/M/yyyy" and ".".
std::string FormatDateText(const TDate& date, const TLocaleFormats& formats);

/// The time in the long form: hour (leading zero only if the locale wants
/// one; 1 to 12 with the AM/PM text on a 12-hour clock), minutes, seconds.
std::string FormatLongTimeText(const TTimeOfDay& time, const TLocaleFormats& formats);

/// The time in the fixed short form: two-digit 24-hour hour, minutes and
/// seconds joined by the time separator.
std::string FormatShortTimeText(const TTimeOfDay& time, const TLocaleFormats& formats);

/// Reads a date text back. Two-digit years fall in the 100-year window
/// starting 50 years before `currentYear`; a text with only day and month
/// takes `currentYear`. Throws EConvertError "'<text>' is not a valid date".
TDate ReadDateText(std::string_view text, const TLocaleFormats& formats, int currentYear);

/// Reads a time text of either form back, with an optional AM/PM marker
/// (the locale's or "AM"/"PM") before or after the time. Throws
/// EConvertError "'<text>' is not a valid time".
TTimeOfDay ReadTimeText(std::string_view text, const TLocaleFormats& formats);

/// The date as "yyyy-mm-dd", the sitemap's lastmod form.
std::string FormatIsoDate(const TDate& date);

}  // namespace qorv
