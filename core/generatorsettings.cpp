#include "core/generatorsettings.h"

#include <array>

#include "core/contentmemory.h"
#include "core/projectsettings.h"
#include "core/unicodecase.h"
#include "core/zoneoffset.h"

namespace qorv {

namespace {

constexpr std::array<std::string_view, 8> kChangefreq = {"none",   "always",  "hourly", "daily",
                                                         "weekly", "monthly", "yearly", "never"};

constexpr std::array<std::string_view, 12> kPriority = {"none", "0.0", "0.1", "0.2", "0.3", "0.4",
                                                        "0.5",  "0.6", "0.7", "0.8", "0.9", "1.0"};

constexpr std::array<std::string_view, 26> kTimeZones = {
    "-12:00", "-11:00", "-10:00", "-09:00", "-08:00", "-07:00", "-06:00", "-05:00",      "-04:00",
    "-03:00", "-02:00", "-01:00", "+00:00", "+01:00", "+02:00", "+03:00", "+04:00",      "+05:00",
    "+06:00", "+07:00", "+08:00", "+09:00", "+10:00", "+11:00", "+12:00", kAutomaticZone};

}  // namespace

const Vocabulary kChangefreqVocabulary{kChangefreq};
const Vocabulary kPriorityVocabulary{kPriority};
const Vocabulary kTimeZoneList{kTimeZones};

int findIgnoreCase(Vocabulary vocabulary, std::string_view text) {
  for (std::size_t i = 0; i < vocabulary.size(); ++i) {
    if (equalsIgnoreCase(vocabulary[i], text)) return static_cast<int>(i);
  }
  return -1;
}

Completion complete(Vocabulary vocabulary, std::string_view typed) {
  Completion completion{-1, std::string(typed), typed.size()};
  if (typed.empty()) return completion;
  for (std::size_t i = 0; i < vocabulary.size(); ++i) {
    const std::string_view entry = vocabulary[i];
    // The entries are ASCII, so a typed prefix of one has its byte length.
    if (typed.size() <= entry.size() && equalsIgnoreCase(entry.substr(0, typed.size()), typed)) {
      completion.index = static_cast<int>(i);
      completion.text.append(entry.substr(typed.size()));
      return completion;
    }
  }
  return completion;
}

Completion completeEdit(Vocabulary vocabulary, std::string_view text, TextEdit edit) {
  if (edit == TextEdit::Removed) return {-1, std::string(text), text.size()};
  return complete(vocabulary, text);
}

VocabularyChoice::VocabularyChoice(Vocabulary vocabulary, int index)
    : m_vocabulary(vocabulary), m_index(-2) {
  setIndex(index);
}

void VocabularyChoice::setIndex(int index) {
  if (index == m_index) return;
  if (index >= 0 && static_cast<std::size_t>(index) < m_vocabulary.size()) {
    m_index = index;
    m_text = std::string(m_vocabulary[static_cast<std::size_t>(index)]);
  } else {
    m_index = -1;
    m_text.clear();
  }
}

void VocabularyChoice::setTyped(std::string text, int index) {
  m_text = std::move(text);
  m_index = index >= 0 && static_cast<std::size_t>(index) < m_vocabulary.size() ? index : -1;
}

std::string fileMaskOnOneLine(std::string_view fileMask) {
  std::string line;
  line.reserve(fileMask.size());
  for (std::size_t i = 0; i < fileMask.size(); ++i) {
    const char c = fileMask[i];
    if (c == '\r' && i + 1 < fileMask.size() && fileMask[i + 1] == '\n') continue;
    line += c == '\r' || c == '\n' ? ';' : c;
  }
  return line;
}

void GeneratorSettings::resetForNewProject() {
  const GeneratorSettings defaults;
  for (const ProjectSetting& setting : kProjectSettings) {
    if (setting.keptByNewProject) continue;
    std::visit(Overloaded{
                   // The window's texts are the project's to reset.
                   [](const WindowTextValue&) {},
                   [&](const TextValue& text) { this->*text.member = defaults.*text.member; },
                   [&](const FlagValue& flag) { this->*flag.member = defaults.*flag.member; },
                   // By index, as a project without the key opens: a typed
                   // text that matches the default entry stays as typed.
                   [&](const VocabularyValue& choice) {
                     (this->*choice.member).setIndex((defaults.*choice.member).index());
                   },
                   [&](const ChoiceValue& choice) { choice.set(*this, choice.get(defaults)); },
               },
               setting.value);
  }
  lastmodMemoryBase.folder.clear();
}

std::string GeneratorSettings::contentMemoryFile(std::string_view dataFolder,
                                                 std::string_view realFolder) const {
  if (lastmodMemory.empty()) return defaultContentMemoryFile(dataFolder, realFolder);
  if (lastmodMemory.front() == '/' || lastmodMemoryBase.folder.empty()) return lastmodMemory;
  std::string file = lastmodMemoryBase.folder;
  if (file.back() != '/') file += '/';
  return file + lastmodMemory;
}

}  // namespace qorv
