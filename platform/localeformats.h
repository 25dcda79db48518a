#pragma once

#include <string>

namespace qorv {

/// The user's date and time conventions, reduced to what the date and time
/// texts of the page list need. The platform's locale adapter fills it; the
/// core only reads it, so tests can hand in any locale as a plain value.
struct LocaleFormats {
  /// Numeric date pattern: the fields d or dd (day), M or MM (month), yy or
  /// yyyy (year), letters in either case, each separated by "/", which
  /// stands for `dateSeparator`. Example: "d/M/yyyy" with separator "."
  /// gives 5.3.2006. A date text's year always has four digits; yy only
  /// tells that the locale would show two.
  std::string shortDateFormat = "dd/MM/yyyy";
  /// One character (UTF-8 encoded).
  std::string dateSeparator = ".";
  /// One character (UTF-8 encoded), used by both time forms.
  std::string timeSeparator = ":";

  // The long time form: hour, separator, minutes, separator, seconds.
  bool hourLeadingZero = true;
  /// A 12-hour clock: hour 1 to 12 and an AM or PM marker.
  bool twelveHour = false;
  std::string amText = "AM";
  std::string pmText = "PM";
  /// The marker goes before the hour (followed by a blank) rather than
  /// after the seconds (preceded by a blank).
  bool markerFirst = false;

  friend bool operator==(const LocaleFormats&, const LocaleFormats&) = default;
};

}  // namespace qorv
