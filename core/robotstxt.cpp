#include "core/robotstxt.h"

#include "core/blanks.h"
#include "core/unicodecase.h"

namespace qorv {

namespace {

constexpr std::string_view kRobotsFileName = "robots.txt";

bool namesSitemap(std::string_view line, std::string_view sitemapUrl) {
  const std::size_t colon = line.find(':');
  if (colon == std::string_view::npos) return false;
  return equalsIgnoreCase(trimBlanks(line.substr(0, colon)), "sitemap") &&
         trimBlanks(line.substr(colon + 1)) == sitemapUrl;
}

/// The line end the file uses: that of its first line break.
std::string_view lineEndOf(std::string_view text) {
  const std::size_t at = text.find_first_of("\r\n");
  if (at == std::string_view::npos) return "\r\n";
  if (text[at] == '\n') return "\n";
  return at + 1 < text.size() && text[at + 1] == '\n' ? "\r\n" : "\r";
}

}  // namespace

RobotsUpdate robotsWithSitemap(const std::optional<std::string>& existing,
                               std::string_view sitemapUrl) {
  const std::string line = "Sitemap: " + std::string(sitemapUrl);
  if (!existing) return {true, line + "\r\n"};

  std::string_view text = *existing;
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark)
    text.remove_prefix(kByteOrderMark.size());
  for (std::string_view rest = text; !rest.empty();) {
    const std::size_t end = rest.find_first_of("\r\n");
    if (namesSitemap(rest.substr(0, end), sitemapUrl)) return {};
    if (end == std::string_view::npos) break;
    rest.remove_prefix(end + 1);
  }

  const std::string_view lineEnd = lineEndOf(text);
  RobotsUpdate update{true, *existing};
  if (!update.content.empty() && update.content.back() != '\n' && update.content.back() != '\r')
    update.content.append(lineEnd);
  update.content.append(line).append(lineEnd);
  return update;
}

RobotsTxtUpdate::RobotsTxtUpdate(OutputTransaction& transaction, const std::string& sitemapUrl)
    : m_transaction(transaction),
      m_update(robotsWithSitemap(transaction.read(std::string(kRobotsFileName)), sitemapUrl)) {}

bool RobotsTxtUpdate::apply() {
  if (!m_update.changed) return false;
  m_transaction.replace(std::string(kRobotsFileName), m_update.content);
  return true;
}

}  // namespace qorv
