// qorv-cli: the sitemap job without a window, for automation and benchmarks.

#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/arguments.h"
#include "core/errors.h"
#include "core/generatorsettings.h"
#include "core/pagelist.h"
#include "core/sitemapjob.h"
#include "core/throttle.h"
#include "persist/projectfile.h"
#include "platform/filecontent.h"
#include "platform/productversion.h"
#include "platform/qtlocaleformats.h"

namespace qorv::cli {

namespace {

enum ExitStatus { Written = 0, Failure = 1, BadUsage = 2, LimitExceeded = 3 };

/// The command line's stand-in for the main window's folder and URL boxes.
class CliInputs final : public ScanInputs, public ProjectTexts {
 public:
  // The scan reads the same two texts that a project sets.
  std::string localFolder() const override { return ProjectTexts::localFolder(); }
  std::string siteUrl() const override { return ProjectTexts::siteUrl(); }
};

/// A text typed for a vocabulary setting: kept as typed, matched to the
/// first entry equal to it ignoring case.
void setTyped(VocabularyChoice& choice, const std::optional<std::string>& text) {
  if (text) choice.setTyped(*text, findIgnoreCase(choice.vocabulary(), *text));
}

void applyOptions(const CliOptions& options, GeneratorSettings& settings) {
  if (options.fileMask) settings.fileMask = *options.fileMask;
  if (options.indexFile) settings.indexFile = *options.indexFile;
  setTyped(settings.rootChangefreq, options.rootChangefreq);
  setTyped(settings.rootPriority, options.rootPriority);
  setTyped(settings.otherChangefreq, options.otherChangefreq);
  setTyped(settings.otherPriority, options.otherPriority);
  setTyped(settings.timeZone, options.timeZone);
  if (options.longLastmod) settings.dateOnlyLastmod = false;
  if (options.compact) settings.compact = true;
  if (options.schema)
    settings.schema = *options.schema == "0.9" ? SitemapSchema::V09 : SitemapSchema::V084;
  if (options.encodeNonAscii) settings.encodeNonAscii = *options.encodeNonAscii;
  if (options.splitIndex) settings.splitIndex = *options.splitIndex;
  if (options.gzip) settings.gzip = *options.gzip;
  if (options.robotsTxt) settings.robotsTxt = *options.robotsTxt;
}

/// A live count of scanned files on a terminal, redrawn a few times a second.
class ProgressCounter {
 public:
  explicit ProgressCounter(bool enabled) : m_enabled(enabled) {}
  ~ProgressCounter() {
    if (m_enabled && m_shown) std::fputs("\r\033[K", stderr);
  }
  ProgressCounter(const ProgressCounter&) = delete;
  ProgressCounter& operator=(const ProgressCounter&) = delete;

  void fileDone() {
    ++m_files;
    if (!m_enabled || !m_throttle.due()) return;
    m_shown = true;
    std::fprintf(stderr, "\rqorv-cli: %zu files scanned", m_files);
  }

 private:
  bool m_enabled;
  bool m_shown = false;
  std::size_t m_files = 0;
  Throttle m_throttle{kProgressInterval};
};

void printList(const PageList& pages) {
  std::string line;
  for (const PageEntry& row : pages) {
    line.clear();
    line.append(row.url).append("\t").append(row.dateText).append("\t").append(row.timeText);
    line.append("\t").append(row.changefreq).append("\t").append(row.priority);
    line.append(row.included ? "\t1\n" : "\t0\n");
    std::fwrite(line.data(), 1, line.size(), stdout);
  }
}

int run(const CliOptions& options) {
  GeneratorSettings settings;
  CliInputs window;
  ProjectFile project(settings, window);
  if (options.project) {
    // The desktop program reads a missing project as empty; here that would
    // scan "/" because of a mistyped name, so it is an error instead.
    if (const int error = lookUpPath(*options.project).error())
      throw IoError("Cannot open project", *options.project, error);
    project.open(*options.project);
  }
  applyOptions(options, settings);
  if (options.folder) window.setLocalFolder(*options.folder);
  if (options.url) window.setSiteUrl(*options.url);
  if (window.localFolder().empty()) throw UsageError("the project names no FOLDER");
  if (options.saveProject) project.save(*options.saveProject);

  const LocaleFormats formats = systemLocaleFormats();
  PageList pages;
  SitemapJob job(settings, pages, window, formats);
  {
    ProgressCounter progress(!options.quiet && isatty(STDERR_FILENO));
    job.scanner().onFileDone = [&progress] { progress.fileDone(); };
    job.scan();
  }
  if (const std::string warning = job.scanWarning(); !warning.empty())
    std::fprintf(stderr, "qorv-cli: %s\n", warning.c_str());

  if (options.includeAll) pages.includeAll();

  if (options.list) {
    printList(pages);
  } else {
    const SitemapResult result = job.write();
    std::printf("%s\n", SitemapJob::report(result).c_str());
    if (result.exceedsLimits()) return LimitExceeded;
  }
  if (std::fflush(stdout) != 0 || std::ferror(stdout))
    throw IoError("Cannot write the standard output", EIO);
  return Written;
}

}  // namespace

int cliMain(int argc, char** argv) {
  // Past a file size limit a write should fail with an error, not end the process.
  std::signal(SIGXFSZ, SIG_IGN);

  CliOptions options;
  try {
    options = parseArguments(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const UsageError& error) {
    std::fprintf(stderr, "qorv-cli: %s\n\n%s", error.what(), usageText());
    return BadUsage;
  }
  if (options.help) {
    std::fputs(usageText(), stdout);
    return Written;
  }
  if (options.version) {
    std::printf("qorv-cli %d.%d.%d.%d\n", kProductVersion.major, kProductVersion.minor,
                kProductVersion.release, kProductVersion.build);
    return Written;
  }

  try {
    return run(options);
  } catch (const UsageError& error) {
    std::fprintf(stderr, "qorv-cli: %s\n\n%s", error.what(), usageText());
    return BadUsage;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "qorv-cli: %s: %s\n", errorClassName(error), error.what());
  }
  return Failure;
}

}  // namespace qorv::cli

int main(int argc, char** argv) { return qorv::cli::cliMain(argc, argv); }
