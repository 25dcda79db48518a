#include "core/sitemapjob.h"

#include <optional>
#include <vector>

#include "core/datetimetext.h"
#include "core/datewarnings.h"
#include "core/errors.h"
#include "core/zoneoffset.h"

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
      m_formats(formats),
      m_scanner(settings, pages, inputs, formats, fileSystem),
      m_writer(formats) {}

bool SitemapJob::scan() { return m_scanner.run(); }

std::string SitemapJob::scanWarning() const {
  const int overlong = m_scanner.overlongCount();
  if (overlong <= 0) return {};
  return std::to_string(overlong) + " Url presiahlo max. povolenú dĺžku 2048 znakov.";
}

SitemapResult SitemapJob::write() {
  m_memoryNotSaved.clear();
  m_memorySaveError = 0;
  SitemapResult result =
      m_writer.writeSitemap(m_scanner.scanFolder(), m_scanner.rootUrl(), m_pages, m_settings);
  saveContentMemory();
  return result;
}

void SitemapJob::saveContentMemory() {
  const ScanDates& dates = m_scanner.dates();
  if (dates.source != LastmodSource::Content || !dates.complete || dates.memoryFile.empty() ||
      !dates.memoryLoad)
    return;
  const int currentYear = m_writer.now().date.year;
  std::vector<MemoryEntry> entries;
  entries.reserve(dates.contents.size());
  for (const ScannedContent& content : dates.contents) {
    // The date the row carries now, an edited one too, is the one that was
    // written for these bytes.
    RememberedMoment moment = content.moment;
    if (content.row < m_pages.size()) {
      const PageEntry& row = m_pages.at(content.row);
      if (const auto shown = momentOfRow(row.dateText, row.timeText, m_formats, currentYear))
        moment = *shown;
    }
    entries.push_back({content.path, content.digest, moment});
  }
  // Only the user's data folder is made on demand: a file the settings
  // name belongs in a folder the user made.
  const Result<void> saved = qorv::saveContentMemory(
      dates.memoryFile, dates.realFolder, std::move(entries), m_settings.lastmodMemory.empty());
  if (!saved) {
    m_memorySaveError = saved.error();
    m_memoryNotSaved = memoryNotSavedText(dates.memoryFile, saved.error());
  }
}

void SitemapJob::throwMemoryFailure() const {
  const ScanDates& dates = m_scanner.dates();
  if (dates.source != LastmodSource::Content) return;
  if (!dates.memoryLoad && dates.memoryError != 0)
    throw IoError("Cannot read the content memory", dates.memoryFile, dates.memoryError);
  if (m_memorySaveError != 0)
    throw IoError("Cannot save the content memory", dates.memoryFile, m_memorySaveError);
}

std::string SitemapJob::completionMessage(const SitemapResult& result) const {
  std::string text = report(result, m_scanner.leftOut(), m_scanner.keptFileCount());
  if (const std::string dates = datesReport(); !dates.empty()) text += "\n\n" + dates;
  return text;
}

std::string SitemapJob::datesReport() const {
  std::vector<std::string> lines;
  const ScanDates& dates = m_scanner.dates();
  if (dates.source == LastmodSource::Git)
    lines.push_back(gitHistoryReport(dates.git, dates.withoutHistory));
  if (dates.source == LastmodSource::Content) {
    if (dates.memoryLoad == ContentMemory::Load::Damaged ||
        dates.memoryLoad == ContentMemory::Load::Foreign)
      lines.push_back(damagedMemoryText());
    if (!dates.memoryLoad && dates.memoryError != 0)
      lines.push_back(memoryNotReadText(dates.memoryFile, dates.memoryError));
    if (dates.unreadable > 0)
      lines.push_back("Nečitateľné stránky: " + std::to_string(dates.unreadable));
    lines.push_back(m_memoryNotSaved);
  }
  if (dates.source != LastmodSource::None) {
    const std::string& zone = m_settings.timeZone.text();
    if (!m_settings.dateOnlyLastmod && isInvalidZone(zone)) lines.push_back(invalidZoneText(zone));
    lines.push_back(uniformLastmodWarning(dates.source));
  }
  std::string text;
  for (const std::string& line : lines) {
    if (line.empty()) continue;
    if (!text.empty()) text += '\n';
    text += line;
  }
  // The date messages break their lines as the core's others do.
  for (char& c : text) {
    if (c == '\r') c = '\n';
  }
  return text;
}

std::string SitemapJob::uniformLastmodWarning(LastmodSource source) const {
  // The rows written, as the writer picks them: the root row (the first)
  // is not a file's.
  const std::string& zone = m_settings.timeZone.text();
  UniformLastmodCheck check(!m_settings.dateOnlyLastmod &&
                            (isW3cTimeZone(zone) || zone == kAutomaticZone));
  const int currentYear = m_writer.now().date.year;
  for (std::size_t i = 1; i < m_pages.size(); ++i) {
    const PageEntry& row = m_pages.at(i);
    if (!row.included || urlLength(row.url) > kMaxUrlLength) continue;
    // The write has read every written row's date text back already.
    check.add(readDateText(row.dateText, m_formats, currentYear),
              tryReadTimeText(row.timeText, m_formats));
  }
  return check.warning(m_formats, source != LastmodSource::Git && source != LastmodSource::Content);
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
  if (!result.withoutReturnLinks.empty())
    text += "\n\nJazykové verzie bez spätného odkazu: " +
            std::to_string(result.withoutReturnLinks.size());
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
