#include "platform/appfolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

#include "platform/filecontent.h"
#include "platform/installfolders.h"

namespace qorv {

namespace {

std::string withSlash(const QString& folder) {
  std::string path = folder.toStdString();
  if (path.empty() || path.back() != '/') path += '/';
  return path;
}

std::string_view withoutSlash(std::string_view folder) {
  while (folder.size() > 1 && folder.back() == '/') folder.remove_suffix(1);
  return folder;
}

/// The installed bin folder as the running executable's path spells it:
/// the executable's path has its links resolved (/bin may be a link to
/// /usr/bin, a home folder may be a link), so the prefix must be too.
std::string installedBinFolder() {
  const QString folder = QString::fromUtf8(kInstalledBinFolder);
  const QString canonical = QDir(folder).canonicalPath();
  return (canonical.isEmpty() ? folder : canonical).toStdString();
}

}  // namespace

std::string executableFolder() { return withSlash(QCoreApplication::applicationDirPath()); }

bool usesOwnFolder(std::string_view executableFolder, std::string_view installedBinFolder,
                   bool executableFolderWritable) {
  if (!executableFolderWritable) return false;
  if (installedBinFolder.empty()) return true;
  return withoutSlash(executableFolder) != withoutSlash(installedBinFolder);
}

std::string settingsFolder() {
  std::string executable = executableFolder();
  if (usesOwnFolder(executable, installedBinFolder(), isWritableFile(executable)))
    return executable;
  const QString config = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
  QDir().mkpath(config);
  return withSlash(config);
}

}  // namespace qorv
