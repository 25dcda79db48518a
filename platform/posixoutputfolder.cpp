#include "platform/atomicfile.h"
#include "platform/filecontent.h"
#include "platform/outputfolder.h"

namespace qorv {

namespace {

class PosixOutputFile final : public OutputFile {
 public:
  Result<void> write(std::string_view bytes) override { return m_file.write(bytes); }
  Result<void> retarget(const std::string& name) override { return m_file.retarget(name); }
  Result<void> prepare() override { return m_file.prepare(); }
  Result<void> publish() override { return m_file.publish(); }

  AtomicFile& file() { return m_file; }

 private:
  AtomicFile m_file;
};

class PosixOutputFolder final : public OutputFolder {
 public:
  PosixOutputFolder(std::string path, std::shared_ptr<ReplacementFolder> folder)
      : m_path(std::move(path)), m_folder(std::move(folder)) {}

  Result<std::unique_ptr<OutputFile>> create(const std::string& name) override {
    auto file = std::make_unique<PosixOutputFile>();
    if (const Result<void> begun = file->file().begin(m_path + name, LinkPolicy::Refuse, m_folder);
        !begun)
      return Failure{begun.error()};
    return std::unique_ptr<OutputFile>(std::move(file));
  }

  Result<std::string> read(const std::string& name, std::size_t limit) override {
    return readFileForUpdate(m_path + name, limit, LinkPolicy::Refuse);
  }

  Result<void> removeIfPlainFile(const std::string& name) override {
    return qorv::removeIfPlainFile(m_path + name);
  }

  Result<void> sync() override { return m_folder->sync(); }

 private:
  std::string m_path;
  // Shared by every file of the folder, so that they take their fixed
  // temporary names under its one lock.
  std::shared_ptr<ReplacementFolder> m_folder;
};

class PosixOutputFileSystem final : public OutputFileSystem {
 public:
  Result<std::unique_ptr<OutputFolder>> openFolder(const std::string& folder) override {
    Result<std::shared_ptr<ReplacementFolder>> opened =
        ReplacementFolder::open(folder.empty() ? "." : folder);
    if (!opened) return Failure{opened.error()};
    return std::unique_ptr<OutputFolder>(
        std::make_unique<PosixOutputFolder>(folder, std::move(*opened)));
  }
};

}  // namespace

OutputFileSystem& localOutputFileSystem() {
  static PosixOutputFileSystem fileSystem;
  return fileSystem;
}

}  // namespace qorv
