#include "ui/errorlog.h"

#include "core/datetimetext.h"
#include "platform/filecontent.h"

namespace qorv {

std::string TErrorLog::Line(const TDateTime& now, const TLocaleFormats& formats,
                            const std::string& className, const std::string& message) {
  std::string when = FormatDateText(now.Date, formats);
  if (now.Time != TTimeOfDay{}) when += " " + FormatLongTimeText(now.Time, formats);
  return when + " : " + className + " - " + message + "\r\n";
}

void TErrorLog::Append(const TDateTime& now, const TLocaleFormats& formats,
                       const std::string& className, const std::string& message) const {
  AppendToFile(m_path, Line(now, formats, className, message));
}

}  // namespace qorv
