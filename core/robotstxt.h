#pragma once

#include <optional>
#include <string>
#include <string_view>

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

}  // namespace qorv
