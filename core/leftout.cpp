#include "core/leftout.h"

namespace qorv {

void LeftOutList::add(std::string path, LeftOutReason reason) {
  m_entries.push_back(LeftOutEntry{std::move(path), reason});
  ++m_counts[static_cast<std::size_t>(reason)];
}

void LeftOutList::clear() {
  m_entries.clear();
  m_counts.fill(0);
}

namespace {

std::string countsText(const LeftOutList& leftOut) {
  std::string text = std::to_string(leftOut.leftOutCount());
  std::string_view separator = " (";
  for (std::size_t i = 0; i < kLeftOutReasonCount; ++i) {
    if (static_cast<LeftOutReason>(i) == LeftOutReason::Unreadable) continue;
    const std::size_t count = leftOut.count(static_cast<LeftOutReason>(i));
    if (count == 0) continue;
    text.append(separator).append(kLeftOutReasonTexts[i].label).append(" ");
    text += std::to_string(count);
    separator = ", ";
  }
  if (separator != " (") text += ')';
  return text;
}

}  // namespace

std::string leftOutReportLine(const LeftOutList& leftOut) {
  return "Vynechané stránky: " + countsText(leftOut);
}

std::string unreadableLine(const LeftOutList& leftOut) {
  const std::size_t unreadable = leftOut.count(LeftOutReason::Unreadable);
  if (unreadable == 0) return {};
  return "Nečitateľné stránky: " + std::to_string(unreadable);
}

std::string leftOutTotalLine(const LeftOutList& leftOut) {
  std::string line = unreadableLine(leftOut);
  if (leftOut.leftOutCount() == 0 && !line.empty()) return line;
  return "Spolu: " + countsText(leftOut) + (line.empty() ? "" : "; " + line);
}

std::string allLeftOutLine(const LeftOutList& leftOut, std::size_t filesKept) {
  if (filesKept > 0 || leftOut.leftOutCount() == 0) return {};
  const LeftOutReason reason = leftOut.entries().front().reason;
  if (leftOut.count(reason) != leftOut.size()) return {};
  return "Všetky stránky vynechané pravidlom: " + std::string(reasonLabel(reason)) +
         ". Skontrolujte adresu webu a nastavenia.";
}

}  // namespace qorv
