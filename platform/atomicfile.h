#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace qorv {

/// A folder open for the length of the replacements made in it. The files
/// of one write share it, so that they take their fixed temporary names
/// under one lock on the folder.
class ReplacementFolder {
 public:
  /// Opens `path`; nothing and the error number in `error` when it cannot.
  static std::shared_ptr<ReplacementFolder> open(const std::string& path, int& error);
  ~ReplacementFolder();
  ReplacementFolder(const ReplacementFolder&) = delete;
  ReplacementFolder& operator=(const ReplacementFolder&) = delete;

  int fd() const { return m_fd; }
  /// Takes the folder's lock once, never waiting for it; whether it is held.
  bool lock();
  /// Makes the renames made in the folder so far survive a power loss: 0,
  /// or the error number.
  int sync();

 private:
  explicit ReplacementFolder(int fd) : m_fd(fd) {}
  int m_fd;
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
  /// when it is no plain file (a device or a pipe, also through a link),
  /// EISDIR for a folder, ELOOP for a link under `LinkPolicy::Refuse`.
  /// `folder`, when given, is the folder of `path`, shared with other files.
  int begin(const std::string& path, LinkPolicy links = LinkPolicy::ReplaceTarget,
            std::shared_ptr<ReplacementFolder> folder = nullptr);
  /// Buffered; a failed write of the buffer is reported here or later.
  int write(std::string_view bytes);
  /// Before `prepare`: the new content is to take the name `name` in the
  /// same folder instead, checked as `begin` checks.
  int retarget(const std::string& name);
  /// Writes out the buffer, syncs, and gives the content its temporary name.
  int prepare();
  /// After `prepare`: puts the file in place of its target. The rename is on
  /// disk once the folder is synced (`ReplacementFolder::sync`).
  int publish();
  /// Both, and the folder synced, for a file replaced on its own. An error
  /// of that sync comes with the new file already in place.
  int commit();
  /// Abandons the replacement; the target keeps its old content.
  void discard();

  const std::string& path() const { return m_path; }

 private:
  int checkTarget(const std::string& name);
  int flush();
  int nameAnonymousFile();
  int fail(int error);
  int failAndDiscard(int error);

  std::string m_path;
  std::string m_name;
  std::string m_tempName;  // set once the temporary file has a name
  std::shared_ptr<ReplacementFolder> m_folder;
  LinkPolicy m_links = LinkPolicy::ReplaceTarget;
  int m_fd = -1;
  int m_error = 0;
  bool m_anonymous = false;
  bool m_prepared = false;
  std::string m_buffer;
};

}  // namespace qorv
