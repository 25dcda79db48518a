// headread TREE [SITE-URL]
//
// Reads the head of every page (*.htm;*.html) below TREE on one thread, as
// the scan does when a head rule is on, and applies the three rules
// (noindex, redirect stub, canonical URL) to each: the cost of the reading
// without the rest of the scan. Prints what the rules found, and the time
// and peak memory on stderr.

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "bench/procstatus.h"
#include "core/dirwalk.h"
#include "core/errors.h"
#include "core/headrules.h"
#include "core/pagehead.h"
#include "core/urltext.h"
#include "core/xmltext.h"

int main(int argc, char** argv) {
  using namespace qorv;
  if (argc < 2 || argc > 3) {
    std::fputs("usage: headread TREE [SITE-URL]\n", stderr);
    return 2;
  }
  std::string root = argv[1];
  if (root.back() != '/') root += '/';
  const std::string site = argc == 3 ? argv[2] : "https://example.com/";

  HeadParser parser;
  std::string buffer;
  PageHead head;
  long pages = 0, unreadable = 0, noindex = 0, redirects = 0, canonicalWithin = 0,
       canonicalOutside = 0, incomplete = 0;
  DirectoryWalker walker;
  walker.rootFolder = root;
  walker.filter.setMasks({"*.htm", "*.html"});
  walker.onFileFound = [&](DirectoryWalker&, const FoundFile& file) {
    ++pages;
    const Result<bool> read = readPageHead(file.folder, file.name, parser, buffer, head);
    if (!read && failureKind(read.error()) == FailureKind::Failed)
      throw IoError("Cannot read", file.path, read.error());
    if (!read || !*read) {
      ++unreadable;
      return;
    }
    if (!head.complete) ++incomplete;
    // The page's URL as the scan builds it, read back from the row's text.
    std::string row = xmlEscape(site);
    appendUrlPathEscaped(row, std::string_view(file.path).substr(root.size()));
    const std::string url = urlOfRowText(row);
    if (isNoindex(head)) {
      ++noindex;
    } else if (isRedirectStub(head, url)) {
      ++redirects;
    } else {
      const CanonicalUrl canonical = canonicalUrl(head, url, site);
      if (canonical.kind == CanonicalUrl::WithinSite) ++canonicalWithin;
      if (canonical.kind == CanonicalUrl::OutsideSite) ++canonicalOutside;
    }
  };
  const auto started = std::chrono::steady_clock::now();
  if (!walker.walk()) {
    std::fprintf(stderr, "headread: cannot list %s\n", walker.failure().folder.c_str());
    return 1;
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const auto cpu = [](const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
  };
  std::printf(
      "%ld pages: %ld noindex, %ld redirect stubs, %ld canonical within the site, "
      "%ld outside, %ld unreadable, %ld heads past the limit\n",
      pages, noindex, redirects, canonicalWithin, canonicalOutside, unreadable, incomplete);
  std::fprintf(stderr, "headread: %.3f s wall, %.3f s user, %.3f s system, peak RSS %ld KiB\n",
               seconds, cpu(usage.ru_utime), cpu(usage.ru_stime), bench::statusKiB("VmHWM:"));
  return 0;
}
