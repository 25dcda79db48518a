#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/errors.h"
#include "platform/gzip.h"
#include "platform/outputfolder.h"

namespace qorv {

/// Files written into one folder as one change. Each file (with a gzip copy
/// when asked) is checked before its first byte and written under a
/// temporary name; `commit` puts every finished file in place once all are
/// complete and on disk, in the order they were finished, so the last one
/// finished is the last to change. Until then the folder is as it was, and
/// a transaction dropped uncommitted leaves it so. No file is ever written
/// through a symbolic link.
///
/// The folder is opened by the first file begun or read. Every failure is
/// an IoError naming the file: "Cannot create" (it cannot be begun, the
/// folder cannot be opened), "Cannot write", "Cannot read" or "Cannot
/// remove"; a link says that it is never written through.
class OutputTransaction {
 public:
  /// One file of the transaction and its copy.
  class File {
   public:
    /// Appends to the file, and what is ready of its compressed form to
    /// the copy.
    void write(std::string_view bytes);
    /// Before it is finished: the file (and its copy) is to replace `name`
    /// instead, checked as `begin` checks.
    void retarget(const std::string& name);
    /// The bytes written so far.
    std::uint64_t size() const { return m_size; }

   private:
    friend class OutputTransaction;
    File(const std::string& folder, const std::string& name) : m_folder(folder), m_name(name) {}
    std::string path() const { return m_folder + m_name; }
    std::string copyPath() const { return path() + ".gz"; }
    void writeCopy();
    void finish();
    void publish();

    const std::string& m_folder;
    std::string m_name;
    std::unique_ptr<OutputFile> m_file;
    std::unique_ptr<OutputFile> m_copy;
    std::unique_ptr<GzipEncoder> m_encoder;
    std::string m_compressed;
    std::uint64_t m_size = 0;
  };

  /// A transaction in `folder`, a path ending in "/" or empty for the
  /// working folder.
  OutputTransaction(OutputFileSystem& fileSystem, std::string folder);
  ~OutputTransaction();
  OutputTransaction(const OutputTransaction&) = delete;
  OutputTransaction& operator=(const OutputTransaction&) = delete;

  /// Begins the file that is to replace `name`, and `name`.gz with
  /// `gzipCopy`; nothing is visible there yet.
  File& begin(const std::string& name, bool gzipCopy);
  /// Ends `file`, written whole: complete and on disk under its temporary
  /// name, the copy first.
  void finish(File& file);
  /// Puts every finished file in place, in the order finished (for each,
  /// its copy first), then makes that survive a power loss: a failure of
  /// that last step names the last file, already in place with the rest.
  void commit();

  /// What the plain file `name` holds, at most `limit` bytes from its
  /// start; nothing when there is none.
  std::optional<std::string> read(const std::string& name,
                                  std::size_t limit = static_cast<std::size_t>(-1));
  /// After `commit`: removes each of `names` that is a plain file, going on
  /// past a failure. The first failure, for the caller to throw once the
  /// rest of its work is done, or nothing.
  std::optional<IoError> removePlainFiles(const std::vector<std::string>& names);
  /// After `commit`: replaces `name` with `content` on its own, at once.
  void replace(const std::string& name, std::string_view content);

  /// `folder` + `name`, as messages name a file.
  std::string pathOf(const std::string& name) const { return m_folder + name; }

 private:
  OutputFolder& folder(const char* what, const std::string& name);

  OutputFileSystem& m_fileSystem;
  std::string m_folder;
  std::unique_ptr<OutputFolder> m_open;
  std::vector<std::unique_ptr<File>> m_files;
  std::vector<File*> m_finished;
};

}  // namespace qorv
