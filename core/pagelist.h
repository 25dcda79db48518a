#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace qorv {

/// URLs longer than this many characters are listed but never written.
inline constexpr std::size_t kMaxUrlLength = 2048;

/// Number of characters (code points) of a URL, the measure `kMaxUrlLength` uses.
std::size_t urlLength(std::string_view url);

/// A language version of a page: `<link rel="alternate" hreflang="LANG">`
/// of its head.
struct LanguageAlternate {
  /// Both XML-escaped, ready to be written; `url` is absolute, encoded as
  /// `encodeUrl` does and without fragment.
  std::string hreflang;
  std::string url;
  friend bool operator==(const LanguageAlternate&, const LanguageAlternate&) = default;
};

/// One row of the site map. Every value is text: the date and time texts
/// follow the user's locale (see datetimetext.h); `url` of a scanned row is
/// already XML-escaped.
struct PageEntry {
  std::string url;
  std::string dateText;
  std::string timeText;
  std::string changefreq;
  std::string priority;
  bool included = false;
  /// The page's language versions, in head order; none unless the scan
  /// read them.
  std::vector<LanguageAlternate> alternates{};

  friend bool operator==(const PageEntry&, const PageEntry&) = default;
};

/// Whether the sitemap holds the row: it is ticked, and its URL is not too long.
bool isWrittenRow(const PageEntry& row);

/// Told of every change to a page list, so that a view can follow it.
class PageListObserver {
 public:
  virtual ~PageListObserver() = default;
  virtual void rowsAboutToBeCleared() {}
  virtual void rowsCleared() {}
  virtual void rowAboutToBeAdded(std::size_t /*row*/) {}
  virtual void rowAdded(std::size_t /*row*/) {}
  virtual void rowChanged(std::size_t /*row*/) {}
  virtual void allRowsChanged() {}
};

/// The site map: rows in insertion order, never sorted, duplicates allowed.
/// Rows keep their addresses while the list grows.
class PageList {
 public:
  void clear();
  /// Appends an unticked row and returns it.
  PageEntry& add(std::string url, std::string dateText, std::string timeText,
                 std::string changefreq, std::string priority,
                 std::vector<LanguageAlternate> alternates = {});

  std::size_t size() const { return m_rows.size(); }
  const PageEntry& at(std::size_t i) const { return m_rows.at(i); }

  void includeAll();
  void excludeAll();
  void invertIncluded();
  void setIncluded(std::size_t row, bool included);

  /// Replaces the four texts of a row; its URL and tick stay.
  void setDetails(std::size_t row, std::string dateText, std::string timeText,
                  std::string changefreq, std::string priority);

  /// Replaces a row's language versions; nothing else of it changes.
  void setAlternates(std::size_t row, std::vector<LanguageAlternate> alternates);

  /// One observer at a time (the main window's view); nullptr detaches.
  void setObserver(PageListObserver* observer) { m_observer = observer; }

  auto begin() const { return m_rows.begin(); }
  auto end() const { return m_rows.end(); }

 private:
  std::deque<PageEntry> m_rows;
  PageListObserver* m_observer = nullptr;
};

}  // namespace qorv
