#pragma once

#include <string>

#include "core/generatorsettings.h"
#include "persist/inifile.h"

namespace qorv {

/// What a project holds besides the generator settings: the main window's
/// folder and URL texts, and its page list, which a new project empties.
class ProjectWindow {
 public:
  virtual ~ProjectWindow() = default;
  virtual std::string localFolder() const = 0;
  virtual void setLocalFolder(const std::string& folder) = 0;
  virtual std::string siteUrl() const = 0;
  virtual void setSiteUrl(const std::string& url) = 0;
  virtual void clearPages() = 0;
};

/// A project's folder and URL as plain texts, where no window shows them
/// (the command line, tools): there are no pages to empty.
class ProjectTexts : public ProjectWindow {
 public:
  std::string localFolder() const override { return m_folder; }
  void setLocalFolder(const std::string& folder) override { m_folder = folder; }
  std::string siteUrl() const override { return m_url; }
  void setSiteUrl(const std::string& url) override { m_url = url; }
  void clearPages() override {}

 private:
  std::string m_folder;
  std::string m_url;
};

/// The settings of one site, kept in section "Project" of an INI file:
/// the folder, the URL and the generator settings (the page list is never
/// stored). The vocabulary choices are stored by index only.
class ProjectFile {
 public:
  static constexpr const char* kSection = "Project";
  static constexpr const char* kDefaultFolder = "/";
  static constexpr const char* kDefaultUrl = "http://";

  ProjectFile(GeneratorSettings& settings, ProjectWindow& window);

  /// A new project: folder "/", URL "http://", no rows, and the settings
  /// reset (masks, index file and layout stay).
  void startNew();
  /// Applies each stored value at once, in the order of the file; missing
  /// or unreadable values take their defaults. The page list stays.
  void open(const IniStore& store);
  void open(const std::string& path);
  /// Writes the eleven entries in order; a failing write throws
  /// IniWriteError, and the entries before it stay written.
  void save(IniStore& store) const;
  /// The same into the file at `path`, which the eleven entries replace in
  /// one piece (see WriteAtOnce): a crash leaves the earlier file whole.
  void save(const std::string& path) const;

 private:
  GeneratorSettings& m_settings;
  ProjectWindow& m_window;
};

}  // namespace qorv
