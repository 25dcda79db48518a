#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "core/pagelist.h"
#include "platform/datetime.h"
#include "platform/localeformats.h"

namespace qorv {

/// What the page edit dialog shows and changes of one row: its moment as
/// values rather than texts, and its two tag texts as they stand.
struct PageDetails {
  Date date;
  TimeOfDay time;
  std::string changefreq;
  std::string priority;

  friend bool operator==(const PageDetails&, const PageDetails&) = default;
};

/// The details of a row, its date and time texts read back under
/// `formats`; nothing when either does not read back (the locale changed
/// since the row was made).
std::optional<PageDetails> readPageDetails(const PageEntry& row, const LocaleFormats& formats,
                                           int currentYear);

/// Stores edited details in a row: the date in the short date format, the
/// time in the long form, the tag texts unchanged; its URL and tick stay.
void storePageDetails(PageList& pages, std::size_t row, const PageDetails& details,
                      const LocaleFormats& formats);

}  // namespace qorv
