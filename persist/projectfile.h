#pragma once

#include <string>

#include "core/generatorsettings.h"
#include "core/sitescan.h"
#include "persist/inifile.h"

namespace qorv {

/// What a project sets besides the generator settings: the scan's folder
/// and URL texts, and the page list, which a new project empties.
class ProjectInputs : public ScanInputs {
 public:
  virtual void setLocalFolder(const std::string& folder) = 0;
  virtual void setSiteUrl(const std::string& url) = 0;
  virtual void clearPages() = 0;
};

/// A project's folder and URL as plain texts, where no window shows them
/// (the command line, tools): there are no pages to empty.
class ProjectTexts final : public ProjectInputs {
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

/// The settings of one site, kept in section "Project" of an INI file: the
/// entries of `kProjectSettings` (core/projectsettings.h), that is the
/// folder, the URL and the generator settings; the page list is never
/// stored. The vocabulary choices are stored by index only.
class ProjectFile {
 public:
  static constexpr const char* kSection = "Project";

  ProjectFile(GeneratorSettings& settings, ProjectInputs& inputs);

  /// A new project: folder "/", URL "http://", no rows, and the settings
  /// reset (masks, index file and layout stay).
  void startNew();
  /// Applies each stored value at once, in the order of the file; missing
  /// or unreadable values take their defaults. The page list stays.
  void open(const IniStore& store);
  void open(const std::string& path);
  /// Writes the entries in order, the eleven first ones always; a failing
  /// write throws IniWriteError, and the entries before it stay written.
  void save(IniStore& store) const;
  /// The same into the file at `path`, which the entries replace in one
  /// piece (see writeAtOnce): a crash leaves the earlier file whole.
  void save(const std::string& path) const;

 private:
  GeneratorSettings& m_settings;
  ProjectInputs& m_inputs;
};

}  // namespace qorv
