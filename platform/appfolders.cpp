#include "platform/appfolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

#include "platform/filecontent.h"

namespace qorv {

namespace {

std::string WithSlash(const QString& folder) {
  std::string path = folder.toStdString();
  if (path.empty() || path.back() != '/') path += '/';
  return path;
}

}  // namespace

std::string ExecutableFolder() { return WithSlash(QCoreApplication::applicationDirPath()); }

std::string SettingsFolder() {
  const std::string executable = ExecutableFolder();
  if (IsWritableFile(executable)) return executable;
  const QString config = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
  QDir().mkpath(config);
  return WithSlash(config);
}

}  // namespace qorv
