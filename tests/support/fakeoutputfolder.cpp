#include "tests/support/fakeoutputfolder.h"

#include <cerrno>

namespace qorv::test {

namespace {

class FakeOutputFile final : public OutputFile {
 public:
  FakeOutputFile(FakeOutputFileSystem& fs, std::string folder, std::string name)
      : m_fs(fs), m_folder(std::move(folder)), m_name(std::move(name)) {
    ++m_fs.pendingFiles;
  }
  ~FakeOutputFile() override {
    if (!m_published) --m_fs.pendingFiles;
  }

  Result<void> write(std::string_view bytes) override {
    if (const int error = m_fs.step("write " + path())) return Failure{error};
    m_content.append(bytes);
    return {};
  }
  Result<void> retarget(const std::string& name) override {
    if (m_fs.links.count(m_folder + name) != 0) return Failure{ELOOP};
    if (const int error = m_fs.step("retarget " + m_folder + name)) return Failure{error};
    m_name = name;
    return {};
  }
  Result<void> prepare() override { return resultOf(m_fs.step("prepare " + path())); }
  Result<void> publish() override {
    if (const int error = m_fs.step("publish " + path())) return Failure{error};
    m_fs.files[path()] = m_content;
    m_published = true;
    --m_fs.pendingFiles;
    return {};
  }

 private:
  std::string path() const { return m_folder + m_name; }

  FakeOutputFileSystem& m_fs;
  std::string m_folder;
  std::string m_name;
  std::string m_content;
  bool m_published = false;
};

class FakeOutputFolder final : public OutputFolder {
 public:
  FakeOutputFolder(FakeOutputFileSystem& fs, std::string folder)
      : m_fs(fs), m_folder(std::move(folder)) {}

  Result<std::unique_ptr<OutputFile>> create(const std::string& name) override {
    const std::string path = m_folder + name;
    if (m_fs.links.count(path) != 0) return Failure{ELOOP};
    if (const int error = m_fs.step("create " + path)) return Failure{error};
    return std::unique_ptr<OutputFile>(std::make_unique<FakeOutputFile>(m_fs, m_folder, name));
  }

  Result<std::string> read(const std::string& name, std::size_t limit) override {
    const std::string path = m_folder + name;
    if (m_fs.links.count(path) != 0) return Failure{ELOOP};
    if (const int error = m_fs.step("read " + path)) return Failure{error};
    const auto found = m_fs.files.find(path);
    if (found == m_fs.files.end()) return Failure{ENOENT};
    return found->second.substr(0, limit);
  }

  Result<void> removeIfPlainFile(const std::string& name) override {
    const std::string path = m_folder + name;
    if (m_fs.links.count(path) != 0) return {};
    if (const int error = m_fs.step("remove " + path)) return Failure{error};
    m_fs.files.erase(path);
    return {};
  }

  Result<void> sync() override { return resultOf(m_fs.step("sync " + m_folder)); }

 private:
  FakeOutputFileSystem& m_fs;
  std::string m_folder;
};

}  // namespace

int FakeOutputFileSystem::step(const std::string& line) {
  log.push_back(line);
  const auto failure = failures.find(line);
  return failure == failures.end() ? 0 : failure->second;
}

Result<std::unique_ptr<OutputFolder>> FakeOutputFileSystem::openFolder(const std::string& folder) {
  if (const int error = step("open " + folder)) return Failure{error};
  return std::unique_ptr<OutputFolder>(std::make_unique<FakeOutputFolder>(*this, folder));
}

}  // namespace qorv::test
