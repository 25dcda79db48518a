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
      m_walker(fileSystem) {
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

  m_walker.rootFolder = m_scanFolder;
  m_walker.filter.setMasks(splitFileMask(m_settings.fileMask));
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

void SiteScanner::addFileRow(const FoundFile& file) {
  if (m_stopRequested) throw ScanStopped{};
  // A file that is gone by now (or a link to nothing), or one this process
  // may not look at, gives no row, and the scan goes on; a time that cannot
  // be read for another reason ends the scan, which would otherwise look
  // complete without the file.
  const Result<std::optional<DateTime>> read = file.folder.lastWriteTime(file.name);
  if (!read && failureKind(read.error()) == FailureKind::Failed)
    throw IoError("Cannot read the time of", file.path, read.error());
  if (read && *read) {
    const DateTime& written = **read;
    const std::string_view relative = std::string_view(file.path).substr(m_scanFolder.size());
    std::string url =
        fileUrl(m_inputs.siteUrl(), relative, m_settings.indexFile, m_settings.encodeNonAscii);
    if (url != m_rootRowUrl) {
      if (urlLength(url) > kMaxUrlLength) ++m_overlongCount;
      m_pages.add(std::move(url), formatDateText(written.date, m_formats),
                  formatShortTimeText(written.time, m_formats), m_settings.otherChangefreq.text(),
                  m_settings.otherPriority.text());
    }
  }
  if (onFileDone) onFileDone();
}

}  // namespace qorv
