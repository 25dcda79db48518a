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
  Exclude,  // an exclude pattern
  Robots,   // a Disallow of robots.txt
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
    LeftOutReasonText{"robots", "zakázané v robots.txt"},
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

/// What the last scan left out, in walk order, with a count per reason.
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

 private:
  std::vector<LeftOutEntry> m_entries;
  std::array<std::size_t, kLeftOutReasonCount> m_counts{};
};

/// The completion message's line: "Vynechané stránky: N (vylúčené vzorom
/// K, zakázané v robots.txt K)", naming only the reasons that occurred.
std::string leftOutReportLine(const LeftOutList& leftOut);

/// The count line of the list's dialog: "Spolu: N (...)", as above.
std::string leftOutTotalLine(const LeftOutList& leftOut);

/// "Všetky stránky vynechané pravidlom: LABEL. Skontrolujte adresu webu a
/// nastavenia." when one rule left out every file the masks matched:
/// `filesKept` (those files that no rule left out, the index file at the
/// root among them) is 0 and every entry has the same reason. Empty
/// otherwise.
std::string allLeftOutLine(const LeftOutList& leftOut, std::size_t filesKept);

}  // namespace qorv
