#include "tests/support/fakefilesystem.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <limits>
#include <random>
#include <stdexcept>
#include <thread>

namespace qorv::test {

class FakeFolderHandle;

namespace {

/// What `writeTime` gives for a time outside the years 1 to 9999.
constexpr std::int64_t kOutOfRange = std::numeric_limits<std::int64_t>::max();

/// Held for each call: the fake's state is one, whatever thread asks.
std::unique_lock<std::mutex> called(FakeFileSystem& fs) {
  if (fs.jitter) {
    thread_local std::minstd_rand random(
        static_cast<unsigned>(std::hash<std::thread::id>()(std::this_thread::get_id())));
    const auto pause = random() % 64;
    if (pause < 16)
      std::this_thread::sleep_for(std::chrono::microseconds(pause * 10));
    else if (pause < 40)
      std::this_thread::yield();
  }
  return fs.lock();
}

class FakeListing final : public FolderListing {
 public:
  // Made under the lock, by list().
  FakeListing(FakeFileSystem& fs, const FakeFileSystem::FakeFolder& folder)
      : m_fs(fs), m_folder(folder) {
    m_fs.maxOpenListings = std::max(m_fs.maxOpenListings, ++m_fs.openListings);
    m_fs.maxOpenDescriptors =
        std::max(m_fs.maxOpenDescriptors, m_fs.openFolders + m_fs.openListings);
  }
  ~FakeListing() override {
    const auto lock = m_fs.lock();
    if (m_open) --m_fs.openListings;
  }

  Result<std::optional<ListedEntry>> next() override {
    const auto lock = called(m_fs);
    if (m_folder.failNextAfter >= 0 && m_next == static_cast<std::size_t>(m_folder.failNextAfter))
      return Failure{m_folder.nextError};
    if (m_next == m_folder.entries.size()) return std::optional<ListedEntry>();
    const auto& e = m_folder.entries[m_next++];
    return std::optional<ListedEntry>(ListedEntry{e.name, e.isFolder});
  }

  Result<void> close() override {
    const auto lock = called(m_fs);
    if (m_open) --m_fs.openListings;
    m_open = false;
    return resultOf(m_folder.closeError);
  }

 private:
  FakeFileSystem& m_fs;
  const FakeFileSystem::FakeFolder& m_folder;
  std::size_t m_next = 0;
  bool m_open = true;
};

}  // namespace

class FakeFileReader final : public FileReader {
 public:
  explicit FakeFileReader(const FakeFileSystem::Entry& entry) : m_entry(entry) {}

  Result<bool> read(std::string& bytes, std::size_t upTo) override {
    if (m_entry.readError != 0) return Failure{m_entry.readError};
    const std::size_t have = std::min(bytes.size(), m_entry.content.size());
    bytes.append(m_entry.content, have, upTo > have ? upTo - have : 0);
    return bytes.size() >= m_entry.content.size();
  }

 private:
  const FakeFileSystem::Entry& m_entry;
};

class FakeFolderHandle final : public Folder {
 public:
  // Made under the lock, by open().
  FakeFolderHandle(FakeFileSystem& fs, int index) : m_fs(fs), m_index(index) {
    m_fs.maxOpenFolders = std::max(m_fs.maxOpenFolders, ++m_fs.openFolders);
    m_fs.maxOpenDescriptors =
        std::max(m_fs.maxOpenDescriptors, m_fs.openFolders + m_fs.openListings);
  }
  ~FakeFolderHandle() override {
    const auto lock = m_fs.lock();
    --m_fs.openFolders;
  }

  FolderId id() const override { return {1, static_cast<std::uint64_t>(m_index)}; }

  Result<std::unique_ptr<FolderListing>> list() override {
    const auto lock = called(m_fs);
    const auto& folder = m_fs.m_folders[static_cast<std::size_t>(m_index)];
    m_fs.m_listed.push_back(m_index);
    if (folder.listError != 0) return Failure{folder.listError};
    return std::unique_ptr<FolderListing>(std::make_unique<FakeListing>(m_fs, folder));
  }

  Result<std::unique_ptr<Folder>> openSubfolder(std::string_view name) override {
    const auto lock = called(m_fs);
    // As on a real file system, ".." is the folder's own parent, also when
    // the folder was reached through a link.
    if (name == "..") return open(m_fs, std::max(m_fs.m_parents[index()].first, 0));
    const FakeFileSystem::Entry* entry = find(name);
    if (!entry) return Failure{ENOENT};
    if (!entry->isFolder) return Failure{ENOTDIR};
    return open(m_fs, entry->target);
  }

  Result<std::optional<DateTime>> lastWriteTime(std::string_view name) override {
    const auto lock = called(m_fs);
    const FakeFileSystem::Entry* entry = find(name);
    if (!entry) return Failure{ENOENT};
    if (entry->timeError != 0) return Failure{entry->timeError};
    return entry->time;
  }

  Result<std::string> readFile(std::string_view name, std::size_t limit) override {
    const auto lock = called(m_fs);
    ++m_fs.fileReads;
    const FakeFileSystem::Entry* entry = find(name);
    if (!entry) return Failure{ENOENT};
    if (entry->isFolder) return Failure{EISDIR};
    if (entry->readError != 0) return Failure{entry->readError};
    return entry->content.substr(0, limit);
  }

  Result<std::unique_ptr<FileReader>> openFile(std::string_view name) override {
    const auto lock = called(m_fs);
    const FakeFileSystem::Entry* entry = find(name);
    if (!entry) return Failure{ENOENT};
    if (entry->isFolder || entry->special) return std::unique_ptr<FileReader>();
    ++m_fs.fileOpens;
    if (entry->openError != 0) return Failure{entry->openError};
    return std::unique_ptr<FileReader>(std::make_unique<FakeFileReader>(*entry));
  }

  Result<std::int64_t> writeTime(std::string_view name) override {
    const auto lock = called(m_fs);
    const FakeFileSystem::Entry* entry = find(name);
    if (!entry) return Failure{ENOENT};
    if (entry->timeError != 0) return Failure{entry->timeError};
    return entry->time ? FakeFileSystem::secondsOf(*entry->time) : kOutOfRange;
  }

  /// Under the lock.
  static Result<std::unique_ptr<Folder>> open(FakeFileSystem& fs, int index) {
    const auto& folder = fs.m_folders[static_cast<std::size_t>(index)];
    if (folder.openError != 0) return Failure{folder.openError};
    return std::unique_ptr<Folder>(std::make_unique<FakeFolderHandle>(fs, index));
  }

 private:
  std::size_t index() const { return static_cast<std::size_t>(m_index); }
  const FakeFileSystem::Entry* find(std::string_view name) const {
    for (const auto& e : m_fs.m_folders[static_cast<std::size_t>(m_index)].entries)
      if (e.name == name) return &e;
    return nullptr;
  }
  FakeFileSystem& m_fs;
  int m_index;
};

FakeFileSystem::FakeFileSystem() {
  m_folders.emplace_back();
  m_parents.emplace_back(-1, "");
}

std::string FakeFileSystem::folderPath(int index) const {
  std::string path;
  for (; index > 0; index = m_parents[static_cast<std::size_t>(index)].first) {
    if (!path.empty()) path.insert(0, "/");
    path.insert(0, m_parents[static_cast<std::size_t>(index)].second);
  }
  return path;
}

std::vector<std::string> FakeFileSystem::listedFolders() const {
  std::vector<std::string> paths;
  for (const int index : m_listed) paths.push_back(folderPath(index));
  return paths;
}

int FakeFileSystem::folderIndex(const std::string& path, bool create) {
  int index = 0;
  std::size_t start = 0;
  while (start < path.size()) {
    std::size_t slash = path.find('/', start);
    if (slash == std::string::npos) slash = path.size();
    const std::string name = path.substr(start, slash - start);
    start = slash + 1;
    if (name.empty()) continue;
    auto& entries = m_folders[static_cast<std::size_t>(index)].entries;
    auto it = std::find_if(entries.begin(), entries.end(),
                           [&](const Entry& e) { return e.name == name && e.isFolder; });
    if (it != entries.end()) {
      index = it->target;
      continue;
    }
    if (!create) throw std::runtime_error("no folder " + path);
    const int created = static_cast<int>(m_folders.size());
    Entry entry;
    entry.name = name;
    entry.isFolder = true;
    entry.target = created;
    m_folders[static_cast<std::size_t>(index)].entries.push_back(entry);
    m_folders.emplace_back();
    m_parents.emplace_back(index, name);
    index = created;
  }
  return index;
}

FakeFileSystem::Entry& FakeFileSystem::addFile(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const int folder = slash == std::string::npos ? 0 : folderIndex(path.substr(0, slash), true);
  Entry entry;
  entry.name = slash == std::string::npos ? path : path.substr(slash + 1);
  auto& entries = m_folders[static_cast<std::size_t>(folder)].entries;
  entries.push_back(entry);
  return entries.back();
}

int FakeFileSystem::addFolder(const std::string& path) { return folderIndex(path, true); }

void FakeFileSystem::addLink(const std::string& folder, const std::string& name,
                             const std::string& target) {
  Entry entry;
  entry.name = name;
  entry.isFolder = true;
  entry.target = folderIndex(target, false);
  m_folders[static_cast<std::size_t>(folderIndex(folder, true))].entries.push_back(entry);
}

FakeFileSystem::FakeFolder& FakeFileSystem::folder(const std::string& path) {
  return m_folders[static_cast<std::size_t>(folderIndex(path, false))];
}

Result<std::unique_ptr<Folder>> FakeFileSystem::openFolder(const std::string& path) {
  const auto held = called(*this);
  if (path != kRoot) return Failure{ENOENT};
  return FakeFolderHandle::open(*this, 0);
}

std::int64_t FakeFileSystem::secondsOf(const DateTime& moment) {
  // Days from the civil date (H. Hinnant's algorithm), proleptic Gregorian.
  const std::int64_t year = moment.date.year - (moment.date.month <= 2 ? 1 : 0);
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const std::int64_t yearOfEra = year - era * 400;
  const std::int64_t month = moment.date.month;
  const std::int64_t dayOfYear =
      (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + moment.date.day - 1;
  const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  const std::int64_t days = era * 146097 + dayOfEra - 719468;
  const std::int64_t hour = moment.time.hour;
  const std::int64_t minute = moment.time.minute;
  return days * 86400 + hour * 3600 + minute * 60 + moment.time.second;
}

std::optional<DateTime> FakeFileSystem::localTime(std::int64_t seconds) {
  if (seconds == kOutOfRange) return std::nullopt;
  const std::int64_t days = (seconds >= 0 ? seconds : seconds - 86399) / 86400;
  const std::int64_t inDay = seconds - days * 86400;
  const std::int64_t z = days + 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t dayOfEra = z - era * 146097;
  const std::int64_t yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const std::int64_t mp = (5 * dayOfYear + 2) / 153;
  const std::int64_t day = dayOfYear - (153 * mp + 2) / 5 + 1;
  const std::int64_t month = mp < 10 ? mp + 3 : mp - 9;
  const std::int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
  const auto part = [](std::int64_t value) { return static_cast<int>(value); };
  return DateTime{{part(year), part(month), part(day)},
                  {part(inDay / 3600), part(inDay / 60 % 60), part(inDay % 60)}};
}

}  // namespace qorv::test
