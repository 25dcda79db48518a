#include "core/sitemapjob.h"

namespace qorv {

SitemapJob::SitemapJob(GeneratorSettings& settings, PageList& pages, const ScanInputs& inputs,
                       const LocaleFormats& formats, FileSystem& fileSystem)
    : m_settings(settings),
      m_pages(pages),
      m_scanner(settings, pages, inputs, formats, fileSystem),
      m_writer(formats) {}

bool SitemapJob::scan() { return m_scanner.run(); }

std::string SitemapJob::scanWarning() const {
  const int overlong = m_scanner.overlongCount();
  return overlong > 0 ? overlongWarning(overlong) : std::string();
}

SitemapResult SitemapJob::write() const {
  return m_writer.writeSitemap(m_scanner.scanFolder(), m_scanner.rootUrl(), m_pages, m_settings);
}

std::string SitemapJob::report(const SitemapResult& result) {
  return withLineBreaks(SitemapWriter::reportText(result));
}

}  // namespace qorv
