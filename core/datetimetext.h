#pragma once

#include <optional>
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
/// The year has four digits whatever the pattern's year field ("0075" for
/// the year 75), so that every date reads back as itself.
std::string formatDateText(const Date& date, const LocaleFormats& formats);

/// The time in the long form: hour (leading zero only if the locale wants
/// one; 1 to 12 with the AM/PM text on a 12-hour clock), minutes, seconds.
std::string formatLongTimeText(const TimeOfDay& time, const LocaleFormats& formats);

/// The time in the fixed short form: two-digit 24-hour hour, minutes and
/// seconds joined by the time separator.
std::string formatShortTimeText(const TimeOfDay& time, const LocaleFormats& formats);

/// Reads a date text back. Two-digit years fall in the 100-year window
/// starting 50 years before `currentYear`; a text with only day and month
/// takes `currentYear`. Throws ConvertError "'<text>' is not a valid date".
Date readDateText(std::string_view text, const LocaleFormats& formats, int currentYear);

/// Reads a time text of either form back, with an optional AM/PM marker
/// (the locale's or "AM"/"PM") before or after the time. Throws
/// ConvertError "'<text>' is not a valid time".
TimeOfDay readTimeText(std::string_view text, const LocaleFormats& formats);

/// As `readTimeText`, without the error: nothing when the text does not
/// read back.
std::optional<TimeOfDay> tryReadTimeText(std::string_view text, const LocaleFormats& formats);

/// The date as "yyyy-mm-dd", the sitemap's lastmod form.
std::string formatIsoDate(const Date& date);

/// Appends the time as "hh:mm:ss", 24-hour clock, two digits each.
void appendIsoTime(std::string& out, const TimeOfDay& time);

/// Whether a zone text may end a W3C date-time: "Z", or a sign, the hours
/// (00 to 23), ":" and the minutes (00 to 59).
bool isW3cTimeZone(std::string_view zone);

}  // namespace qorv
