#pragma once

#include "platform/localeformats.h"

class QLocale;

namespace qorv {

/// The formats of a Qt locale, reduced to what the date and time texts use.
TLocaleFormats LocaleFormatsOf(const QLocale& locale);

/// The formats of the user's locale (LC_ALL, LC_TIME, LANG), as Qt reports it.
TLocaleFormats SystemLocaleFormats();

}  // namespace qorv
