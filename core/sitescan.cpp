#include "core/sitescan.h"

#include <algorithm>

#include "core/datetimetext.h"
#include "core/xmltext.h"
#include "platform/clock.h"

namespace qorv {

namespace {

/// Thrown from the per-file step to end a scan the user stopped.
struct ScanStopped {};

/// Whether cutting [begin, end) out of an escaped URL leaves well-formed
/// UTF-8 XML. The index file name is searched in the escaped text, so an
/// index name such as "amp;" would otherwise leave a bare "&" behind, and
/// one holding stray bytes could split a character.
bool cutKeepsUrlWellFormed(std::string_view url, std::size_t begin, std::size_t end) {
  const auto atBoundary = [url](std::size_t pos) {
    return pos >= url.size() || (static_cast<unsigned char>(url[pos]) & 0xC0) != 0x80;
  };
  if (!atBoundary(begin) || !atBoundary(end)) return false;
  // Ending inside an entity leaves its plain tail; beginning inside one
  // leaves its "&" without the ";".
  if (begin == 0) return true;
  const std::size_t amp = url.rfind('&', begin - 1);
  return amp == std::string_view::npos || url.find(';', amp) < begin;
}

}  // namespace

std::vector<std::string> splitFileMask(std::string_view fileMask) {
  std::vector<std::string> masks;
  std::string piece;
  for (std::size_t i = 0; i < fileMask.size(); ++i) {
    const char c = fileMask[i];
    if (c == ';' || c == '\n' || c == '\r') {
      if (c == '\r' && i + 1 < fileMask.size() && fileMask[i + 1] == '\n') ++i;
      masks.push_back(std::move(piece));
      piece.clear();
    } else {
      piece += c;
    }
  }
  if (!piece.empty()) masks.push_back(std::move(piece));
  return masks;
}

std::string overlongWarning(int count) {
  return std::to_string(count) + " Url presiahlo max. povolenú dĺžku 2048 znakov.";
}

SiteScanner::SiteScanner(GeneratorSettings& settings, PageList& pages, const ScanInputs& inputs,
                         const LocaleFormats& formats, FileSystem& fileSystem)
    : now(localNow),
      m_settings(settings),
      m_pages(pages),
      m_inputs(inputs),
      m_formats(formats),
      m_walker(fileSystem) {
  m_walker.filter.searchTypes = FileFilter::FileMask;
  m_walker.keepFoundFiles = false;
  m_walker.onFileFound = [this](DirectoryWalker&, const FoundFile& file) { addFileRow(file); };
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

  m_walker.foundFiles.clear();
  m_walker.foundFolders.clear();
  m_walker.rootFolder = m_scanFolder;
  m_walker.filter.setMasks(splitFileMask(m_settings.fileMask));
  try {
    m_walker.walk();
  } catch (const ScanStopped&) {
  }
  return true;
}

std::string SiteScanner::fileUrl(std::string_view base, std::string_view relativePath,
                                 std::string_view indexFile) {
  // Escaping first and turning "\\" into "/" afterwards gives the same text
  // as the other way round (escaping neither adds nor changes a "\\"), and
  // builds the URL in one buffer: this runs for every file of the site. A
  // little room for escapes spares most escaped names a doubling of the
  // buffer, which stays with the row.
  std::string url;
  url.reserve(base.size() + 1 + relativePath.size() + 16);
  appendXmlEscaped(url, base);
  if (base.empty() || base.back() != '/') url += '/';
  appendXmlEscaped(url, relativePath);
  std::replace(url.begin(), url.end(), '\\', '/');
  if (!indexFile.empty()) {
    for (std::size_t at = url.find(indexFile); at != std::string::npos;
         at = url.find(indexFile, at + 1)) {
      if (cutKeepsUrlWellFormed(url, at, at + indexFile.size())) {
        url.erase(at, indexFile.size());
        break;
      }
    }
  }
  return url;
}

void SiteScanner::addFileRow(const FoundFile& file) {
  if (m_stopRequested) throw ScanStopped{};
  // A file that is gone by now, or whose time cannot be read, gives no row;
  // the scan goes on.
  if (const std::optional<DateTime> written = file.folder.lastWriteTime(file.name)) {
    const std::string_view relative = std::string_view(file.path).substr(m_scanFolder.size());
    std::string url = fileUrl(m_inputs.siteUrl(), relative, m_settings.indexFile);
    if (url != m_rootRowUrl) {
      if (urlLength(url) > kMaxUrlLength) ++m_overlongCount;
      m_pages.add(std::move(url), formatDateText(written->date, m_formats),
                  formatShortTimeText(written->time, m_formats), m_settings.otherChangefreq.text(),
                  m_settings.otherPriority.text());
    }
  }
  if (onFileDone) onFileDone();
}

}  // namespace qorv
