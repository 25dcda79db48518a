// Peak memory of writing a sitemap, against the number of rows: the writer
// streams, so the extra memory a write needs must not grow with the rows.
//
//   writer_memory [ROWS...]     (default 25000 50000 100000 200000)

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "bench/procstatus.h"

#include "core/generatorsettings.h"
#include "core/pagelist.h"
#include "core/sitemapwriter.h"
#include "platform/localeformats.h"

using qorv::bench::resetPeak;
using qorv::bench::statusKiB;

int main(int argc, char** argv) {
  using namespace qorv;
  std::vector<long> sizes;
  for (int i = 1; i < argc; ++i) sizes.push_back(std::atol(argv[i]));
  if (sizes.empty()) sizes = {25000, 50000, 100000, 200000};

  char folder[] = "/tmp/qorv-writer-memory-XXXXXX";
  if (!mkdtemp(folder)) return 1;
  const std::string scanFolder = std::string(folder) + "/";

  const LocaleFormats formats;
  const SitemapWriter writer(formats);
  GeneratorSettings settings;
  std::printf("%10s %14s %16s %14s\n", "rows", "list RSS KiB", "write peak KiB", "file bytes");
  for (const long rows : sizes) {
    PageList pages;
    for (long i = 0; i < rows; ++i) {
      pages.add("https://www.example.com/section-" + std::to_string(i % 97) + "/page-" +
                    std::to_string(i) + ".htm",
                "05.03.2006", "09:05:06", "none", "none");
    }
    pages.includeAll();
    resetPeak();
    const long before = statusKiB("VmRSS:");
    const SitemapResult result = writer.writeSitemap(scanFolder, pages, settings);
    const long peak = statusKiB("VmHWM:");
    std::printf("%10ld %14ld %16ld %14llu\n", rows, before, peak - before,
                static_cast<unsigned long long>(result.fileSize));
  }
  unlink((scanFolder + "sitemap.xml").c_str());
  rmdir(folder);
  return 0;
}
