#pragma once

#include <string>

#include "platform/datetime.h"
#include "platform/localeformats.h"

namespace qorv {

/// "error.log": one line per unexpected error, appended, never read back.
class TErrorLog {
 public:
  explicit TErrorLog(std::string path) : m_path(std::move(path)) {}

  /// "<date>[ <time>] : <class> - <message>\r\n"; the time is left out at
  /// exactly midnight.
  static std::string Line(const TDateTime& now, const TLocaleFormats& formats,
                          const std::string& className, const std::string& message);

  /// Appends the line; a log that cannot be written is given up silently,
  /// since there is nowhere left to report that.
  void Append(const TDateTime& now, const TLocaleFormats& formats, const std::string& className,
              const std::string& message) const;

 private:
  std::string m_path;
};

}  // namespace qorv
