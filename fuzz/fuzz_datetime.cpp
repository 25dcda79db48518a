// Date and time texts: typed by users in the page edit dialog and read back
// by the writer, under whatever locale the user has. Every locale Qt knows
// takes part.

#include <QLocale>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/datetimetext.h"
#include "core/errors.h"
#include "fuzz/property.h"
#include "platform/qtlocaleformats.h"

namespace {

using qorv::fuzz::require;

std::vector<qorv::LocaleFormats>& locales() {
  static std::vector<qorv::LocaleFormats> locales;
  return locales;
}

/// Takes `count` bytes from the front of `input` as a number; zeros when short.
unsigned take(std::string_view& input, std::size_t count) {
  unsigned value = 0;
  for (std::size_t i = 0; i < count; ++i) {
    value = value << 8;
    if (!input.empty()) {
      value |= static_cast<unsigned char>(input.front());
      input.remove_prefix(1);
    }
  }
  return value;
}

bool twoDigitYears(const qorv::LocaleFormats& formats) {
  std::size_t run = 0;
  std::size_t longest = 0;
  for (const char c : formats.shortDateFormat) {
    run = (c == 'y' || c == 'Y') ? run + 1 : 0;
    if (run > longest) longest = run;
  }
  return longest <= 2;
}

/// A date the formats write reads back as itself, when its year is one that
/// a two-digit year text can stand for.
void requireDateRoundTrip(const qorv::Date& date, const qorv::LocaleFormats& formats,
                          int currentYear) {
  if (twoDigitYears(formats) && (date.year < currentYear - 50 || date.year >= currentYear + 50))
    return;
  const std::string text = qorv::formatDateText(date, formats);
  try {
    require(qorv::readDateText(text, formats, currentYear) == date, "a written date reads back",
            text);
  } catch (const qorv::ConvertError&) {
    require(false, "a written date reads back", text);
  }
}

void requireTimeRoundTrip(const qorv::TimeOfDay& time, const qorv::LocaleFormats& formats) {
  for (const std::string& text :
       {qorv::formatLongTimeText(time, formats), qorv::formatShortTimeText(time, formats)}) {
    try {
      require(qorv::readTimeText(text, formats) == time, "a written time reads back", text);
    } catch (const qorv::ConvertError&) {
      require(false, "a written time reads back", text);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The synthetic ones first, so that short inputs reach them.
  qorv::LocaleFormats dotted;
  dotted.shortDateFormat = "d/M/yyyy";
  qorv::LocaleFormats american;
  american.shortDateFormat = "M/d/yy";
  american.dateSeparator = "/";
  american.hourLeadingZero = false;
  american.twelveHour = true;
  qorv::LocaleFormats iso;
  iso.shortDateFormat = "yyyy/MM/dd";
  iso.dateSeparator = "-";
  locales() = {dotted, american, iso};
  for (const QLocale& locale :
       QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory)) {
    const qorv::LocaleFormats formats = qorv::localeFormatsOf(locale);
    bool known = false;
    for (const qorv::LocaleFormats& seen : locales()) known = known || seen == formats;
    if (!known) locales().push_back(formats);
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Two bytes choose the locale, two the current year, seven a moment; the
  // rest is a text typed as a date and as a time.
  std::string_view input(reinterpret_cast<const char*>(data), size);
  const qorv::LocaleFormats& formats = locales()[take(input, 2) % locales().size()];
  const int currentYear = 1 + static_cast<int>(take(input, 2) % 9999);
  qorv::Date date;
  date.year = 1 + static_cast<int>(take(input, 2) % 9999);
  date.month = 1 + static_cast<int>(take(input, 1) % 12);
  date.day = 1 + static_cast<int>(take(input, 1) %
                                  static_cast<unsigned>(qorv::daysInMonth(date.year, date.month)));
  const qorv::TimeOfDay time{static_cast<int>(take(input, 1) % 24),
                             static_cast<int>(take(input, 1) % 60),
                             static_cast<int>(take(input, 1) % 60)};
  requireDateRoundTrip(date, formats, currentYear);
  requireTimeRoundTrip(time, formats);

  const std::string_view text = input;
  // An error message is a C string: it ends at a zero byte of the text.
  const auto errorFor = [text](const char* what) {
    const std::string message = "'" + std::string(text) + "' is not a valid " + what;
    return message.substr(0, message.find('\0'));
  };
  try {
    const qorv::Date read = qorv::readDateText(text, formats, currentYear);
    require(qorv::isValidDate(read.year, read.month, read.day), "a date read is valid", text);
    requireDateRoundTrip(read, formats, currentYear);
  } catch (const qorv::ConvertError& error) {
    require(error.message() == errorFor("date"), "the date error names the text", error.message());
  }
  try {
    const qorv::TimeOfDay read = qorv::readTimeText(text, formats);
    require(qorv::isValidTime(read.hour, read.minute, read.second), "a time read is valid", text);
    requireTimeRoundTrip(read, formats);
  } catch (const qorv::ConvertError& error) {
    require(error.message() == errorFor("time"), "the time error names the text", error.message());
  }
  return 0;
}
