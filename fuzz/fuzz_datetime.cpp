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

using qorv::fuzz::Require;

std::vector<qorv::TLocaleFormats>& Locales() {
  static std::vector<qorv::TLocaleFormats> locales;
  return locales;
}

/// Takes `count` bytes from the front of `input` as a number; zeros when short.
unsigned Take(std::string_view& input, std::size_t count) {
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

bool TwoDigitYears(const qorv::TLocaleFormats& formats) {
  std::size_t run = 0;
  std::size_t longest = 0;
  for (const char c : formats.ShortDateFormat) {
    run = (c == 'y' || c == 'Y') ? run + 1 : 0;
    if (run > longest) longest = run;
  }
  return longest <= 2;
}

/// A date the formats write reads back as itself, when its year is one that
/// a two-digit year text can stand for.
void RequireDateRoundTrip(const qorv::TDate& date, const qorv::TLocaleFormats& formats,
                          int currentYear) {
  if (TwoDigitYears(formats) && (date.Year < currentYear - 50 || date.Year >= currentYear + 50))
    return;
  const std::string text = qorv::FormatDateText(date, formats);
  try {
    Require(qorv::ReadDateText(text, formats, currentYear) == date, "a written date reads back",
            text);
  } catch (const qorv::EConvertError&) {
    Require(false, "a written date reads back", text);
  }
}

void RequireTimeRoundTrip(const qorv::TTimeOfDay& time, const qorv::TLocaleFormats& formats) {
  for (const std::string& text :
       {qorv::FormatLongTimeText(time, formats), qorv::FormatShortTimeText(time, formats)}) {
    try {
      Require(qorv::ReadTimeText(text, formats) == time, "a written time reads back", text);
    } catch (const qorv::EConvertError&) {
      Require(false, "a written time reads back", text);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The synthetic ones first, so that short inputs reach them.
  qorv::TLocaleFormats dotted;
  dotted.ShortDateFormat = "d/M/yyyy";
  qorv::TLocaleFormats american;
  american.ShortDateFormat = "M/d/yy";
  american.DateSeparator = "/";
  american.HourLeadingZero = false;
  american.TwelveHour = true;
  qorv::TLocaleFormats iso;
  iso.ShortDateFormat = "yyyy/MM/dd";
  iso.DateSeparator = "-";
  Locales() = {dotted, american, iso};
  for (const QLocale& locale :
       QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory)) {
    const qorv::TLocaleFormats formats = qorv::LocaleFormatsOf(locale);
    bool known = false;
    for (const qorv::TLocaleFormats& seen : Locales()) known = known || seen == formats;
    if (!known) Locales().push_back(formats);
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Two bytes choose the locale, two the current year, seven a moment; the
  // rest is a text typed as a date and as a time.
  std::string_view input(reinterpret_cast<const char*>(data), size);
  const qorv::TLocaleFormats& formats = Locales()[Take(input, 2) % Locales().size()];
  const int currentYear = 1 + static_cast<int>(Take(input, 2) % 9999);
  qorv::TDate date;
  date.Year = 1 + static_cast<int>(Take(input, 2) % 9999);
  date.Month = 1 + static_cast<int>(Take(input, 1) % 12);
  date.Day = 1 + static_cast<int>(Take(input, 1) %
                                  static_cast<unsigned>(qorv::DaysInMonth(date.Year, date.Month)));
  const qorv::TTimeOfDay time{static_cast<int>(Take(input, 1) % 24),
                              static_cast<int>(Take(input, 1) % 60),
                              static_cast<int>(Take(input, 1) % 60)};
  RequireDateRoundTrip(date, formats, currentYear);
  RequireTimeRoundTrip(time, formats);

  const std::string_view text = input;
  // An error message is a C string: it ends at a zero byte of the text.
  const auto errorFor = [text](const char* what) {
    const std::string message = "'" + std::string(text) + "' is not a valid " + what;
    return message.substr(0, message.find('\0'));
  };
  try {
    const qorv::TDate read = qorv::ReadDateText(text, formats, currentYear);
    Require(qorv::IsValidDate(read.Year, read.Month, read.Day), "a date read is valid", text);
    RequireDateRoundTrip(read, formats, currentYear);
  } catch (const qorv::EConvertError& error) {
    Require(error.Message() == errorFor("date"), "the date error names the text", error.Message());
  }
  try {
    const qorv::TTimeOfDay read = qorv::ReadTimeText(text, formats);
    Require(qorv::IsValidTime(read.Hour, read.Minute, read.Second), "a time read is valid", text);
    RequireTimeRoundTrip(read, formats);
  } catch (const qorv::EConvertError& error) {
    Require(error.Message() == errorFor("time"), "the time error names the text", error.Message());
  }
  return 0;
}
