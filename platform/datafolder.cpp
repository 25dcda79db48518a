#include "platform/datafolder.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

#include "platform/systemcalls.h"

namespace qorv {

namespace {

std::string homeFolder() {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  // No HOME (a service, a bare cron job): the account's own entry.
  std::vector<char> buffer(16384);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
      found->pw_dir && *found->pw_dir)
    return found->pw_dir;
  return {};
}

std::string withSlash(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

}  // namespace

std::string userDataFolder() {
  if (const char* data = std::getenv("XDG_DATA_HOME"); data && data[0] == '/')
    return withSlash(data) + "Quorvex/";
  const std::string home = homeFolder();
  if (home.empty()) return {};
  return withSlash(home) + ".local/share/Quorvex/";
}

Result<void> makeFolders(const std::string& path) {
  struct stat st;
  if (sys::stat(path.c_str(), &st) == 0) return resultOf(S_ISDIR(st.st_mode) ? 0 : ENOTDIR);
  if (errno != ENOENT) return Failure{errno};
  std::string parent = path;
  while (parent.size() > 1 && parent.back() == '/') parent.pop_back();
  const std::size_t slash = parent.rfind('/');
  if (slash != std::string::npos && slash > 0)
    if (Result<void> above = makeFolders(parent.substr(0, slash)); !above) return above;
  // Made by another process meanwhile is as good as made here.
  if (sys::makeFolder(path.c_str(), 0700) != 0 && errno != EEXIST) return Failure{errno};
  return {};
}

Result<std::string> realPathOf(const std::string& path) {
  char resolved[PATH_MAX];
  if (!sys::realPath(path.c_str(), resolved)) return Failure{errno};
  return std::string(resolved);
}

}  // namespace qorv
