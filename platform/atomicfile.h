#pragma once

#include <string>
#include <string_view>

namespace qorv {

/// Replaces a file as a whole: the new content goes to a temporary file in
/// the same folder, which takes the place of the old file only when it is
/// complete and on disk. Readers, and the file after a crash, see either the
/// old content or the new, never a mix; a failure leaves the old file as it
/// was and no temporary file behind. A crash, in the instant between naming
/// the new file and renaming it, can leave one hidden ".NAME.new" beside it,
/// which the next replacement removes: leftovers never pile up (except on
/// file systems without nameless files, where the fallback names vary).
///
/// Every operation returns 0 or the operating system's error number. The
/// first error sticks: later writes do nothing and `commit` returns it.
class AtomicFile {
 public:
  AtomicFile() = default;
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  /// Prepares the replacement of `path`; nothing is visible there yet.
  /// EACCES when the file there may not be written by this process, EPERM
  /// when it is no plain file (a device or a pipe, also through a link).
  int begin(const std::string& path);
  /// Buffered; a failed write of the buffer is reported here or by `commit`.
  int write(std::string_view bytes);
  /// Writes out the buffer, syncs, and puts the file in place of `path`.
  int commit();
  /// Abandons the replacement; `path` keeps its old content.
  void discard();

  const std::string& path() const { return m_path; }

 private:
  int flush();
  int nameAnonymousFile();
  int fail(int error);

  std::string m_path;
  std::string m_folder;
  std::string m_name;
  std::string m_tempName;  // set once the temporary file has a name
  int m_fd = -1;
  int m_folderFd = -1;
  int m_error = 0;
  bool m_anonymous = false;
  std::string m_buffer;
};

}  // namespace qorv
