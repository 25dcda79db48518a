#pragma once

#include <string>

#include "core/generatorsettings.h"
#include "persist/inifile.h"

namespace qorv {

/// What a project holds besides the generator settings: the main window's
/// folder and URL texts, and its page list, which a new project empties.
class TProjectWindow {
 public:
  virtual ~TProjectWindow() = default;
  virtual std::string LocalFolder() const = 0;
  virtual void SetLocalFolder(const std::string& folder) = 0;
  virtual std::string SiteUrl() const = 0;
  virtual void SetSiteUrl(const std::string& url) = 0;
  virtual void ClearPages() = 0;
};

/// The settings of one site, kept in section "Project" of an INI file:
/// the folder, the URL and the generator settings (the page list is never
/// stored). The vocabulary choices are stored by index only.
class TProjectFile {
 public:
  static constexpr const char* kSection = "Project";
  static constexpr const char* kDefaultFolder = "/";
  static constexpr const char* kDefaultUrl = "http://";

  TProjectFile(TGeneratorSettings& settings, TProjectWindow& window);

  /// A new project: folder "/", URL "http://", no rows, and the settings
  /// reset (masks, index file and layout stay).
  void New();
  /// Applies each stored value at once, in the order of the file; missing
  /// or unreadable values take their defaults. The page list stays.
  void Open(const TCustomIniFile& store);
  void Open(const std::string& path);
  /// Writes the eleven entries in order; a failing write throws
  /// EIniFileException, and the entries before it stay written.
  void Save(TCustomIniFile& store) const;
  /// The same into the file at `path`, which the eleven entries replace in
  /// one piece (see WriteAtOnce): a crash leaves the earlier file whole.
  void Save(const std::string& path) const;

 private:
  TGeneratorSettings& m_settings;
  TProjectWindow& m_window;
};

}  // namespace qorv
