#include "core/datewarnings.h"

#include <system_error>

#include "core/datetimetext.h"
#include "core/zoneoffset.h"

namespace qorv {

namespace {

std::string quotedReason(const std::string& file, int errorNumber) {
  return "\"" + file + "\": " + std::generic_category().message(errorNumber);
}

std::string unreadableRepositoryText(const GitHistory& history) {
  const char* reason = "git zlyhal";
  switch (history.problem) {
    case GitHistory::Problem::OtherOwner:
      reason = "patrí inému používateľovi";
      break;
    case GitHistory::Problem::Damaged:
      reason = "je poškodený";
      break;
    case GitHistory::Problem::GitMissing:
      reason = "program git nie je nainštalovaný";
      break;
    case GitHistory::Problem::None:
    case GitHistory::Problem::Failed:
      break;
  }
  return "Repozitár git „" + history.repository + "“ sa nedá prečítať (" + reason +
         "): použitý čas súborov.";
}

}  // namespace

std::string withoutGitHistoryText(std::size_t count) {
  return "Bez histórie v gite (čas súboru): " + std::to_string(count);
}

std::string gitHistoryReport(const GitHistory& history, std::size_t withoutHistory) {
  switch (history.status) {
    case GitHistory::Status::NoRepository:
      return "Priečinok nie je v repozitári git: použitý čas súborov.";
    case GitHistory::Status::Unreadable:
      return unreadableRepositoryText(history);
    case GitHistory::Status::Stopped:
      return {};
    case GitHistory::Status::Ok:
    case GitHistory::Status::Shallow:
      break;
  }
  std::string text;
  if (history.status == GitHistory::Status::Shallow)
    text = "História gitu je skrátená: dátumy môžu byť neskoršie než skutočné zmeny.";
  if (withoutHistory > 0) {
    if (!text.empty()) text += '\r';
    text += withoutGitHistoryText(withoutHistory);
  }
  return text;
}

std::string damagedMemoryText() { return "Pamäť obsahu je poškodená: začína sa odznova."; }

std::string memoryNotSavedText(const std::string& file, int errorNumber) {
  return "Pamäť obsahu sa nepodarilo uložiť: " + quotedReason(file, errorNumber);
}

std::string memoryNotReadText(const std::string& file, int errorNumber) {
  return "Pamäť obsahu sa nepodarilo prečítať: " + quotedReason(file, errorNumber);
}

bool isInvalidZone(std::string_view zone) { return !isW3cTimeZone(zone) && zone != kAutomaticZone; }

std::string invalidZoneText(std::string_view zone) {
  return "Časové pásmo „" + std::string(zone) + "“ nie je platné: dátumy zapísané bez času.";
}

void UniformLastmodCheck::add(const Date& date, const std::optional<TimeOfDay>& time) {
  const bool timeKnown = !m_withTime || time.has_value();
  const TimeOfDay minute =
      m_withTime && time ? TimeOfDay{time->hour, time->minute, 0} : TimeOfDay{};
  if (m_count == 0) {
    m_date = date;
    m_time = minute;
    m_same = timeKnown;
  } else if (!timeKnown || date != m_date || minute != m_time) {
    m_same = false;
  }
  ++m_count;
}

std::string UniformLastmodCheck::warning(const LocaleFormats& formats, bool suggestSources) const {
  if (!uniform()) return {};
  std::string shown = formatDateText(m_date, formats);
  if (m_withTime) {
    const std::string time = formatShortTimeText(m_time, formats);
    // "hh:nn" of the short form: the seconds do not take part.
    shown += ' ' + time.substr(0, time.size() - 2 - formats.timeSeparator.size());
  }
  std::string text =
      "Všetky stránky majú rovnaký dátum zmeny (" + shown + "). Vyhľadávače takému dátumu neveria.";
  if (suggestSources) text += "\rSkúste zdroj dátumu git alebo pamäť obsahu.";
  return text;
}

}  // namespace qorv
