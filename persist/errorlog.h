#pragma once

#include <string>

#include "platform/datetime.h"
#include "platform/localeformats.h"

namespace qorv {

/// "error.log": one line per unexpected error, appended, never read back.
class ErrorLog {
 public:
  explicit ErrorLog(std::string path) : m_path(std::move(path)) {}

  /// "<date>[ <time>] : <class> - <message>\r\n"; the time is left out at
  /// exactly midnight.
  static std::string line(const DateTime& now, const LocaleFormats& formats,
                          const std::string& className, const std::string& message);

  /// Appends the line; a log that cannot be written is given up silently,
  /// since there is nowhere left to report that.
  void append(const DateTime& now, const LocaleFormats& formats, const std::string& className,
              const std::string& message) const;

 private:
  std::string m_path;
};

}  // namespace qorv
