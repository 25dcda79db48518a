#include "core/sitescan.h"

#include <algorithm>

#include "core/datetimetext.h"
#include "core/xmltext.h"
#include "platform/clock.h"

namespace qorv {

namespace {

/// Thrown from the per-file step to end a scan the user stopped.
struct TScanStopped {};

/// Whether cutting [begin, end) out of an escaped URL leaves well-formed
/// UTF-8 XML. The index file name is searched in the escaped text, so an
/// index name such as "amp;" would otherwise leave a bare "&" behind, and
/// one holding stray bytes could split a character.
bool CutKeepsUrlWellFormed(std::string_view url, std::size_t begin, std::size_t end) {
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

std::vector<std::string> SplitFileMask(std::string_view fileMask) {
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

std::string OverlongWarning(int count) {
  return std::to_string(count) + " Url presiahlo max. povolenú dĺžku 2048 znakov.";
}

TSiteScanner::TSiteScanner(TGeneratorSettings& settings, TPageList& pages,
                           const TScanInputs& inputs, const TLocaleFormats& formats,
                           TFileSystem& fileSystem)
    : Now(LocalNow),
      m_settings(settings),
      m_pages(pages),
      m_inputs(inputs),
      m_formats(formats),
      m_walker(fileSystem) {
  m_walker.FileParams.SearchTypes = TJvSearchParams::stFileMask;
  m_walker.KeepFoundFiles = false;
  m_walker.OnFindFile = [this](TJvSearchFiles&, const TFoundFile& file) {
    JvSearchFilesFindFile(file);
  };
}

bool TSiteScanner::Run() {
  if (m_running) return false;
  m_running = true;
  m_stopRequested = false;
  struct TEndOfScan {
    bool& Running;
    ~TEndOfScan() { Running = false; }
  } endOfScan{m_running};

  m_rootUrl = m_inputs.SiteUrl();
  if (m_rootUrl.empty() || m_rootUrl.back() != '/') m_rootUrl += '/';
  m_pages.Clear();
  // The root row is escaped like the file rows, so the sitemap stays
  // well-formed whatever the site URL holds; file rows are compared with
  // this escaped form.
  m_rootRowUrl = XmlEscape(m_rootUrl);
  const TDateTime now = Now();
  m_pages.Add(m_rootRowUrl, FormatDateText(now.Date, m_formats),
              FormatLongTimeText(now.Time, m_formats), m_settings.RootChangefreq.Text(),
              m_settings.RootPriority.Text());
  m_overlongCount = 0;
  m_scanFolder = m_inputs.LocalFolder();
  if (m_scanFolder.empty() || m_scanFolder.back() != '/') m_scanFolder += '/';

  m_walker.FoundFiles.clear();
  m_walker.FoundFolders.clear();
  m_walker.RootDirectory = m_scanFolder;
  m_walker.FileParams.SetFileMasks(SplitFileMask(m_settings.FileMask));
  try {
    m_walker.Walk();
  } catch (const TScanStopped&) {
  }
  return true;
}

std::string TSiteScanner::FileUrl(std::string_view base, std::string_view relativePath,
                                  std::string_view indexFile) {
  // Escaping first and turning "\\" into "/" afterwards gives the same text
  // as the other way round (escaping neither adds nor changes a "\\"), and
  // builds the URL in one buffer: this runs for every file of the site. A
  // little room for escapes spares most escaped names a doubling of the
  // buffer, which stays with the row.
  std::string url;
  url.reserve(base.size() + 1 + relativePath.size() + 16);
  AppendXmlEscaped(url, base);
  if (base.empty() || base.back() != '/') url += '/';
  AppendXmlEscaped(url, relativePath);
  std::replace(url.begin(), url.end(), '\\', '/');
  if (!indexFile.empty()) {
    for (std::size_t at = url.find(indexFile); at != std::string::npos;
         at = url.find(indexFile, at + 1)) {
      if (CutKeepsUrlWellFormed(url, at, at + indexFile.size())) {
        url.erase(at, indexFile.size());
        break;
      }
    }
  }
  return url;
}

void TSiteScanner::JvSearchFilesFindFile(const TFoundFile& file) {
  if (m_stopRequested) throw TScanStopped{};
  // A file that is gone by now, or whose time cannot be read, gives no row;
  // the scan goes on.
  if (const std::optional<TDateTime> written = file.Folder.LastWriteTime(file.Name)) {
    const std::string_view relative = std::string_view(file.Path).substr(m_scanFolder.size());
    std::string url = FileUrl(m_inputs.SiteUrl(), relative, m_settings.IndexFile);
    if (url != m_rootRowUrl) {
      if (UrlLength(url) > MaxUrlLength) ++m_overlongCount;
      m_pages.Add(std::move(url), FormatDateText(written->Date, m_formats),
                  FormatShortTimeText(written->Time, m_formats), m_settings.OtherChangefreq.Text(),
                  m_settings.OtherPriority.Text());
    }
  }
  if (OnFileDone) OnFileDone();
}

}  // namespace qorv
