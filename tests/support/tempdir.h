#pragma once

#include <ctime>
#include <string>
#include <string_view>

namespace qorv::test {

/// A fresh folder under the system's temporary folder, removed with all it
/// holds when the object goes. `path()` ends in "/".
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return m_path; }
  /// path() + relative.
  std::string operator/(std::string_view relative) const;

  /// Creates the file (and its folders), with `content`.
  std::string writeFile(std::string_view relative, std::string_view content = "x") const;
  /// Creates the folder and its parents.
  std::string makeDir(std::string_view relative) const;
  /// Sets the file's modification time to a local moment.
  void setLocalMTime(std::string_view relative, int year, int month, int day, int hour, int minute,
                     int second) const;

 private:
  std::string m_path;
};

/// The whole content of a file; throws when it cannot be read.
std::string readFile(const std::string& path);
bool fileExists(const std::string& path);
/// Names in a folder, "." and ".." left out, sorted.
std::string listNames(const std::string& folder);

}  // namespace qorv::test
