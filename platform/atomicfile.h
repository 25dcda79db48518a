#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/filedescriptor.h"
#include "platform/result.h"

namespace qorv {

/// A folder open for the length of the replacements made in it. The files
/// of one write share it, so that they take their fixed temporary names
/// under one lock on the folder.
class ReplacementFolder {
 public:
  static Result<std::shared_ptr<ReplacementFolder>> open(const std::string& path);
  ReplacementFolder(const ReplacementFolder&) = delete;
  ReplacementFolder& operator=(const ReplacementFolder&) = delete;

  int fd() const { return m_fd.get(); }
  /// Takes the folder's lock once, never waiting for it; whether it is held.
  bool lock();
  /// Makes the renames made in the folder so far survive a power loss.
  Result<void> sync();

 private:
  // Opened for reading only: a failed close loses nothing. The lock goes
  // with the descriptor.
  explicit ReplacementFolder(FileDescriptor fd) : m_fd(std::move(fd)) {}
  FileDescriptor m_fd;
  enum { Untried, Held, Refused } m_lock = Untried;
};

/// What a replacement does when the name it replaces is a symbolic link.
enum class LinkPolicy {
  /// Replace the file the link leads to, keeping the link (settings files,
  /// which the user may keep elsewhere on purpose).
  ReplaceTarget,
  /// Fail with ELOOP and change nothing: a link in a folder that others may
  /// write must not make the program overwrite a file elsewhere.
  Refuse,
};

/// Replaces a file as a whole: the new content goes to a temporary file in
/// the same folder, which takes the place of the old file only when it is
/// complete and on disk. Readers, and the file after a crash, see either the
/// old content or the new, never a mix; a failure leaves the old file as it
/// was and no temporary file behind. A crash, in the instant between naming
/// the new file and renaming it, can leave one hidden ".NAME.new" beside it,
/// which the next replacement removes: leftovers never pile up (except on
/// file systems without nameless files, where the fallback names vary).
///
/// Several files can be replaced together: `prepare` each (the content is
/// then complete, on disk and named), then `publish` each.
///
/// Every operation fails with the operating system's error number. The
/// first error sticks: later writes do nothing and `commit` fails with it.
class AtomicFile {
 public:
  AtomicFile() = default;
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  /// Prepares the replacement of `path`; nothing is visible there yet.
  /// EACCES when the file there may not be written by this process, EPERM
  /// when it is no plain file (a device or a pipe, also through a link),
  /// EISDIR for a folder, ELOOP for a link under `LinkPolicy::Refuse`.
  /// `folder`, when given, is the folder of `path`, shared with other files.
  Result<void> begin(const std::string& path, LinkPolicy links = LinkPolicy::ReplaceTarget,
                     std::shared_ptr<ReplacementFolder> folder = nullptr);
  /// Buffered; a failed write of the buffer is reported here or later.
  Result<void> write(std::string_view bytes);
  /// Before `prepare`: the new content is to take the name `name` in the
  /// same folder instead, checked as `begin` checks.
  Result<void> retarget(const std::string& name);
  /// Writes out the buffer, syncs, and gives the content its temporary name.
  Result<void> prepare();
  /// After `prepare`: puts the file in place of its target. The rename is on
  /// disk once the folder is synced (`ReplacementFolder::sync`).
  Result<void> publish();
  /// Both, and the folder synced, for a file replaced on its own. An error
  /// of that sync comes with the new file already in place.
  Result<void> commit();
  /// Abandons the replacement; the target keeps its old content.
  void discard();

  const std::string& path() const { return m_path; }

 private:
  int checkTarget(const std::string& name);
  int flush();
  int nameAnonymousFile();
  Result<void> fail(int error);
  Result<void> failAndDiscard(int error);

  std::string m_path;
  std::string m_name;
  std::string m_tempName;  // set once the temporary file has a name
  std::shared_ptr<ReplacementFolder> m_folder;
  LinkPolicy m_links = LinkPolicy::ReplaceTarget;
  FileDescriptor m_fd;
  int m_error = 0;
  bool m_anonymous = false;
  bool m_prepared = false;
  std::string m_buffer;
};

}  // namespace qorv
