#include "core/pagedetails.h"

#include "core/datetimetext.h"
#include "core/errors.h"

namespace qorv {

std::optional<PageDetails> readPageDetails(const PageEntry& row, const LocaleFormats& formats,
                                           int currentYear) {
  try {
    return PageDetails{readDateText(row.dateText, formats, currentYear),
                       readTimeText(row.timeText, formats), row.changefreq, row.priority};
  } catch (const ConvertError&) {
    return std::nullopt;
  }
}

void storePageDetails(PageList& pages, std::size_t row, const PageDetails& details,
                      const LocaleFormats& formats) {
  pages.setDetails(row, formatDateText(details.date, formats),
                   formatLongTimeText(details.time, formats), details.changefreq, details.priority);
}

}  // namespace qorv
