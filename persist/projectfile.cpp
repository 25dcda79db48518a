#include "persist/projectfile.h"

#include <string_view>

namespace qorv {

namespace {

/// The mask box holds one line; a line break in the text separates masks
/// as ";" does (CR LF as one break), so it is stored as one ";".
std::string masksOnOneLine(std::string_view masks) {
  std::string line;
  line.reserve(masks.size());
  for (std::size_t i = 0; i < masks.size(); ++i) {
    const char c = masks[i];
    if (c == '\r' && i + 1 < masks.size() && masks[i + 1] == '\n') continue;
    line += c == '\r' || c == '\n' ? ';' : c;
  }
  return line;
}

}  // namespace

ProjectFile::ProjectFile(GeneratorSettings& settings, ProjectWindow& window)
    : m_settings(settings), m_window(window) {}

void ProjectFile::startNew() {
  m_window.setLocalFolder(kDefaultFolder);
  m_window.setSiteUrl(kDefaultUrl);
  m_window.clearPages();
  m_settings.resetForNewProject();
}

void ProjectFile::open(const IniStore& store) {
  const GeneratorSettings defaults;
  m_window.setLocalFolder(store.readString(kSection, "LocalFolder", kDefaultFolder));
  m_settings.fileMask = store.readString(kSection, "FileMask", defaults.fileMask);
  m_settings.indexFile = store.readString(kSection, "IndexFile", defaults.indexFile);
  m_window.setSiteUrl(store.readString(kSection, "URL", kDefaultUrl));
  m_settings.rootChangefreq.setIndex(
      store.readInteger(kSection, "SetChangefreq1", defaults.rootChangefreq.index()));
  m_settings.rootPriority.setIndex(
      store.readInteger(kSection, "SetPriority1", defaults.rootPriority.index()));
  m_settings.otherChangefreq.setIndex(
      store.readInteger(kSection, "SetChangefreq2", defaults.otherChangefreq.index()));
  m_settings.otherPriority.setIndex(
      store.readInteger(kSection, "SetPriority2", defaults.otherPriority.index()));
  m_settings.dateOnlyLastmod = store.readBool(kSection, "SetTimeShort", defaults.dateOnlyLastmod);
  m_settings.timeZone.setIndex(
      store.readInteger(kSection, "SetTimezone", defaults.timeZone.index()));
  m_settings.compact = store.readBool(kSection, "TagIndent", defaults.compact);
}

void ProjectFile::open(const std::string& path) { open(IniFile(path)); }

void ProjectFile::save(IniStore& store) const {
  store.writeString(kSection, "LocalFolder", m_window.localFolder());
  store.writeString(kSection, "FileMask", masksOnOneLine(m_settings.fileMask));
  store.writeString(kSection, "IndexFile", m_settings.indexFile);
  store.writeString(kSection, "URL", m_window.siteUrl());
  store.writeInteger(kSection, "SetChangefreq1", m_settings.rootChangefreq.index());
  store.writeInteger(kSection, "SetPriority1", m_settings.rootPriority.index());
  store.writeInteger(kSection, "SetChangefreq2", m_settings.otherChangefreq.index());
  store.writeInteger(kSection, "SetPriority2", m_settings.otherPriority.index());
  store.writeBool(kSection, "SetTimeShort", m_settings.dateOnlyLastmod);
  store.writeInteger(kSection, "SetTimezone", m_settings.timeZone.index());
  store.writeBool(kSection, "TagIndent", m_settings.compact);
}

void ProjectFile::save(const std::string& path) const {
  // A crash while saving must leave the earlier project whole.
  writeAtOnce(path, [this](IniStore& store) { save(store); });
}

}  // namespace qorv
