#include "core/sitemapwriter.h"

#include <optional>
#include <set>
#include <vector>

#include "core/outputtransaction.h"
#include "core/returnlinks.h"
#include "core/robotstxt.h"
#include "data/sitemapstylesheet.h"
#include "platform/clock.h"

namespace qorv {

namespace {

/// The parts that the sitemap.xml there now names, when it is an index.
std::set<std::string> oldParts(OutputTransaction& transaction) {
  const std::string name(kSitemapFileName);
  std::optional<std::string> old = transaction.read(name, kIndexHeadBytes);
  if (old && old->size() == kIndexHeadBytes && isSitemapIndex(*old)) old = transaction.read(name);
  return old ? partsNamedBy(*old) : std::set<std::string>();
}

/// How much of an existing sitemap.xsl is read for the marker: the
/// program's own holds it on its second line, and a file of the user's may
/// be of any size. One that holds it only further on is taken for the
/// user's, and so kept.
constexpr std::size_t kStylesheetHeadBytes = 4096;

/// Writes the program's sitemap.xsl into the transaction, unless the one
/// there is the user's. Read before anything is in place, so that one
/// that cannot be read (a link, an input/output error) fails the write
/// while nothing has changed.
SitemapResult::StylesheetFile writeOwnStylesheet(OutputTransaction& transaction) {
  const std::string name(kStylesheetFileName);
  const std::optional<std::string> old = transaction.read(name, kStylesheetHeadBytes);
  if (old && old->find(kSitemapStylesheetMarker) == std::string::npos)
    return SitemapResult::StylesheetFile::NotOurs;
  // Finished first, so that it is in place before any file that names it.
  OutputTransaction::File& file = transaction.begin(name, false);
  file.write(kSitemapStylesheet);
  transaction.finish(file);
  return SitemapResult::StylesheetFile::Written;
}

}  // namespace

SitemapWriter::SitemapWriter(const LocaleFormats& formats, OutputFileSystem& output)
    : now(localNow), m_formats(formats), m_output(output) {}

std::uint64_t SitemapWriter::writeDocument(const SitemapSink& sink, const PageList& pages,
                                           const GeneratorSettings& settings) const {
  return writeUrlset(sink, pages, settings, m_formats, now().date.year);
}

SitemapResult SitemapWriter::writeSitemap(const std::string& scanFolder, const std::string& rootUrl,
                                          const PageList& pages,
                                          const GeneratorSettings& settings) const {
  SitemapResult result;
  const std::string sitemapName(kSitemapFileName);
  result.filePath = scanFolder + sitemapName;
  result.maxBytes = maxSitemapBytes(settings.schema);
  result.gzipCopies = settings.gzip;
  const DateTime today = now();

  OutputTransaction transaction(m_output, scanFolder);
  OutputTransaction::File* current = &transaction.begin(sitemapName, settings.gzip);
  const std::set<std::string> before =
      settings.splitIndex ? oldParts(transaction) : std::set<std::string>();
  std::optional<RobotsTxtUpdate> robots;
  if (settings.robotsTxt) robots.emplace(transaction, rootUrl + sitemapName);
  if (settings.writeStylesheet) result.stylesheetFile = writeOwnStylesheet(transaction);

  const std::string head = documentHead(SitemapDocument::Urlset, settings);
  const std::string_view tail = documentTail(SitemapDocument::Urlset);
  UrlElements elements(m_formats, settings, today.date.year);
  current->write(head);
  std::size_t parts = 0;
  std::uint64_t inFile = 0;
  std::string element;
  for (const PageEntry& row : pages) {
    if (!elements.format(row, element)) continue;
    if (settings.splitIndex &&
        startsNewPart(inFile, current->size(), element.size(), tail.size(), result.maxBytes)) {
      // Not one file after all: the first becomes the first part.
      if (parts == 0) current->retarget(partName(1));
      current->write(tail);
      transaction.finish(*current);
      current = &transaction.begin(partName(++parts + 1), settings.gzip);
      current->write(head);
      inFile = 0;
    }
    current->write(element);
    ++inFile;
    ++result.urlCount;
  }
  current->write(tail);
  transaction.finish(*current);

  if (parts > 0) {
    result.partCount = ++parts;
    const IndexEntries entries(settings, rootUrl, today.date);
    current = &transaction.begin(sitemapName, settings.gzip);
    current->write(documentHead(SitemapDocument::Index, settings));
    for (std::size_t part = 1; part <= parts; ++part) {
      entries.format(partName(part), element);
      current->write(element);
    }
    current->write(documentTail(SitemapDocument::Index));
    transaction.finish(*current);
  }
  // The size of what was written, not of what a look-up finds: one that
  // failed would report a size of 0 and hide a size over the limit.
  result.fileSize = current->size();
  transaction.commit();
  if (writesAlternates(settings)) {
    for (const std::size_t row : rowsWithoutReturnLinks(pages))
      result.withoutReturnLinks.push_back(pages.at(row).url);
  }

  // The new sitemap is in place; what remains cannot make it incomplete.
  const std::optional<IoError> removeFailure =
      transaction.removePlainFiles(staleParts(before, result.partCount));
  if (robots) {
    result.robotsLine = robots->apply() ? SitemapResult::RobotsLine::Added
                                        : SitemapResult::RobotsLine::AlreadyThere;
  }
  if (removeFailure) throw *removeFailure;
  return result;
}

}  // namespace qorv
