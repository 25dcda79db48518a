#include "core/sitemapwriter.h"

#include <optional>
#include <system_error>

#include "core/datetimetext.h"
#include "core/errors.h"
#include "core/xmltext.h"
#include "platform/atomicfile.h"
#include "platform/clock.h"
#include "platform/filesystem.h"

namespace qorv {

namespace {

constexpr std::string_view kHead =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
    "<urlset xmlns=\"http://www.google.com/schemas/sitemap/0.84\""
    " xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\""
    " xsi:schemaLocation=\"http://www.google.com/schemas/sitemap/0.84"
    " http://www.google.com/schemas/sitemap/0.84/sitemap.xsd\">\r\n";
constexpr std::string_view kTail = "</urlset>\r\n";

/// Appends `<tag>text</tag>`; the tag texts a user may have typed are
/// escaped here, so the document stays well-formed whatever they hold.
void appendElement(std::string& out, std::string_view indent, std::string_view tag,
                   std::string_view escapedContent, std::string_view lineEnd) {
  out.append(indent).append("<").append(tag).append(">");
  out.append(escapedContent);
  out.append("</").append(tag).append(">").append(lineEnd);
}

[[noreturn]] void throwInOut(const char* what, const std::string& path, int code) {
  throw IoError(std::string(what) + " \"" + path + "\": " + std::generic_category().message(code),
                code);
}

}  // namespace

SitemapWriter::SitemapWriter(const LocaleFormats& formats) : now(localNow), m_formats(formats) {}

std::uint64_t SitemapWriter::writeDocument(const SitemapSink& sink, const PageList& pages,
                                           const GeneratorSettings& settings) const {
  const int currentYear = now().date.year;
  const bool compact = settings.compact;
  const std::string_view outer = compact ? "" : "   ";
  const std::string_view inner = compact ? "" : "      ";
  const std::string_view lineEnd = compact ? "" : "\r\n";
  // A date-time without a valid zone is no valid lastmod: the date alone is.
  const std::string_view zone = settings.timeZone.text();
  const bool withTime = !settings.dateOnlyLastmod && isW3cTimeZone(zone);

  sink(kHead);
  std::uint64_t count = 0;
  std::string element;
  std::string value;
  for (const PageEntry& row : pages) {
    if (!row.included || urlLength(row.url) > kMaxUrlLength) continue;
    ++count;
    value = formatIsoDate(readDateText(row.dateText, m_formats, currentYear));
    if (withTime) {
      // The time text is shown in the locale's form; the one the edit
      // dialog reads back is the one written.
      if (const std::optional<TimeOfDay> time = tryReadTimeText(row.timeText, m_formats)) {
        value += 'T';
        appendIsoTime(value, *time);
        value += zone;
      }
    }
    element.clear();
    element.append(outer).append("<url>").append(lineEnd);
    appendElement(element, inner, "loc", row.url, lineEnd);
    appendElement(element, inner, "lastmod", value, lineEnd);
    if (row.changefreq != kNoneTag)
      appendElement(element, inner, "changefreq", xmlEscape(row.changefreq), lineEnd);
    if (row.priority != kNoneTag)
      appendElement(element, inner, "priority", xmlEscape(row.priority), lineEnd);
    element.append(outer).append("</url>\r\n");
    sink(element);
  }
  sink(kTail);
  return count;
}

SitemapResult SitemapWriter::writeSitemap(const std::string& scanFolder, const PageList& pages,
                                          const GeneratorSettings& settings) const {
  SitemapResult result;
  result.filePath = scanFolder + std::string(kSitemapFileName);

  AtomicFile file;
  if (const int error = file.begin(result.filePath))
    throwInOut("Cannot create", result.filePath, error);
  result.urlCount = writeDocument(
      [&](std::string_view bytes) {
        if (const int error = file.write(bytes)) throwInOut("Cannot write", result.filePath, error);
      },
      pages, settings);
  if (const int error = file.commit()) throwInOut("Cannot write", result.filePath, error);

  result.fileSize = fileSize(result.filePath).value_or(0);
  return result;
}

std::string SitemapWriter::reportText(const SitemapResult& result) {
  std::string text = "Tessaly vytvorená do súboru:\r" + result.filePath;
  text += "\r\rVeľkosť súboru: " + std::to_string(result.fileSize) + " B";
  if (result.fileSize > kMaxSitemapBytes)
    text += "\rChyba - je prekročená maximálna veľkosť súboru 10485760 B.";
  text += "\r\rPočet Url: " + std::to_string(result.urlCount);
  if (result.urlCount > kMaxSitemapUrls)
    text += "\rChyba - je prekročený maximálny počet 50000 Url.";
  return text;
}

std::string withLineBreaks(std::string text) {
  for (char& c : text) {
    if (c == '\r') c = '\n';
  }
  return text;
}

}  // namespace qorv
