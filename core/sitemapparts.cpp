#include "core/sitemapparts.h"

namespace qorv {

bool startsNewPart(std::uint64_t urls, std::uint64_t bytes, std::uint64_t elementBytes,
                   std::uint64_t tailBytes, std::uint64_t maxBytes) {
  return urls > 0 && (urls + 1 > kMaxSitemapUrls || bytes + elementBytes + tailBytes > maxBytes);
}

std::string partName(std::size_t number) { return "sitemap-" + std::to_string(number) + ".xml"; }

bool isPartName(std::string_view name) {
  constexpr std::string_view kPrefix = "sitemap-";
  constexpr std::string_view kSuffix = ".xml";
  if (name.size() <= kPrefix.size() + kSuffix.size() || !name.starts_with(kPrefix) ||
      !name.ends_with(kSuffix))
    return false;
  for (const char c : name.substr(kPrefix.size(), name.size() - kPrefix.size() - kSuffix.size())) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

bool isSitemapIndex(std::string_view document) {
  return document.find("<sitemapindex") != std::string_view::npos;
}

std::set<std::string> partsNamedBy(std::string_view document) {
  std::set<std::string> parts;
  if (!isSitemapIndex(document)) return parts;
  constexpr std::string_view kOpen = "<loc>";
  constexpr std::string_view kClose = "</loc>";
  for (std::size_t at = document.find(kOpen); at != std::string_view::npos;
       at = document.find(kOpen, at)) {
    at += kOpen.size();
    const std::size_t end = document.find(kClose, at);
    if (end == std::string_view::npos) break;
    std::string_view loc = document.substr(at, end - at);
    while (!loc.empty() &&
           (loc.back() == ' ' || loc.back() == '\t' || loc.back() == '\r' || loc.back() == '\n'))
      loc.remove_suffix(1);
    const std::size_t slash = loc.rfind('/');
    const std::string_view name = slash == std::string_view::npos ? loc : loc.substr(slash + 1);
    if (isPartName(name)) parts.emplace(name);
  }
  return parts;
}

std::vector<std::string> staleParts(const std::set<std::string>& oldParts, std::size_t partCount) {
  std::set<std::string> written;
  for (std::size_t part = 1; part <= partCount; ++part) written.insert(partName(part));
  std::vector<std::string> stale;
  for (const std::string& part : oldParts) {
    if (written.count(part) != 0) continue;
    stale.push_back(part);
    stale.push_back(part + ".gz");
  }
  return stale;
}

}  // namespace qorv
