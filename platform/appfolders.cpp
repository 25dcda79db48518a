#include "platform/appfolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

#include "platform/filecontent.h"

namespace qorv {

namespace {

std::string withSlash(const QString& folder) {
  std::string path = folder.toStdString();
  if (path.empty() || path.back() != '/') path += '/';
  return path;
}

}  // namespace

std::string executableFolder() { return withSlash(QCoreApplication::applicationDirPath()); }

std::string settingsFolder() {
  std::string executable = executableFolder();
  if (isWritableFile(executable)) return executable;
  const QString config = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
  QDir().mkpath(config);
  return withSlash(config);
}

}  // namespace qorv
