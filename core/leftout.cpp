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
  std::string text = std::to_string(leftOut.size());
  std::string_view separator = " (";
  for (std::size_t i = 0; i < kLeftOutReasonCount; ++i) {
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

std::string leftOutTotalLine(const LeftOutList& leftOut) { return "Spolu: " + countsText(leftOut); }

std::string allLeftOutLine(const LeftOutList& leftOut, std::size_t filesKept) {
  if (filesKept > 0 || leftOut.empty()) return {};
  const LeftOutReason reason = leftOut.entries().front().reason;
  if (leftOut.count(reason) != leftOut.size()) return {};
  return "Všetky stránky vynechané pravidlom: " + std::string(reasonLabel(reason)) +
         ". Skontrolujte adresu webu a nastavenia.";
}

}  // namespace qorv
