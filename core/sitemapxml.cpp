#include "core/sitemapxml.h"

#include <optional>

#include "core/blanks.h"
#include "core/datetimetext.h"
#include "core/xmltext.h"
#include "core/zoneoffset.h"

namespace qorv {

namespace {

constexpr std::string_view kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";

std::string_view namespaceUri(SitemapSchema schema) {
  return schema == SitemapSchema::V09 ? "http://www.sitemaps.org/schemas/sitemap/0.9"
                                      : "http://www.google.com/schemas/sitemap/0.84";
}

/// Appends `<tag>text</tag>`; the tag texts a user may have typed are
/// escaped by the caller, so the document stays well-formed whatever they hold.
void appendElement(std::string& out, std::string_view indent, std::string_view tag,
                   std::string_view escapedContent, std::string_view lineEnd) {
  out.append(indent).append("<").append(tag).append(">");
  out.append(escapedContent);
  out.append("</").append(tag).append(">").append(lineEnd);
}

}  // namespace

ElementLayout::ElementLayout(const GeneratorSettings& settings)
    : outer(settings.compact ? "" : "   "),
      inner(settings.compact ? "" : "      "),
      lineEnd(settings.compact ? "" : "\r\n") {}

std::string_view stylesheetHref(const GeneratorSettings& settings) {
  // A project file keeps a text without the blanks at its ends: the href
  // written must not change when the project is opened again.
  const std::string_view href = trimBlanks(settings.stylesheet);
  return href.empty() && settings.writeStylesheet ? kStylesheetFileName : href;
}

std::string documentHead(SitemapDocument document, const GeneratorSettings& settings) {
  // A urlset and an index differ in their element and their schema file only.
  const bool urlset = document == SitemapDocument::Urlset;
  const std::string_view element = urlset ? "urlset" : "sitemapindex";
  const std::string_view schemaFile = urlset ? "sitemap.xsd" : "siteindex.xsd";
  const std::string_view uri = namespaceUri(settings.schema);
  std::string head(kDeclaration);
  if (const std::string_view href = stylesheetHref(settings); !href.empty()) {
    // A browser resolves the pseudo-attribute's entities as an attribute's.
    head.append("<?xml-stylesheet type=\"text/xsl\" href=\"");
    appendXmlEscaped(head, href);
    head.append("\"?>\r\n");
  }
  head.append("<").append(element).append(" xmlns=\"").append(uri).append("\"");
  head.append(" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"");
  head.append(" xsi:schemaLocation=\"").append(uri).append(" ").append(uri).append("/");
  head.append(schemaFile).append("\">\r\n");
  return head;
}

std::string_view documentTail(SitemapDocument document) {
  return document == SitemapDocument::Urlset ? "</urlset>\r\n" : "</sitemapindex>\r\n";
}

UrlElements::UrlElements(const LocaleFormats& formats, const GeneratorSettings& settings,
                         int currentYear)
    : m_formats(formats),
      m_currentYear(currentYear),
      m_layout(settings),
      m_zone(settings.timeZone.text()),
      // A date-time without a valid zone is no valid lastmod: the date
      // alone is.
      m_withTime(!settings.dateOnlyLastmod && (isW3cTimeZone(m_zone) || m_zone == kAutomaticZone)),
      m_automaticZone(m_zone == kAutomaticZone),
      m_withLastmod(settings.lastmodSource != LastmodSource::None) {}

bool UrlElements::format(const PageEntry& row, std::string& element) {
  if (!row.included || urlLength(row.url) > kMaxUrlLength) return false;
  // A date text that does not read back fails the write under every
  // source, "none" too.
  const Date date = readDateText(row.dateText, m_formats, m_currentYear);
  m_value = formatIsoDate(date);
  if (m_withTime) {
    // The time text is shown in the locale's form; the one the edit
    // dialog reads back is the one written.
    if (const std::optional<TimeOfDay> time = tryReadTimeText(row.timeText, m_formats)) {
      m_value += 'T';
      appendIsoTime(m_value, *time);
      if (m_automaticZone) {
        m_value += formatZoneOffset(m_localZone.offsetAt(DateTime{date, *time}));
      } else {
        m_value += m_zone;
      }
    }
  }
  const auto [outer, inner, lineEnd] = m_layout;
  element.clear();
  element.append(outer).append("<url>").append(lineEnd);
  appendElement(element, inner, "loc", row.url, lineEnd);
  if (m_withLastmod) appendElement(element, inner, "lastmod", m_value, lineEnd);
  if (row.changefreq != kNoneTag)
    appendElement(element, inner, "changefreq", xmlEscape(row.changefreq), lineEnd);
  if (row.priority != kNoneTag)
    appendElement(element, inner, "priority", xmlEscape(row.priority), lineEnd);
  element.append(outer).append("</url>\r\n");
  return true;
}

IndexEntries::IndexEntries(const GeneratorSettings& settings, std::string_view rootUrl,
                           const Date& date)
    : m_layout(settings),
      m_base(xmlEscape(rootUrl)),
      m_lastmod(settings.lastmodSource == LastmodSource::None ? std::string()
                                                              : formatIsoDate(date)) {}

void IndexEntries::format(std::string_view partName, std::string& element) const {
  const auto [outer, inner, lineEnd] = m_layout;
  element.clear();
  element.append(outer).append("<sitemap>").append(lineEnd);
  appendElement(element, inner, "loc", m_base + std::string(partName), lineEnd);
  if (!m_lastmod.empty()) appendElement(element, inner, "lastmod", m_lastmod, lineEnd);
  element.append(outer).append("</sitemap>\r\n");
}

std::uint64_t writeUrlset(const SitemapSink& sink, const PageList& pages,
                          const GeneratorSettings& settings, const LocaleFormats& formats,
                          int currentYear) {
  UrlElements elements(formats, settings, currentYear);
  sink(documentHead(SitemapDocument::Urlset, settings));
  std::uint64_t count = 0;
  std::string element;
  for (const PageEntry& row : pages) {
    if (!elements.format(row, element)) continue;
    ++count;
    sink(element);
  }
  sink(documentTail(SitemapDocument::Urlset));
  return count;
}

}  // namespace qorv
