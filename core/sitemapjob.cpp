#include "core/sitemapjob.h"

namespace qorv {

namespace {

/// `path` as the message shows it: a carriage return in it breaks the line
/// there, as every other line break of the message does, rather than send
/// a terminal back to the start of the line to overwrite what it showed.
std::string shownPath(std::string path) {
  for (char& c : path) {
    if (c == '\r') c = '\n';
  }
  return path;
}

}  // namespace

SitemapJob::SitemapJob(GeneratorSettings& settings, PageList& pages, const ScanInputs& inputs,
                       const LocaleFormats& formats, FileSystem& fileSystem)
    : m_settings(settings),
      m_pages(pages),
      m_scanner(settings, pages, inputs, formats, fileSystem),
      m_writer(formats) {}

bool SitemapJob::scan() { return m_scanner.run(); }

std::string SitemapJob::scanWarning() const {
  const int overlong = m_scanner.overlongCount();
  if (overlong <= 0) return {};
  return std::to_string(overlong) + " Url presiahlo max. povolenú dĺžku 2048 znakov.";
}

SitemapResult SitemapJob::write() const {
  return m_writer.writeSitemap(m_scanner.scanFolder(), m_scanner.rootUrl(), m_pages, m_settings);
}

std::string SitemapJob::completionMessage(const SitemapResult& result) const {
  return report(result, m_scanner.leftOut(), m_scanner.keptFileCount());
}

std::string SitemapJob::report(const SitemapResult& result, const LeftOutList& leftOut,
                               std::size_t filesKept) {
  std::string text = "Tessaly vytvorená do súboru:\n" + shownPath(result.filePath);
  text += "\n\nVeľkosť súboru: " + std::to_string(result.fileSize) + " B";
  if (result.partCount == 0 && result.fileSize > result.maxBytes)
    text += "\nChyba - je prekročená maximálna veľkosť súboru " + std::to_string(result.maxBytes) +
            " B.";
  text += "\n\nPočet Url: " + std::to_string(result.urlCount);
  if (result.partCount == 0 && result.urlCount > kMaxSitemapUrls)
    text += "\nChyba - je prekročený maximálny počet 50000 Url.";
  if (leftOut.leftOutCount() > 0) {
    text += "\n\n" + leftOutReportLine(leftOut);
    if (const std::string all = allLeftOutLine(leftOut, filesKept); !all.empty())
      text += "\n" + all;
  }
  if (const std::string unreadable = unreadableLine(leftOut); !unreadable.empty())
    text += (leftOut.leftOutCount() > 0 ? "\n" : "\n\n") + unreadable;
  if (result.partCount > 0) text += "\n\nPočet súborov: " + std::to_string(result.partCount);
  if (result.gzipCopies) text += "\n\nKomprimované kópie: .gz";
  if (result.robotsLine == SitemapResult::RobotsLine::Added)
    text += "\n\nrobots.txt: doplnený riadok Sitemap";
  else if (result.robotsLine == SitemapResult::RobotsLine::AlreadyThere)
    text += "\n\nrobots.txt: riadok Sitemap už je";
  if (result.stylesheetFile == SitemapResult::StylesheetFile::NotOurs)
    text += "\n\nsitemap.xsl už existuje a nie je náš: ponechaný.";
  return text;
}

}  // namespace qorv
