#include "core/sitemapwriter.h"

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
void AppendElement(std::string& out, std::string_view indent, std::string_view tag,
                   std::string_view escapedContent, std::string_view lineEnd) {
  out.append(indent).append("<").append(tag).append(">");
  out.append(escapedContent);
  out.append("</").append(tag).append(">").append(lineEnd);
}

[[noreturn]] void ThrowInOut(const char* what, const std::string& path, int code) {
  throw EInOutError(
      std::string(what) + " \"" + path + "\": " + std::generic_category().message(code), code);
}

}  // namespace

TSitemapWriter::TSitemapWriter(const TLocaleFormats& formats) : Now(LocalNow), m_formats(formats) {}

std::uint64_t TSitemapWriter::WriteDocument(const TSitemapSink& sink, const TPageList& pages,
                                            const TGeneratorSettings& settings) const {
  const int currentYear = Now().Date.Year;
  const bool compact = settings.Compact;
  const std::string_view outer = compact ? "" : "   ";
  const std::string_view inner = compact ? "" : "      ";
  const std::string_view lineEnd = compact ? "" : "\r\n";
  const std::string zone = XmlEscape(settings.TimeZone.Text());

  sink(kHead);
  std::uint64_t count = 0;
  std::string element;
  std::string value;
  for (const TPageEntry& row : pages) {
    if (!row.Included || UrlLength(row.Url) > MaxUrlLength) continue;
    ++count;
    value = FormatIsoDate(ReadDateText(row.DateText, m_formats, currentYear));
    if (!settings.TimeShort) {
      value += 'T';
      AppendXmlEscaped(value, row.TimeText);
      value += zone;
    }
    element.clear();
    element.append(outer).append("<url>").append(lineEnd);
    AppendElement(element, inner, "loc", row.Url, lineEnd);
    AppendElement(element, inner, "lastmod", value, lineEnd);
    if (row.Changefreq != kNoneTag)
      AppendElement(element, inner, "changefreq", XmlEscape(row.Changefreq), lineEnd);
    if (row.Priority != kNoneTag)
      AppendElement(element, inner, "priority", XmlEscape(row.Priority), lineEnd);
    element.append(outer).append("</url>\r\n");
    sink(element);
  }
  sink(kTail);
  return count;
}

TSitemapResult TSitemapWriter::WriteSitemap(const std::string& scanFolder, const TPageList& pages,
                                            const TGeneratorSettings& settings) const {
  TSitemapResult result;
  result.FilePath = scanFolder + std::string(kSitemapFileName);

  TAtomicFile file;
  if (const int error = file.Begin(result.FilePath))
    ThrowInOut("Cannot create", result.FilePath, error);
  result.UrlCount = WriteDocument(
      [&](std::string_view bytes) {
        if (const int error = file.Write(bytes)) ThrowInOut("Cannot write", result.FilePath, error);
      },
      pages, settings);
  if (const int error = file.Commit()) ThrowInOut("Cannot write", result.FilePath, error);

  result.FileSize = FileSize(result.FilePath).value_or(0);
  return result;
}

std::string TSitemapWriter::ReportText(const TSitemapResult& result) {
  std::string text = "Tessaly vytvorená do súboru:\r" + result.FilePath;
  text += "\r\rVeľkosť súboru: " + std::to_string(result.FileSize) + " B";
  if (result.FileSize > kMaxSitemapBytes)
    text += "\rChyba - je prekročená maximálna veľkosť súboru 10485760 B.";
  text += "\r\rPočet Url: " + std::to_string(result.UrlCount);
  if (result.UrlCount > kMaxSitemapUrls)
    text += "\rChyba - je prekročený maximálny počet 50000 Url.";
  return text;
}

}  // namespace qorv
