#include "core/pagelist.h"

#include "core/utf8.h"

namespace qorv {

std::size_t UrlLength(std::string_view url) { return CodePointCount(url); }

void TPageList::Clear() {
  if (m_observer) m_observer->RowsAboutToBeCleared();
  m_rows.clear();
  if (m_observer) m_observer->RowsCleared();
}

TPageEntry& TPageList::Add(std::string url, std::string dateText, std::string timeText,
                           std::string changefreq, std::string priority) {
  const std::size_t row = m_rows.size();
  if (m_observer) m_observer->RowAboutToBeAdded(row);
  TPageEntry& entry =
      m_rows.emplace_back(TPageEntry{std::move(url), std::move(dateText), std::move(timeText),
                                     std::move(changefreq), std::move(priority), false});
  if (m_observer) m_observer->RowAdded(row);
  return entry;
}

void TPageList::SelectAll() {
  if (m_rows.empty()) return;
  for (TPageEntry& row : m_rows) row.Included = true;
  if (m_observer) m_observer->AllRowsChanged();
}

void TPageList::ClearAll() {
  if (m_rows.empty()) return;
  for (TPageEntry& row : m_rows) row.Included = false;
  if (m_observer) m_observer->AllRowsChanged();
}

void TPageList::InvertAll() {
  if (m_rows.empty()) return;
  for (TPageEntry& row : m_rows) row.Included = !row.Included;
  if (m_observer) m_observer->AllRowsChanged();
}

void TPageList::SetIncluded(std::size_t row, bool included) {
  m_rows.at(row).Included = included;
  if (m_observer) m_observer->RowChanged(row);
}

void TPageList::SetRowDetails(std::size_t row, std::string dateText, std::string timeText,
                              std::string changefreq, std::string priority) {
  TPageEntry& entry = m_rows.at(row);
  entry.DateText = std::move(dateText);
  entry.TimeText = std::move(timeText);
  entry.Changefreq = std::move(changefreq);
  entry.Priority = std::move(priority);
  if (m_observer) m_observer->RowChanged(row);
}

}  // namespace qorv
