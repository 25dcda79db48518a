#include "persist/errorlog.h"

#include "core/datetimetext.h"
#include "platform/filecontent.h"

namespace qorv {

std::string ErrorLog::line(const DateTime& now, const LocaleFormats& formats,
                           const std::string& className, const std::string& message) {
  std::string when = formatDateText(now.date, formats);
  if (now.time != TimeOfDay{}) when += " " + formatLongTimeText(now.time, formats);
  return when + " : " + className + " - " + message + "\r\n";
}

void ErrorLog::append(const DateTime& now, const LocaleFormats& formats,
                      const std::string& className, const std::string& message) const {
  // The log is the last resort of a failure already being reported: one
  // that cannot be logged has nowhere further to go.
  static_cast<void>(appendToFile(m_path, line(now, formats, className, message)));
}

}  // namespace qorv
