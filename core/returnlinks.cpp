#include "core/returnlinks.h"

#include <algorithm>
#include <string>
#include <unordered_map>

#include "core/urltext.h"

namespace qorv {

namespace {

std::string comparableRowUrl(const std::string& rowText) {
  return comparableUrl(urlOfRowText(rowText));
}

}  // namespace

std::vector<std::size_t> rowsWithoutReturnLinks(const PageList& pages) {
  // Each written row's URL, and the URLs its alternates name, sorted:
  // comparing URLs costs a parse, so each is compared in this form once.
  std::unordered_map<std::string, std::size_t> rowOfUrl;
  std::vector<std::string> ownUrls(pages.size());
  std::vector<std::vector<std::string>> named(pages.size());
  bool anyAlternates = false;
  for (std::size_t row = 0; row < pages.size(); ++row) {
    const PageEntry& entry = pages.at(row);
    if (!isWrittenRow(entry)) continue;
    ownUrls[row] = comparableRowUrl(entry.url);
    rowOfUrl.try_emplace(ownUrls[row], row);
    for (const LanguageAlternate& alternate : entry.alternates)
      named[row].push_back(comparableRowUrl(alternate.url));
    std::sort(named[row].begin(), named[row].end());
    anyAlternates = anyAlternates || !named[row].empty();
  }
  std::vector<std::size_t> rows;
  if (!anyAlternates) return rows;
  const auto names = [&](std::size_t row, const std::string& url) {
    return std::binary_search(named[row].begin(), named[row].end(), url);
  };
  for (std::size_t row = 0; row < pages.size(); ++row) {
    if (named[row].empty()) continue;
    const std::string& own = ownUrls[row];
    bool linkedBack = names(row, own);
    for (std::size_t i = 0; linkedBack && i < named[row].size(); ++i) {
      const std::string& other = named[row][i];
      if (other == own) continue;
      const auto found = rowOfUrl.find(other);
      linkedBack = found == rowOfUrl.end() || names(found->second, own);
    }
    if (!linkedBack) rows.push_back(row);
  }
  return rows;
}

}  // namespace qorv
