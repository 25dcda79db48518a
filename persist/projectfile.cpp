#include "persist/projectfile.h"

namespace qorv {

namespace {

/// The mask box holds one line; a line break in the text would separate
/// masks as ";" does, so it is stored as one.
std::string MasksOnOneLine(std::string masks) {
  for (char& c : masks) {
    if (c == '\r' || c == '\n') c = ';';
  }
  return masks;
}

}  // namespace

TProjectFile::TProjectFile(TGeneratorSettings& settings, TProjectWindow& window)
    : m_settings(settings), m_window(window) {}

void TProjectFile::New() {
  m_window.SetLocalFolder(kDefaultFolder);
  m_window.SetSiteUrl(kDefaultUrl);
  m_window.ClearPages();
  m_settings.ResetForNewProject();
}

void TProjectFile::Open(const TCustomIniFile& store) {
  const TGeneratorSettings defaults;
  m_window.SetLocalFolder(store.ReadString(kSection, "LocalFolder", kDefaultFolder));
  m_settings.FileMask = store.ReadString(kSection, "FileMask", defaults.FileMask);
  m_settings.IndexFile = store.ReadString(kSection, "IndexFile", defaults.IndexFile);
  m_window.SetSiteUrl(store.ReadString(kSection, "URL", kDefaultUrl));
  m_settings.RootChangefreq.SetIndex(
      store.ReadInteger(kSection, "SetChangefreq1", defaults.RootChangefreq.Index()));
  m_settings.RootPriority.SetIndex(
      store.ReadInteger(kSection, "SetPriority1", defaults.RootPriority.Index()));
  m_settings.OtherChangefreq.SetIndex(
      store.ReadInteger(kSection, "SetChangefreq2", defaults.OtherChangefreq.Index()));
  m_settings.OtherPriority.SetIndex(
      store.ReadInteger(kSection, "SetPriority2", defaults.OtherPriority.Index()));
  m_settings.TimeShort = store.ReadBool(kSection, "SetTimeShort", defaults.TimeShort);
  m_settings.TimeZone.SetIndex(
      store.ReadInteger(kSection, "SetTimezone", defaults.TimeZone.Index()));
  m_settings.Compact = store.ReadBool(kSection, "TagIndent", defaults.Compact);
}

void TProjectFile::Open(const std::string& path) { Open(TIniFile(path)); }

void TProjectFile::Save(TCustomIniFile& store) const {
  store.WriteString(kSection, "LocalFolder", m_window.LocalFolder());
  store.WriteString(kSection, "FileMask", MasksOnOneLine(m_settings.FileMask));
  store.WriteString(kSection, "IndexFile", m_settings.IndexFile);
  store.WriteString(kSection, "URL", m_window.SiteUrl());
  store.WriteInteger(kSection, "SetChangefreq1", m_settings.RootChangefreq.Index());
  store.WriteInteger(kSection, "SetPriority1", m_settings.RootPriority.Index());
  store.WriteInteger(kSection, "SetChangefreq2", m_settings.OtherChangefreq.Index());
  store.WriteInteger(kSection, "SetPriority2", m_settings.OtherPriority.Index());
  store.WriteBool(kSection, "SetTimeShort", m_settings.TimeShort);
  store.WriteInteger(kSection, "SetTimezone", m_settings.TimeZone.Index());
  store.WriteBool(kSection, "TagIndent", m_settings.Compact);
}

void TProjectFile::Save(const std::string& path) const {
  // A crash while saving must leave the earlier project whole.
  WriteAtOnce(path, [this](TCustomIniFile& store) { Save(store); });
}

}  // namespace qorv
