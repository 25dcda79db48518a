#include "core/pagelist.h"

#include "core/utf8.h"

namespace qorv {

std::size_t urlLength(std::string_view url) { return codePointCount(url); }

bool isWrittenRow(const PageEntry& row) {
  return row.included && urlLength(row.url) <= kMaxUrlLength;
}

void PageList::clear() {
  if (m_observer) m_observer->rowsAboutToBeCleared();
  m_rows.clear();
  if (m_observer) m_observer->rowsCleared();
}

PageEntry& PageList::add(std::string url, std::string dateText, std::string timeText,
                         std::string changefreq, std::string priority,
                         std::vector<LanguageAlternate> alternates) {
  const std::size_t row = m_rows.size();
  if (m_observer) m_observer->rowAboutToBeAdded(row);
  PageEntry& entry = m_rows.emplace_back(
      PageEntry{std::move(url), std::move(dateText), std::move(timeText), std::move(changefreq),
                std::move(priority), false, std::move(alternates)});
  if (m_observer) m_observer->rowAdded(row);
  return entry;
}

void PageList::includeAll() {
  if (m_rows.empty()) return;
  for (PageEntry& row : m_rows) row.included = true;
  if (m_observer) m_observer->allRowsChanged();
}

void PageList::excludeAll() {
  if (m_rows.empty()) return;
  for (PageEntry& row : m_rows) row.included = false;
  if (m_observer) m_observer->allRowsChanged();
}

void PageList::invertIncluded() {
  if (m_rows.empty()) return;
  for (PageEntry& row : m_rows) row.included = !row.included;
  if (m_observer) m_observer->allRowsChanged();
}

void PageList::setIncluded(std::size_t row, bool included) {
  m_rows.at(row).included = included;
  if (m_observer) m_observer->rowChanged(row);
}

void PageList::setDetails(std::size_t row, std::string dateText, std::string timeText,
                          std::string changefreq, std::string priority) {
  PageEntry& entry = m_rows.at(row);
  entry.dateText = std::move(dateText);
  entry.timeText = std::move(timeText);
  entry.changefreq = std::move(changefreq);
  entry.priority = std::move(priority);
  if (m_observer) m_observer->rowChanged(row);
}

void PageList::setAlternates(std::size_t row, std::vector<LanguageAlternate> alternates) {
  m_rows.at(row).alternates = std::move(alternates);
  if (m_observer) m_observer->rowChanged(row);
}

}  // namespace qorv
