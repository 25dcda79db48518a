#pragma once

#include "platform/localeformats.h"

namespace qorv::test {

/// A day-first locale ("5.3.2006") whose hour has no leading zero, so that
/// the long time form ("9:05:06") differs from the short one ("09:05:06").
inline LocaleFormats dayFirstFormats() {
  LocaleFormats formats;
  formats.shortDateFormat = "d/M/yyyy";
  formats.dateSeparator = ".";
  formats.timeSeparator = ":";
  formats.hourLeadingZero = false;
  return formats;
}

}  // namespace qorv::test
