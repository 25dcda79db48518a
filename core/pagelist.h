#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>

namespace qorv {

/// URLs longer than this many characters are listed but never written.
inline constexpr std::size_t MaxUrlLength = 2048;

/// Number of characters (code points) of a URL, the measure `MaxUrlLength` uses.
std::size_t UrlLength(std::string_view url);

/// One row of the site map. Every value is text: the date and time texts
/// follow the user's locale (see datetimetext.h); `Url` of a scanned row is
/// already XML-escaped.
struct TPageEntry {
  std::string Url;
  std::string DateText;
  std::string TimeText;
  std::string Changefreq;
  std::string Priority;
  bool Included = false;

  friend bool operator==(const TPageEntry&, const TPageEntry&) = default;
};

/// Told of every change to a page list, so that a view can follow it.
class TPageListObserver {
 public:
  virtual ~TPageListObserver() = default;
  virtual void RowsAboutToBeCleared() {}
  virtual void RowsCleared() {}
  virtual void RowAboutToBeAdded(std::size_t /*row*/) {}
  virtual void RowAdded(std::size_t /*row*/) {}
  virtual void RowChanged(std::size_t /*row*/) {}
  virtual void AllRowsChanged() {}
};

/// The site map: rows in insertion order, never sorted, duplicates allowed.
/// Rows keep their addresses while the list grows.
class TPageList {
 public:
  void Clear();
  /// Appends an unticked row and returns it.
  TPageEntry& Add(std::string url, std::string dateText, std::string timeText,
                  std::string changefreq, std::string priority);

  std::size_t Count() const { return m_rows.size(); }
  const TPageEntry& Item(std::size_t i) const { return m_rows.at(i); }

  void SelectAll();
  void ClearAll();
  void InvertAll();
  void SetIncluded(std::size_t row, bool included);

  /// Replaces the four texts of a row; its URL and tick stay.
  void SetRowDetails(std::size_t row, std::string dateText, std::string timeText,
                     std::string changefreq, std::string priority);

  /// One observer at a time (the main window's view); nullptr detaches.
  void SetObserver(TPageListObserver* observer) { m_observer = observer; }

  auto begin() const { return m_rows.begin(); }
  auto end() const { return m_rows.end(); }

 private:
  std::deque<TPageEntry> m_rows;
  TPageListObserver* m_observer = nullptr;
};

}  // namespace qorv
