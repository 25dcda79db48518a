#include "tests/support/tempdir.h"

#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace qorv::test {

namespace fs = std::filesystem;

TempDir::TempDir() {
  std::string pattern = (fs::temp_directory_path() / "qorv-test-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  m_path = pattern + "/";
}

TempDir::~TempDir() {
  std::error_code ignored;
  // Folders a test made unreadable must be opened up again to be removed.
  for (auto it = fs::recursive_directory_iterator(
           m_path, fs::directory_options::skip_permission_denied, ignored);
       it != fs::recursive_directory_iterator(); it.increment(ignored)) {
    if (it->is_directory(ignored) && !it->is_symlink(ignored))
      fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
  }
  fs::remove_all(m_path, ignored);
}

std::string TempDir::operator/(std::string_view relative) const {
  return m_path + std::string(relative);
}

std::string TempDir::writeFile(std::string_view relative, std::string_view content) const {
  std::string path = *this / relative;
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
  if (!out.flush()) throw std::runtime_error("cannot write " + path);
  return path;
}

std::string TempDir::makeDir(std::string_view relative) const {
  std::string path = *this / relative;
  fs::create_directories(path);
  return path;
}

void TempDir::setLocalMTime(std::string_view relative, int year, int month, int day, int hour,
                            int minute, int second) const {
  std::tm tm{};
  tm.tm_year = year - 1900;
  tm.tm_mon = month - 1;
  tm.tm_mday = day;
  tm.tm_hour = hour;
  tm.tm_min = minute;
  tm.tm_sec = second;
  tm.tm_isdst = -1;
  const std::time_t t = std::mktime(&tm);
  const struct timeval times[2] = {{t, 0}, {t, 0}};
  const std::string path = *this / relative;
  if (lutimes(path.c_str(), times) != 0) throw std::runtime_error("cannot set time of " + path);
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

bool fileExists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

std::string listNames(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  std::string joined;
  for (const auto& name : names) joined += (joined.empty() ? "" : " ") + name;
  return joined;
}

}  // namespace qorv::test
