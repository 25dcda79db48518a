#include "core/outputtransaction.h"

#include <cerrno>

namespace qorv {

namespace {

IoError ioError(const char* what, const std::string& path, int code) {
  return IoError(what, path, code,
                 code == ELOOP ? "it is a symbolic link, never written through" : "");
}

[[noreturn]] void throwIoError(const char* what, const std::string& path, int code) {
  throw ioError(what, path, code);
}

void check(const Result<void>& result, const char* what, const std::string& path) {
  if (!result) throwIoError(what, path, result.error());
}

}  // namespace

void OutputTransaction::File::write(std::string_view bytes) {
  m_size += bytes.size();
  check(m_file->write(bytes), "Cannot write", path());
  if (m_encoder) {
    m_compressed.clear();
    m_encoder->add(bytes, m_compressed);
    writeCopy();
  }
}

void OutputTransaction::File::retarget(const std::string& name) {
  check(m_file->retarget(name), "Cannot create", m_folder + name);
  if (m_copy) check(m_copy->retarget(name + ".gz"), "Cannot create", m_folder + name + ".gz");
  m_name = name;
}

void OutputTransaction::File::writeCopy() {
  check(m_copy->write(m_compressed), "Cannot write", copyPath());
}

void OutputTransaction::File::finish() {
  if (m_encoder) {
    m_compressed.clear();
    m_encoder->finish(m_compressed);
    writeCopy();
    m_encoder.reset();
    check(m_copy->prepare(), "Cannot write", copyPath());
  }
  check(m_file->prepare(), "Cannot write", path());
}

void OutputTransaction::File::publish() {
  // The copy first, so that the file itself is the last to change.
  if (m_copy) check(m_copy->publish(), "Cannot write", copyPath());
  check(m_file->publish(), "Cannot write", path());
}

OutputTransaction::OutputTransaction(OutputFileSystem& fileSystem, std::string folder)
    : m_fileSystem(fileSystem), m_folder(std::move(folder)) {}

OutputTransaction::~OutputTransaction() = default;

OutputFolder& OutputTransaction::folder(const char* what, const std::string& name) {
  if (!m_open) {
    Result<std::unique_ptr<OutputFolder>> opened = m_fileSystem.openFolder(m_folder);
    if (!opened) throwIoError(what, pathOf(name), opened.error());
    m_open = std::move(*opened);
  }
  return *m_open;
}

OutputTransaction::File& OutputTransaction::begin(const std::string& name, bool gzipCopy) {
  OutputFolder& open = folder("Cannot create", name);
  m_files.push_back(std::unique_ptr<File>(new File(m_folder, name)));
  File& file = *m_files.back();
  Result<std::unique_ptr<OutputFile>> created = open.create(name);
  if (!created) throwIoError("Cannot create", file.path(), created.error());
  file.m_file = std::move(*created);
  if (gzipCopy) {
    created = open.create(name + ".gz");
    if (!created) throwIoError("Cannot create", file.copyPath(), created.error());
    file.m_copy = std::move(*created);
    file.m_encoder = std::make_unique<GzipEncoder>();
  }
  return file;
}

void OutputTransaction::finish(File& file) {
  file.finish();
  m_finished.push_back(&file);
}

void OutputTransaction::commit() {
  for (File* file : m_finished) file->publish();
  if (m_finished.empty()) return;
  check(m_open->sync(), "Cannot write", m_finished.back()->path());
}

std::optional<std::string> OutputTransaction::read(const std::string& name, std::size_t limit) {
  Result<std::string> content = folder("Cannot read", name).read(name, limit);
  if (content) return std::move(*content);
  if (content.error() == ENOENT) return std::nullopt;
  throwIoError("Cannot read", pathOf(name), content.error());
}

std::optional<IoError> OutputTransaction::removePlainFiles(const std::vector<std::string>& names) {
  std::optional<IoError> first;
  for (const std::string& name : names) {
    const Result<void> removed = folder("Cannot remove", name).removeIfPlainFile(name);
    if (!removed && !first) first = ioError("Cannot remove", pathOf(name), removed.error());
  }
  return first;
}

void OutputTransaction::replace(const std::string& name, std::string_view content) {
  // In the folder the other files were replaced in, under its lock: another
  // lock on the folder would be refused, and the new file would take a
  // random temporary name that a crash could leave behind for good.
  OutputFolder& open = folder("Cannot create", name);
  const std::string path = pathOf(name);
  Result<std::unique_ptr<OutputFile>> created = open.create(name);
  if (!created) throwIoError("Cannot create", path, created.error());
  OutputFile& file = **created;
  check(file.write(content), "Cannot write", path);
  check(file.prepare(), "Cannot write", path);
  check(file.publish(), "Cannot write", path);
  check(open.sync(), "Cannot write", path);
}

}  // namespace qorv
