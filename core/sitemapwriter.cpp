#include "core/sitemapwriter.h"

#include <memory>
#include <optional>
#include <set>
#include <vector>

#include "core/datetimetext.h"
#include "core/errors.h"
#include "core/robotstxt.h"
#include "core/xmltext.h"
#include "platform/atomicfile.h"
#include "platform/clock.h"
#include "platform/filecontent.h"
#include "platform/gzip.h"

namespace qorv {

namespace {

constexpr std::string_view kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";
constexpr std::string_view kUrlsetTail = "</urlset>\r\n";
constexpr std::string_view kIndexTail = "</sitemapindex>\r\n";

std::string_view namespaceUri(SitemapSchema schema) {
  return schema == SitemapSchema::V09 ? "http://www.sitemaps.org/schemas/sitemap/0.9"
                                      : "http://www.google.com/schemas/sitemap/0.84";
}

/// The declaration and the start tag of a sitemap document: a urlset, or a
/// sitemap index, which differ in their element and their schema file only.
std::string documentHead(std::string_view element, SitemapSchema schema,
                         std::string_view schemaFile) {
  const std::string_view uri = namespaceUri(schema);
  std::string head(kDeclaration);
  head.append("<").append(element).append(" xmlns=\"").append(uri).append("\"");
  head.append(" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"");
  head.append(" xsi:schemaLocation=\"").append(uri).append(" ").append(uri).append("/");
  head.append(schemaFile).append("\">\r\n");
  return head;
}

/// Appends `<tag>text</tag>`; the tag texts a user may have typed are
/// escaped by the caller, so the document stays well-formed whatever they hold.
void appendElement(std::string& out, std::string_view indent, std::string_view tag,
                   std::string_view escapedContent, std::string_view lineEnd) {
  out.append(indent).append("<").append(tag).append(">");
  out.append(escapedContent);
  out.append("</").append(tag).append(">").append(lineEnd);
}

/// The url element of each row, in the layout the settings choose.
class UrlElements {
 public:
  UrlElements(const LocaleFormats& formats, const GeneratorSettings& settings, int currentYear)
      : m_formats(formats),
        m_currentYear(currentYear),
        m_outer(settings.compact ? "" : "   "),
        m_inner(settings.compact ? "" : "      "),
        m_lineEnd(settings.compact ? "" : "\r\n"),
        m_zone(settings.timeZone.text()),
        // A date-time without a valid zone is no valid lastmod: the date
        // alone is.
        m_withTime(!settings.dateOnlyLastmod && isW3cTimeZone(m_zone)) {}

  /// The row's element in `element`; false, leaving it alone, for a row
  /// that is not written (unticked, or its URL too long).
  bool format(const PageEntry& row, std::string& element) {
    if (!row.included || urlLength(row.url) > kMaxUrlLength) return false;
    m_value = formatIsoDate(readDateText(row.dateText, m_formats, m_currentYear));
    if (m_withTime) {
      // The time text is shown in the locale's form; the one the edit
      // dialog reads back is the one written.
      if (const std::optional<TimeOfDay> time = tryReadTimeText(row.timeText, m_formats)) {
        m_value += 'T';
        appendIsoTime(m_value, *time);
        m_value += m_zone;
      }
    }
    element.clear();
    element.append(m_outer).append("<url>").append(m_lineEnd);
    appendElement(element, m_inner, "loc", row.url, m_lineEnd);
    appendElement(element, m_inner, "lastmod", m_value, m_lineEnd);
    if (row.changefreq != kNoneTag)
      appendElement(element, m_inner, "changefreq", xmlEscape(row.changefreq), m_lineEnd);
    if (row.priority != kNoneTag)
      appendElement(element, m_inner, "priority", xmlEscape(row.priority), m_lineEnd);
    element.append(m_outer).append("</url>\r\n");
    return true;
  }

 private:
  const LocaleFormats& m_formats;
  int m_currentYear;
  std::string_view m_outer;
  std::string_view m_inner;
  std::string_view m_lineEnd;
  std::string m_zone;
  bool m_withTime;
  std::string m_value;
};

[[noreturn]] void throwInOut(const char* what, const std::string& path, int code) {
  throw IoError(what, path, code,
                code == ELOOP ? "it is a symbolic link, never written through" : "");
}

std::string partName(std::size_t number) { return "sitemap-" + std::to_string(number) + ".xml"; }

/// Whether `name` has the exact form of a part: "sitemap-N.xml", N decimal.
bool isPartName(std::string_view name) {
  constexpr std::string_view kPrefix = "sitemap-";
  constexpr std::string_view kSuffix = ".xml";
  if (name.size() <= kPrefix.size() + kSuffix.size() || name.substr(0, kPrefix.size()) != kPrefix ||
      name.substr(name.size() - kSuffix.size()) != kSuffix)
    return false;
  for (const char c : name.substr(kPrefix.size(), name.size() - kPrefix.size() - kSuffix.size())) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

/// The parts an earlier sitemap index named, each by the last path segment
/// of its loc, and only those of the form of a part: the old file may come
/// from anywhere, so nothing else it names is ever touched.
bool isSitemapIndex(std::string_view document) {
  return document.find("<sitemapindex") != std::string_view::npos;
}

std::set<std::string> partsNamedBy(std::string_view document) {
  std::set<std::string> parts;
  if (!isSitemapIndex(document)) return parts;
  constexpr std::string_view kOpen = "<loc>";
  constexpr std::string_view kClose = "</loc>";
  for (std::size_t at = document.find(kOpen); at != std::string_view::npos;
       at = document.find(kOpen, at)) {
    at += kOpen.size();
    const std::size_t end = document.find(kClose, at);
    if (end == std::string_view::npos) break;
    std::string_view loc = document.substr(at, end - at);
    while (!loc.empty() &&
           (loc.back() == ' ' || loc.back() == '\t' || loc.back() == '\r' || loc.back() == '\n'))
      loc.remove_suffix(1);
    const std::size_t slash = loc.rfind('/');
    const std::string_view name = slash == std::string_view::npos ? loc : loc.substr(slash + 1);
    if (isPartName(name)) parts.emplace(name);
  }
  return parts;
}

/// One file of a write and its gzip copy: written as they go, complete and
/// on disk after `prepare`, in place after `publish`.
class OutputFile {
 public:
  OutputFile(std::shared_ptr<ReplacementFolder> folder, std::string folderPath, bool gzip)
      : m_folder(std::move(folder)), m_folderPath(std::move(folderPath)), m_gzip(gzip) {}

  void begin(const std::string& name) {
    const std::string path = m_folderPath + name;
    if (const int error = m_file.begin(path, LinkPolicy::Refuse, m_folder))
      throwInOut("Cannot create", path, error);
    if (m_gzip) {
      if (const int error = m_copy.begin(path + ".gz", LinkPolicy::Refuse, m_folder))
        throwInOut("Cannot create", path + ".gz", error);
      m_encoder = std::make_unique<GzipEncoder>();
    }
  }

  void write(std::string_view bytes) {
    m_size += bytes.size();
    if (const int error = m_file.write(bytes)) throwInOut("Cannot write", m_file.path(), error);
    if (m_encoder) {
      m_compressed.clear();
      m_encoder->add(bytes, m_compressed);
      writeCopy();
    }
  }

  /// The file (and its copy) is to take the name `name` instead.
  void retarget(const std::string& name) {
    if (const int error = m_file.retarget(name))
      throwInOut("Cannot create", m_folderPath + name, error);
    if (m_gzip) {
      if (const int error = m_copy.retarget(name + ".gz"))
        throwInOut("Cannot create", m_folderPath + name + ".gz", error);
    }
  }

  void prepare() {
    if (m_encoder) {
      m_compressed.clear();
      m_encoder->finish(m_compressed);
      writeCopy();
      m_encoder.reset();
      if (const int error = m_copy.prepare()) throwInOut("Cannot write", m_copy.path(), error);
    }
    if (const int error = m_file.prepare()) throwInOut("Cannot write", m_file.path(), error);
  }

  /// The copy first, so that the file itself is the last to change.
  void publish() {
    if (m_gzip) {
      if (const int error = m_copy.publish()) throwInOut("Cannot write", m_copy.path(), error);
    }
    if (const int error = m_file.publish()) throwInOut("Cannot write", m_file.path(), error);
  }

  std::uint64_t size() const { return m_size; }

 private:
  void writeCopy() {
    if (const int error = m_copy.write(m_compressed))
      throwInOut("Cannot write", m_copy.path(), error);
  }

  std::shared_ptr<ReplacementFolder> m_folder;
  std::string m_folderPath;
  bool m_gzip;
  AtomicFile m_file;
  AtomicFile m_copy;
  std::unique_ptr<GzipEncoder> m_encoder;
  std::string m_compressed;
  std::uint64_t m_size = 0;
};

/// The folder's robots.txt with the sitemap's line, read before any file of
/// the write is put in place: a robots.txt that cannot be read (a link, an
/// input/output error) then fails the write while nothing has changed.
RobotsUpdate robotsTxtNaming(const std::string& path, const std::string& sitemapUrl) {
  std::string content;
  const int error = readFileForUpdate(path, content);
  if (error != 0 && error != ENOENT) throwInOut("Cannot read", path, error);
  return robotsWithSitemap(error == ENOENT ? std::nullopt : std::optional<std::string>(content),
                           sitemapUrl);
}

/// Replaces robots.txt with `update`, once the sitemap is in place; what it
/// did. In the folder the sitemap's files were replaced in, under its lock:
/// another lock on the folder would be refused, and the new file would take
/// a random temporary name that a crash could leave behind for good.
SitemapResult::RobotsLine nameInRobotsTxt(const std::string& path, const RobotsUpdate& update,
                                          std::shared_ptr<ReplacementFolder> folder) {
  if (!update.changed) return SitemapResult::RobotsLine::AlreadyThere;
  AtomicFile file;
  if (const int failed = file.begin(path, LinkPolicy::Refuse, std::move(folder)))
    throwInOut("Cannot create", path, failed);
  if (const int failed = file.write(update.content)) throwInOut("Cannot write", path, failed);
  if (const int failed = file.commit()) throwInOut("Cannot write", path, failed);
  return SitemapResult::RobotsLine::Added;
}

}  // namespace

SitemapWriter::SitemapWriter(const LocaleFormats& formats) : now(localNow), m_formats(formats) {}

std::uint64_t SitemapWriter::writeDocument(const SitemapSink& sink, const PageList& pages,
                                           const GeneratorSettings& settings) const {
  UrlElements elements(m_formats, settings, now().date.year);
  sink(documentHead("urlset", settings.schema, "sitemap.xsd"));
  std::uint64_t count = 0;
  std::string element;
  for (const PageEntry& row : pages) {
    if (!elements.format(row, element)) continue;
    ++count;
    sink(element);
  }
  sink(kUrlsetTail);
  return count;
}

SitemapResult SitemapWriter::writeSitemap(const std::string& scanFolder, const std::string& rootUrl,
                                          const PageList& pages,
                                          const GeneratorSettings& settings) const {
  SitemapResult result;
  result.filePath = scanFolder + std::string(kSitemapFileName);
  result.maxBytes = maxSitemapBytes(settings.schema);
  result.gzipCopies = settings.gzip;
  const DateTime today = now();

  int error = 0;
  const std::shared_ptr<ReplacementFolder> folder =
      ReplacementFolder::open(scanFolder.empty() ? "." : scanFolder, error);
  if (!folder) throwInOut("Cannot create", result.filePath, error);
  const auto newFile = [&](const std::string& name) {
    auto file = std::make_unique<OutputFile>(folder, scanFolder, settings.gzip);
    file->begin(name);
    return file;
  };

  // Every file goes in place only once all are written; sitemap.xml last.
  std::vector<std::unique_ptr<OutputFile>> files;
  std::unique_ptr<OutputFile> current = newFile(std::string(kSitemapFileName));
  std::set<std::string> oldParts;
  if (settings.splitIndex) {
    // An index names itself near its start; the old file is read whole only
    // when it is one, not when it is a urlset of many megabytes.
    constexpr std::size_t kIndexHeadBytes = std::size_t{64} * 1024;
    std::string old;
    error = readFileForUpdate(result.filePath, old, kIndexHeadBytes);
    if (error == 0 && old.size() == kIndexHeadBytes && isSitemapIndex(old))
      error = readFileForUpdate(result.filePath, old);
    if (error != 0 && error != ENOENT) throwInOut("Cannot read", result.filePath, error);
    oldParts = partsNamedBy(old);
  }
  const std::string robotsPath = scanFolder + "robots.txt";
  RobotsUpdate robots;
  if (settings.robotsTxt)
    robots = robotsTxtNaming(robotsPath, rootUrl + std::string(kSitemapFileName));

  const std::string head = documentHead("urlset", settings.schema, "sitemap.xsd");
  UrlElements elements(m_formats, settings, today.date.year);
  current->write(head);
  std::uint64_t inFile = 0;
  std::string element;
  for (const PageEntry& row : pages) {
    if (!elements.format(row, element)) continue;
    const bool full = inFile + 1 > kMaxSitemapUrls ||
                      current->size() + element.size() + kUrlsetTail.size() > result.maxBytes;
    if (settings.splitIndex && inFile > 0 && full) {
      // Not one file after all: the first becomes the first part.
      if (files.empty()) current->retarget(partName(1));
      current->write(kUrlsetTail);
      current->prepare();
      files.push_back(std::move(current));
      current = newFile(partName(files.size() + 1));
      current->write(head);
      inFile = 0;
    }
    current->write(element);
    ++inFile;
    ++result.urlCount;
  }
  current->write(kUrlsetTail);
  current->prepare();
  files.push_back(std::move(current));

  std::set<std::string> newParts;
  if (files.size() > 1) {
    result.partCount = files.size();
    const std::string base = xmlEscape(rootUrl);
    const std::string lastmod = formatIsoDate(today.date);
    const std::string_view outer = settings.compact ? "" : "   ";
    const std::string_view inner = settings.compact ? "" : "      ";
    const std::string_view lineEnd = settings.compact ? "" : "\r\n";
    std::unique_ptr<OutputFile> index = newFile(std::string(kSitemapFileName));
    index->write(documentHead("sitemapindex", settings.schema, "siteindex.xsd"));
    for (std::size_t part = 1; part <= files.size(); ++part) {
      newParts.insert(partName(part));
      element.clear();
      element.append(outer).append("<sitemap>").append(lineEnd);
      appendElement(element, inner, "loc", base + partName(part), lineEnd);
      appendElement(element, inner, "lastmod", lastmod, lineEnd);
      element.append(outer).append("</sitemap>\r\n");
      index->write(element);
    }
    index->write(kIndexTail);
    index->prepare();
    files.push_back(std::move(index));
  }
  for (const auto& file : files) file->publish();
  // The size of what was written, not of what a look-up finds: one that
  // failed would report a size of 0 and hide a size over the limit.
  result.fileSize = files.back()->size();
  if (const int failed = folder->sync()) throwInOut("Cannot write", result.filePath, failed);

  // The new sitemap is in place; what remains cannot make it incomplete.
  int removeError = 0;
  std::string removePath;
  for (const std::string& stale : oldParts) {
    if (newParts.count(stale) != 0) continue;
    for (const std::string& path : {scanFolder + stale, scanFolder + stale + ".gz"}) {
      if (const int failed = removeIfPlainFile(path); failed != 0 && removeError == 0) {
        removeError = failed;
        removePath = path;
      }
    }
  }
  if (settings.robotsTxt) result.robotsLine = nameInRobotsTxt(robotsPath, robots, folder);
  if (removeError != 0) throwInOut("Cannot remove", removePath, removeError);
  return result;
}

std::string SitemapWriter::reportText(const SitemapResult& result) {
  std::string text = "Tessaly vytvorená do súboru:\r" + result.filePath;
  text += "\r\rVeľkosť súboru: " + std::to_string(result.fileSize) + " B";
  if (result.partCount == 0 && result.fileSize > result.maxBytes)
    text += "\rChyba - je prekročená maximálna veľkosť súboru " + std::to_string(result.maxBytes) +
            " B.";
  text += "\r\rPočet Url: " + std::to_string(result.urlCount);
  if (result.partCount == 0 && result.urlCount > kMaxSitemapUrls)
    text += "\rChyba - je prekročený maximálny počet 50000 Url.";
  if (result.partCount > 0) text += "\r\rPočet súborov: " + std::to_string(result.partCount);
  if (result.gzipCopies) text += "\r\rKomprimované kópie: .gz";
  if (result.robotsLine == SitemapResult::RobotsLine::Added)
    text += "\r\rrobots.txt: doplnený riadok Sitemap";
  else if (result.robotsLine == SitemapResult::RobotsLine::AlreadyThere)
    text += "\r\rrobots.txt: riadok Sitemap už je";
  return text;
}

std::string withLineBreaks(std::string text) {
  for (char& c : text) {
    if (c == '\r') c = '\n';
  }
  return text;
}

}  // namespace qorv
