#include "core/sitescan.h"

#include <algorithm>

#include "core/datetimetext.h"
#include "core/errors.h"
#include "core/headrules.h"
#include "core/urltext.h"
#include "core/xmltext.h"
#include "platform/clock.h"
#include "platform/datafolder.h"

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

/// `relativePath` without a final ".html" or ".htm" (in any case) of its
/// name; a name that is nothing else keeps it, or the URL would be its
/// folder's.
std::string_view withoutPageExtension(std::string_view relativePath) {
  const std::size_t nameStart = relativePath.rfind('/') + 1;  // npos + 1 is 0
  const std::string_view name = relativePath.substr(nameStart);
  for (const std::string_view extension : {std::string_view(".html"), std::string_view(".htm")}) {
    if (name.size() <= extension.size()) continue;
    const std::string_view end = name.substr(name.size() - extension.size());
    bool same = true;
    for (std::size_t i = 0; i < end.size() && same; ++i)
      same = (end[i] >= 'A' && end[i] <= 'Z' ? static_cast<char>(end[i] - 'A' + 'a') : end[i]) ==
             extension[i];
    if (same) return relativePath.substr(0, relativePath.size() - extension.size());
  }
  return relativePath;
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

bool scanNeedsPageHeads(const GeneratorSettings& settings) {
  return settings.skipNoindex || settings.skipRedirects || settings.useCanonical ||
         writesAlternates(settings);
}

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
  m_alternates = writesAlternates(m_settings);
  m_wanted.head = HeadNeeds{.noindex = m_settings.skipNoindex,
                            .redirect = m_settings.skipRedirects,
                            .canonical = m_settings.useCanonical,
                            .alternates = m_alternates};
  m_dropExtension = m_settings.dropExtension;
  m_oneRowPerUrl = m_wanted.head.canonical || m_dropExtension;
  m_rowsByUrl.clear();
  if (m_oneRowPerUrl)
    m_rowsByUrl.emplace(comparableUrl(m_rootUrl), RowOwner{0, true, std::string()});

  if (!prepareDates()) return true;

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
    m_dates.complete = true;
  } catch (const ScanStopped&) {
  }
  // Every row has had its date: the history is no longer needed.
  m_dates.git.files = {};
  return true;
}

bool SiteScanner::prepareDates() {
  m_dates = ScanDates{};
  m_dates.source = m_settings.lastmodSource;
  m_memory = ContentMemory();
  m_wanted.digest = m_dates.source == LastmodSource::Content;
  if (m_dates.source != LastmodSource::Git && m_dates.source != LastmodSource::Content) return true;
  // Git names files below the repository's real path, and a memory is of
  // the folder itself, whatever link led to it.
  const Result<std::string> real = realPathOf(m_scanFolder);
  if (real) {
    m_dates.realFolder = *real;
  } else if (failureKind(real.error()) != FailureKind::Gone) {
    // Without it the dates would quietly be file times, and the memory
    // left unsaved.
    throw IoError("Cannot find the real path of", m_scanFolder, real.error());
  }
  if (m_dates.source == LastmodSource::Git) {
    if (!real) return true;
    // The zone's rules as they are now, not as when the window opened.
    m_localZone = LocalZone();
    m_dates.git = gitSource->read(m_dates.realFolder, [this] {
      if (whileBusy) whileBusy();
      return !m_stopRequested;
    });
    return m_dates.git.status != GitHistory::Status::Stopped;
  }
  // A folder that is not there gives the root row alone, and nothing to
  // remember.
  if (!real) return true;
  const std::string data = dataFolder ? dataFolder() : userDataFolder();
  if (m_settings.lastmodMemory.empty() && data.empty()) return true;
  m_dates.memoryFile = m_settings.contentMemoryFile(data, m_dates.realFolder);
  const Result<ContentMemory::Load> load = m_memory.load(m_dates.memoryFile, m_dates.realFolder);
  if (load) {
    m_dates.memoryLoad = *load;
  } else {
    m_dates.memoryError = load.error();
  }
  return true;
}

RememberedMoment SiteScanner::rowMoment(std::string_view relativePath, const DateTime& written,
                                        const FileFacts& facts) {
  const RememberedMoment fileTime{written, false};
  if (m_dates.source == LastmodSource::Git && m_dates.git.hasDates()) {
    const GitFileHistory* history = m_dates.git.find(std::string(relativePath));
    if (history && history->clean) {
      if (const std::optional<DateTime> local =
              m_localZone.localTime(history->lastCommit.utcSeconds))
        return RememberedMoment{*local, false};
    }
    ++m_dates.withoutHistory;
    return fileTime;
  }
  if (m_dates.source != LastmodSource::Content || !facts.digest) return fileTime;
  // Refused or gone since its time was read, or no plain file: the file
  // time, counted; any other failure would remember a page unread.
  const Result<std::optional<ContentDigest>>& digest = *facts.digest;
  if (!digest && failureKind(digest.error()) == FailureKind::Failed)
    throw IoError("Cannot read", std::string(m_scanFolder).append(relativePath), digest.error());
  if (!digest || !*digest) {
    ++m_dates.unreadable;
    return fileTime;
  }
  const RememberedMoment moment = m_memory.recall(relativePath, **digest).value_or(fileTime);
  m_dates.contents.push_back({m_pages.size(), std::string(relativePath), **digest, moment});
  return moment;
}

std::string SiteScanner::fileUrl(std::string_view base, std::string_view relativePath,
                                 std::string_view indexFile, bool encodeNonAscii,
                                 bool dropExtension) {
  // One pass over the bytes into one buffer: this runs for every file of the
  // site. A little room for escapes spares most escaped names a doubling of
  // the buffer, which stays with the row.
  std::string url;
  url.reserve(base.size() + 1 + relativePath.size() + 16);
  appendXmlEscapedWithSlashes(url, base);
  if (base.empty() || base.back() != '/') url += '/';
  if (isIndexFile(relativePath, indexFile))
    relativePath.remove_suffix(indexFile.size());
  else if (dropExtension)
    relativePath = withoutPageExtension(relativePath);
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

FileFacts SiteScanner::readFacts(Folder& folder, std::string_view name, const FactsWanted& wanted) {
  FileFacts facts{folder.writeTime(name), std::nullopt, std::nullopt};
  // A file without a time gives no row: its bytes are not needed.
  if (!facts.writeTime) return facts;
  if (wanted.digest) facts.digest = folder.digest(name);
  if (wanted.head.any()) {
    // One parser and buffer for each thread that reads, kept from page to
    // page with the room they grew to.
    thread_local HeadParser parser;
    thread_local std::string buffer;
    PageRead& page = facts.page.emplace();
    page.read = readPageHead(folder, name, parser, buffer, page.head);
  }
  return facts;
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
  return readFacts(folder, name, m_wanted);
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
  std::string url = fileUrl(m_inputs.siteUrl(), relativePath, m_settings.indexFile,
                            m_settings.encodeNonAscii, m_dropExtension);
  bool ownUrl = true;
  bool unreadable = false;
  // Read against the page's own URL, which its relative links start from.
  std::vector<LanguageAlternate> alternates = alternatesOf(url, facts);
  if (facts.page) {
    const Result<bool>& headRead = facts.page->read;
    // A page gone or refused since it was listed, or no regular file, is
    // listed as if its head said nothing. Any other failure ends the scan:
    // it could publish a page that a rule would have left out.
    if (!headRead && failureKind(headRead.error()) == FailureKind::Failed) {
      // Unread, the page keeps its own URL: a page robots.txt leaves out
      // under it is not published whatever its head says.
      if (m_robots && !m_robots->allows(m_robotsPaths.of(requestPath(url, m_requestPath)))) {
        m_leftOut.add(std::string(relativePath), LeftOutReason::Robots);
        return;
      }
      throw IoError("Cannot read the head of", path, headRead.error());
    }
    if (!headRead || !*headRead) {
      unreadable = true;
    } else if (const std::optional<LeftOutReason> reason =
                   headRule(facts.page->head, url, ownUrl)) {
      m_leftOut.add(std::string(relativePath), *reason);
      return;
    }
  }
  // The URL as it would be written decides, so that the site URL's own
  // path counts as a crawler would see it.
  if (m_robots && !m_robots->allows(m_robotsPaths.of(requestPath(url, m_requestPath)))) {
    m_leftOut.add(std::string(relativePath), LeftOutReason::Robots);
    return;
  }
  if (unreadable) m_leftOut.add(std::string(relativePath), LeftOutReason::Unreadable);
  addRow(std::move(url), ownUrl, relativePath, written, facts, std::move(alternates));
}

std::optional<LeftOutReason> SiteScanner::headRule(const PageHead& head, std::string& url,
                                                   bool& ownUrl) const {
  if (m_wanted.head.noindex && isNoindex(head)) return LeftOutReason::Noindex;
  if (!m_wanted.head.redirect && !m_wanted.head.canonical) return std::nullopt;
  const std::string pageUrl = urlOfRowText(url);
  if (m_wanted.head.redirect && isRedirectStub(head, pageUrl)) return LeftOutReason::Redirect;
  if (!m_wanted.head.canonical) return std::nullopt;
  // The site is where this file's URL begins: the site URL as it is now.
  const std::string siteUrl =
      urlOfRowText(fileUrl(m_inputs.siteUrl(), {}, {}, m_settings.encodeNonAscii));
  CanonicalUrl canonical = canonicalUrl(head, pageUrl, siteUrl);
  if (canonical.kind == CanonicalUrl::OutsideSite) return LeftOutReason::Canonical;
  // The index file at the root is the root row's page, listed under the
  // site URL whatever other URL within the site it names.
  if (canonical.kind == CanonicalUrl::WithinSite && url != m_rootRowUrl) {
    url = std::move(canonical.rowUrl);
    ownUrl = false;
  }
  return std::nullopt;
}

void SiteScanner::addRow(std::string url, bool ownUrl, std::string_view relativePath,
                         const DateTime& written, const FileFacts& facts,
                         std::vector<LanguageAlternate> alternates) {
  // The index file at the root is the root row's page, whose head names
  // the site's language versions for it.
  if (ownUrl && url == m_rootRowUrl) {
    ++m_keptFiles;
    if (!alternates.empty()) m_pages.setAlternates(0, std::move(alternates));
    return;
  }
  if (m_oneRowPerUrl) {
    const auto [found, added] = m_rowsByUrl.try_emplace(
        comparableUrl(urlOfRowText(url)), RowOwner{m_pages.size(), ownUrl, std::string()});
    RowOwner& owner = found->second;
    if (!added) {
      // The page whose own path gives the URL keeps its row, or else the
      // first in walk order; a page listed under a canonical URL gives way.
      if (!ownUrl || owner.ownUrl) {
        m_leftOut.add(std::string(relativePath), LeftOutReason::Duplicate);
        return;
      }
      m_leftOut.add(std::move(owner.path), LeftOutReason::Duplicate);
      owner.ownUrl = true;
      owner.path = relativePath;
      const std::size_t remembered = m_dates.contents.size();
      const RememberedMoment moment = rowMoment(relativePath, written, facts);
      takeOverContent(owner.row, remembered);
      auto [dateText, timeText] = rowTextsOf(moment, m_formats);
      const PageEntry& row = m_pages.at(owner.row);
      m_pages.setDetails(owner.row, std::move(dateText), std::move(timeText), row.changefreq,
                         row.priority);
      m_pages.setAlternates(owner.row, std::move(alternates));
      return;  // one page kept for another
    }
    owner.path = relativePath;
  }
  ++m_keptFiles;
  if (urlLength(url) > kMaxUrlLength) ++m_overlongCount;
  const RememberedMoment moment = rowMoment(relativePath, written, facts);
  auto [dateText, timeText] = rowTextsOf(moment, m_formats);
  m_pages.add(std::move(url), std::move(dateText), std::move(timeText),
              m_settings.otherChangefreq.text(), m_settings.otherPriority.text(),
              std::move(alternates));
}

std::vector<LanguageAlternate> SiteScanner::alternatesOf(const std::string& url,
                                                         const FileFacts& facts) const {
  // A page this process may not read keeps its row, without the versions
  // it may name: the page is there all the same.
  if (!m_alternates || !facts.page || !facts.page->read || !*facts.page->read) return {};
  return languageAlternates(facts.page->head, urlOfRowText(url));
}

void SiteScanner::takeOverContent(std::size_t row, std::size_t remembered) {
  std::vector<ScannedContent>& contents = m_dates.contents;
  std::optional<ScannedContent> taken;
  if (contents.size() > remembered) {
    taken = std::move(contents.back());
    contents.pop_back();
    taken->row = row;
  }
  // The contents stay in row order: the page that keeps the row takes the
  // place of the one it replaced.
  const auto at = std::lower_bound(
      contents.begin(), contents.end(), row,
      [](const ScannedContent& content, std::size_t value) { return content.row < value; });
  if (at != contents.end() && at->row == row) {
    if (taken)
      *at = std::move(*taken);
    else
      contents.erase(at);
  } else if (taken) {
    contents.insert(at, std::move(*taken));
  }
}

}  // namespace qorv
