#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/datetime.h"
#include "platform/githistory.h"
#include "platform/localeformats.h"

namespace qorv {

// The messages about lastmod dates that cannot be right, or may not be: what
// the git history did not date, a content memory that was lost, one date for
// every page, and a time zone that cannot be written.

/// "Bez histórie v gite (čas súboru): N": files that kept their file time
/// because git has no clean commit of them (not tracked, or changed since).
std::string withoutGitHistoryText(std::size_t count);

/// What the scan says about the history it read: nothing for a full
/// history, one line for a shallow clone, no repository or one that cannot
/// be read, and the count of files it did not date (when there are any and
/// the history could be read). Lines broken by "\r", as the core's messages
/// are; empty when there is nothing to say.
std::string gitHistoryReport(const GitHistory& history, std::size_t withoutHistory);

/// "Pamäť obsahu je poškodená: začína sa odznova." for a memory file that is
/// damaged or belongs to another folder.
std::string damagedMemoryText();

/// "Pamäť obsahu sa nepodarilo uložiť: "FILE": REASON", the system's text
/// for `errorNumber` as the reason.
std::string memoryNotSavedText(const std::string& file, int errorNumber);

/// "Pamäť obsahu sa nepodarilo prečítať: "FILE": REASON": a memory file that
/// is there but cannot be read is not to be replaced by a new one.
std::string memoryNotReadText(const std::string& file, int errorNumber);

/// Whether the long lastmod form cannot write the zone text `zone`: it is
/// neither a W3C zone ("Z", "+01:00") nor the automatic zone, so the dates
/// go out without their time.
bool isInvalidZone(std::string_view zone);

/// "Časové pásmo „ZONE“ nie je platné: dátumy zapísané bez času."
std::string invalidZoneText(std::string_view zone);

/// Watches the lastmod of each file row written, for the warning that they
/// all carry the same one: search engines distrust such a date, which a
/// fresh clone or a generator's rebuild gives every file.
class UniformLastmodCheck {
 public:
  /// The fewest file rows for which one date for all is suspicious.
  static constexpr std::size_t kFewestRows = 10;

  /// `withTime`: the lastmod holds the time too (the long form), and rows
  /// are the same when they share the minute; otherwise the date.
  explicit UniformLastmodCheck(bool withTime) : m_withTime(withTime) {}

  /// A written file row's lastmod; its time of day when the time text reads
  /// back (nothing for one that does not, which counts as different).
  void add(const Date& date, const std::optional<TimeOfDay>& time);

  /// At least `kFewestRows` rows, all with the same lastmod.
  bool uniform() const { return m_count >= kFewestRows && m_same; }

  /// "Všetky stránky majú rovnaký dátum zmeny (DATE). Vyhľadávače takému
  /// dátumu neveria." and, with `suggestSources` (neither git nor the content
  /// memory in use), a second line "Skúste zdroj dátumu git alebo pamäť
  /// obsahu.". DATE is the date as the rows show it, with hours and minutes
  /// in the long form. Empty unless `uniform()`.
  std::string warning(const LocaleFormats& formats, bool suggestSources) const;

 private:
  bool m_withTime;
  std::size_t m_count = 0;
  bool m_same = true;
  Date m_date;
  TimeOfDay m_time;
};

}  // namespace qorv
