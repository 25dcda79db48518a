#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qorv {

/// Why a scan left a page (or a folder) out of the sitemap. Declared in the
/// order the rules run: messages name the reasons in this order. A new rule
/// adds its reason here and its texts to `kLeftOutReasonTexts`.
enum class LeftOutReason : unsigned char {
  Exclude,    // an exclude pattern
  Noindex,    // the page's head asks search engines not to index it
  Redirect,   // the page's head sends the browser to another URL
  Canonical,  // the page's canonical URL lies outside the site
  Robots,     // a Disallow of robots.txt
  Duplicate,  // another page has the row of the same URL
  // Not left out: a page whose head could not be read keeps its row, and is
  // listed so that the user knows which rules could not judge it.
  Unreadable,
};

struct LeftOutReasonText {
  /// What `qorv-cli --left-out` prints: one word, never translated.
  std::string_view word;
  /// What the window and the completion message show.
  std::string_view label;
};

/// Indexed by the reason's value.
inline constexpr std::array kLeftOutReasonTexts{
    LeftOutReasonText{"exclude", "vylúčené vzorom"},
    LeftOutReasonText{"noindex", "noindex"},
    LeftOutReasonText{"redirect", "presmerovanie"},
    LeftOutReasonText{"canonical", "kanonická adresa mimo webu"},
    LeftOutReasonText{"robots", "zakázané v robots.txt"},
    LeftOutReasonText{"duplicate", "rovnaká adresa ako iná stránka"},
    LeftOutReasonText{"unreadable", "nečitateľná"},
};

inline constexpr std::size_t kLeftOutReasonCount = kLeftOutReasonTexts.size();

constexpr std::string_view reasonWord(LeftOutReason reason) {
  return kLeftOutReasonTexts[static_cast<std::size_t>(reason)].word;
}
constexpr std::string_view reasonLabel(LeftOutReason reason) {
  return kLeftOutReasonTexts[static_cast<std::size_t>(reason)].label;
}

/// One thing a scan left out: a file's path relative to the scan folder, or
/// a folder's, ending in "/", which stands for everything it holds.
struct LeftOutEntry {
  std::string path;
  LeftOutReason reason;
};

/// What the last scan left out, in walk order, with a count per reason;
/// the pages it kept without reading their heads among them, as
/// `LeftOutReason::Unreadable`.
class LeftOutList {
 public:
  void add(std::string path, LeftOutReason reason);
  void clear();

  bool empty() const { return m_entries.empty(); }
  std::size_t size() const { return m_entries.size(); }
  const std::vector<LeftOutEntry>& entries() const { return m_entries; }
  std::size_t count(LeftOutReason reason) const {
    return m_counts[static_cast<std::size_t>(reason)];
  }
  /// The entries that stand for pages (or folders) left out: all but the
  /// unreadable ones.
  std::size_t leftOutCount() const { return size() - count(LeftOutReason::Unreadable); }

 private:
  std::vector<LeftOutEntry> m_entries;
  std::array<std::size_t, kLeftOutReasonCount> m_counts{};
};

/// The completion message's line: "Vynechané stránky: N (vylúčené vzorom
/// K, zakázané v robots.txt K)", naming only the reasons that occurred;
/// unreadable pages are not counted.
std::string leftOutReportLine(const LeftOutList& leftOut);

/// "Nečitateľné stránky: N" when pages could not be read; empty otherwise.
std::string unreadableLine(const LeftOutList& leftOut);

/// The count line of the list's dialog: "Spolu: N (...)", as above, then
/// "; Nečitateľné stránky: N" when pages could not be read (that alone when
/// nothing was left out).
std::string leftOutTotalLine(const LeftOutList& leftOut);

/// "Všetky stránky vynechané pravidlom: LABEL. Skontrolujte adresu webu a
/// nastavenia." when one rule left out every file the masks matched:
/// `filesKept` (those files that no rule left out, the index file at the
/// root among them) is 0 and every entry has the same reason. Empty
/// otherwise.
std::string allLeftOutLine(const LeftOutList& leftOut, std::size_t filesKept);

}  // namespace qorv
