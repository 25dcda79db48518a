#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/outputtransaction.h"

namespace qorv {

/// How robots.txt must change so that it names a sitemap.
struct RobotsUpdate {
  /// False when the file already has the line: it stays untouched.
  bool changed = false;
  /// The whole new content, when changed.
  std::string content;
};

/// Adds the line "Sitemap: URL" to robots.txt, or to a new one when
/// `existing` is nothing. A "Sitemap:" line (field name in any case, blanks
/// around the value ignored) with exactly `sitemapUrl` counts as there
/// already. Every existing byte is kept and the file's own line ends are
/// used (CRLF for a file without any); a line break is added first when
/// the file does not end with one.
RobotsUpdate robotsWithSitemap(const std::optional<std::string>& existing,
                               std::string_view sitemapUrl);

/// The robots.txt of a write's folder, to name the sitemap: read when the
/// update is made, before any file of the write is in place, so that one
/// that cannot be read (a link, an input/output error) fails the write while
/// nothing has changed; replaced by `apply`, once the sitemap is in place.
class RobotsTxtUpdate {
 public:
  /// Throws IoError when robots.txt is there but cannot be read.
  RobotsTxtUpdate(OutputTransaction& transaction, const std::string& sitemapUrl);

  /// Adds the sitemap's line; false, changing nothing, when it is there
  /// already. Throws IoError when robots.txt cannot be replaced.
  bool apply();

 private:
  OutputTransaction& m_transaction;
  RobotsUpdate m_update;
};

}  // namespace qorv
