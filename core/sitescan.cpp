#include "core/sitescan.h"

#include "core/datetimetext.h"
#include "core/errors.h"
#include "core/xmltext.h"
#include "platform/clock.h"

namespace qorv {

namespace {

/// Thrown from the per-file step to end a scan the user stopped.
struct ScanStopped {};

/// Whether the file at `relativePath` (folders separated by "/") is named
/// `indexFile` exactly. A name on disk never holds "/", so an index file
/// name that does is nobody's.
bool isIndexFile(std::string_view relativePath, std::string_view indexFile) {
  if (indexFile.empty() || !relativePath.ends_with(indexFile)) return false;
  const std::size_t folderPart = relativePath.size() - indexFile.size();
  return (folderPart == 0 || relativePath[folderPart - 1] == '/') &&
         indexFile.find('/') == std::string_view::npos;
}

constexpr std::string_view kRobotsTxtName = "robots.txt";

/// The path a crawler would request for `url`, a row's URL (XML-escaped):
/// its path from the host's root, with the entities read back. A view into
/// `url`, or into `buffer` when there was an entity to read back.
std::string_view requestPath(std::string_view url, std::string& buffer) {
  const std::string_view path = pathFromHostRoot(url);
  std::size_t amp = path.find('&');
  if (amp == std::string_view::npos) return path;
  static constexpr std::pair<std::string_view, char> kEntities[] = {
      {"&amp;", '&'}, {"&apos;", '\''}, {"&quot;", '"'}, {"&gt;", '>'}, {"&lt;", '<'}};
  buffer.clear();
  std::size_t start = 0;
  for (; amp != std::string_view::npos; amp = path.find('&', start)) {
    buffer.append(path, start, amp - start);
    start = amp + 1;
    char character = '&';
    for (const auto& [text, meaning] : kEntities) {
      if (path.substr(amp, text.size()) != text) continue;
      character = meaning;
      start = amp + text.size();
      break;
    }
    buffer += character;
  }
  buffer.append(path, start);
  return buffer;
}

}  // namespace

std::vector<std::string> splitFileMask(std::string_view fileMask) {
  const std::string line = fileMaskOnOneLine(fileMask);
  std::vector<std::string> masks;
  std::size_t start = 0;
  for (std::size_t end; (end = line.find(';', start)) != std::string::npos; start = end + 1)
    masks.emplace_back(line, start, end - start);
  if (start < line.size()) masks.emplace_back(line, start);
  return masks;
}

SiteScanner::SiteScanner(GeneratorSettings& settings, PageList& pages, const ScanInputs& inputs,
                         const LocaleFormats& formats, FileSystem& fileSystem)
    : now(localNow),
      m_settings(settings),
      m_pages(pages),
      m_inputs(inputs),
      m_formats(formats),
      m_fileSystem(fileSystem),
      m_walker(fileSystem,
               [this](Folder& folder, std::string_view relativeFolder, std::string_view name) {
                 return readUnlessExcluded(folder, relativeFolder, name);
               }) {
  m_walker.onFileFound = [this](const Walker::File& file) { onFileFound(file); };
  m_walker.onFolderSkipped = [this](std::string_view relativeFolder) {
    m_leftOut.add(std::string(relativeFolder), LeftOutReason::Exclude);
  };
}

void SiteScanner::clearLeftOut() {
  m_leftOut.clear();
  m_keptFiles = 0;
}

bool SiteScanner::run() {
  if (m_running) return false;
  m_running = true;
  m_stopRequested = false;
  struct EndOfScan {
    bool& running;
    ~EndOfScan() { running = false; }
  } endOfScan{m_running};

  m_rootUrl = m_inputs.siteUrl();
  if (m_rootUrl.empty() || m_rootUrl.back() != '/') m_rootUrl += '/';
  m_pages.clear();
  clearLeftOut();
  // The root row is escaped like the file rows, so the sitemap stays
  // well-formed whatever the site URL holds; file rows are compared with
  // this escaped form.
  m_rootRowUrl = xmlEscape(m_rootUrl);
  const DateTime started = now();
  m_pages.add(m_rootRowUrl, formatDateText(started.date, m_formats),
              formatLongTimeText(started.time, m_formats), m_settings.rootChangefreq.text(),
              m_settings.rootPriority.text());
  m_overlongCount = 0;
  m_scanFolder = m_inputs.localFolder();
  if (m_scanFolder.empty() || m_scanFolder.back() != '/') m_scanFolder += '/';

  // The rules hold for the whole scan, unlike the settings that each file
  // reads afresh: a rule that changed halfway would leave out some pages
  // by one and some by another.
  m_exclude = ExcludePatterns(m_settings.excludePatterns);
  m_robots.reset();
  if (m_settings.obeyRobots) m_robots = readRobotsRules();

  m_walker.rootFolder = m_scanFolder;
  m_walker.threads = threads;
  m_walker.filter.setMasks(splitFileMask(m_settings.fileMask));
  m_walker.skipFolder = nullptr;
  // Asked on the workers: the patterns stay as they are until the walk ends.
  if (!m_exclude.empty()) {
    m_walker.skipFolder = [this](std::string_view folder) {
      return m_exclude.matchFolder(folder).has_value();
    };
  }
  m_walker.onWaiting = [this] {
    if (m_stopRequested) throw ScanStopped{};
    if (onWaiting) onWaiting();
  };
  try {
    if (!m_walker.walk()) {
      // A scan folder that is missing, or is a file, gives the root row
      // alone. Any other failure would leave whole folders out of a list
      // that looks complete: it ends the scan as an error.
      const DirectoryWalker::ListingFailure& failure = m_walker.failure();
      if (failure.kind != FailureKind::Gone)
        throw IoError("Cannot list the folder", failure.folder, failure.error);
    }
  } catch (const ScanStopped&) {
  }
  return true;
}

std::string SiteScanner::fileUrl(std::string_view base, std::string_view relativePath,
                                 std::string_view indexFile, bool encodeNonAscii) {
  // One pass over the bytes into one buffer: this runs for every file of the
  // site. A little room for escapes spares most escaped names a doubling of
  // the buffer, which stays with the row.
  std::string url;
  url.reserve(base.size() + 1 + relativePath.size() + 16);
  appendXmlEscapedWithSlashes(url, base);
  if (base.empty() || base.back() != '/') url += '/';
  if (isIndexFile(relativePath, indexFile)) relativePath.remove_suffix(indexFile.size());
  appendUrlPathEscaped(url, relativePath, encodeNonAscii);
  return url;
}

RobotsRules SiteScanner::readRobotsRules() const {
  int error = 0;
  Result<std::unique_ptr<Folder>> folder = m_fileSystem.openFolder(m_scanFolder);
  if (folder) {
    // One byte past the limit tells the parser that the file went on.
    const Result<std::string> text = (*folder)->readFile(kRobotsTxtName, kRobotsTxtLimit + 1);
    if (text) return RobotsRules::parse(*text, m_settings.robotsAgent);
    error = text.error();
  } else {
    error = folder.error();
  }
  // A site without robots.txt lets every robot fetch everything. Any other
  // failure, a refusal among them, would decide unseen what the sitemap
  // holds.
  if (failureKind(error) == FailureKind::Gone) return RobotsRules();
  throw IoError("Cannot read", m_scanFolder + std::string(kRobotsTxtName), error);
}

FileFacts SiteScanner::readFacts(Folder& folder, std::string_view name) {
  return FileFacts{folder.writeTime(name)};
}

SiteScanner::FileValue SiteScanner::readUnlessExcluded(Folder& folder,
                                                       std::string_view relativeFolder,
                                                       std::string_view name) const {
  // Decided by the path alone, before the disk is asked anything.
  if (!m_exclude.empty()) {
    std::string relative(relativeFolder);
    relative += name;
    if (m_exclude.matchFile(relative)) return std::nullopt;
  }
  return readFacts(folder, name);
}

void SiteScanner::onFileFound(const Walker::File& file) {
  if (m_stopRequested) throw ScanStopped{};
  const std::string_view relative = std::string_view(file.path).substr(m_scanFolder.size());
  if (!file.value)
    m_leftOut.add(std::string(relative), LeftOutReason::Exclude);
  else
    addFileRow(file.path, relative, *file.value);
  if (onFileDone) onFileDone();
}

void SiteScanner::addFileRow(const std::string& path, std::string_view relativePath,
                             const FileFacts& facts) {
  // A file that is gone by now (or a link to nothing), or one this process
  // may not look at, gives no row, and the scan goes on; a time that cannot
  // be read for another reason ends the scan, which would otherwise look
  // complete without the file.
  const Result<std::int64_t>& read = facts.writeTime;
  if (!read && failureKind(read.error()) == FailureKind::Failed)
    throw IoError("Cannot read the time of", path, read.error());
  if (!read) return;
  const std::optional<DateTime> local = m_fileSystem.localTime(*read);
  if (!local) return;
  const DateTime& written = *local;
  std::string url =
      fileUrl(m_inputs.siteUrl(), relativePath, m_settings.indexFile, m_settings.encodeNonAscii);
  // The URL as it would be written decides, so that the site URL's own
  // path counts as a crawler would see it.
  if (m_robots && !m_robots->allows(m_robotsPaths.of(requestPath(url, m_requestPath)))) {
    m_leftOut.add(std::string(relativePath), LeftOutReason::Robots);
    return;
  }
  ++m_keptFiles;
  if (url == m_rootRowUrl) return;
  if (urlLength(url) > kMaxUrlLength) ++m_overlongCount;
  m_pages.add(std::move(url), formatDateText(written.date, m_formats),
              formatShortTimeText(written.time, m_formats), m_settings.otherChangefreq.text(),
              m_settings.otherPriority.text());
}

}  // namespace qorv
