// qorv-cli: the sitemap job without a window, for automation and benchmarks.

#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <string>
#include <system_error>
#include <vector>

#include "cli/arguments.h"
#include "core/errors.h"
#include "core/generatorsettings.h"
#include "core/pagelist.h"
#include "core/sitemapwriter.h"
#include "core/sitescan.h"
#include "persist/projectfile.h"
#include "platform/filecontent.h"
#include "platform/productversion.h"
#include "platform/qtlocaleformats.h"

namespace qorv::cli {

namespace {

enum TExitStatus { kWritten = 0, kFailure = 1, kBadUsage = 2, kLimitExceeded = 3 };

/// The command line's stand-in for the main window's folder and URL boxes.
class TCliWindow final : public TScanInputs, public TProjectWindow {
 public:
  std::string LocalFolder() const override { return m_folder; }
  void SetLocalFolder(const std::string& folder) override { m_folder = folder; }
  std::string SiteUrl() const override { return m_url; }
  void SetSiteUrl(const std::string& url) override { m_url = url; }
  void ClearPages() override {}

 private:
  std::string m_folder;
  std::string m_url;
};

/// A text typed for a vocabulary setting: kept as typed, matched to the
/// first entry equal to it ignoring case.
void SetTyped(TVocabularyChoice& choice, const std::optional<std::string>& text) {
  if (text) choice.SetTyped(*text, FindIgnoreCase(choice.Vocabulary(), *text));
}

void ApplyOptions(const TCliOptions& options, TGeneratorSettings& settings) {
  if (options.FileMask) settings.FileMask = *options.FileMask;
  if (options.IndexFile) settings.IndexFile = *options.IndexFile;
  SetTyped(settings.RootChangefreq, options.RootChangefreq);
  SetTyped(settings.RootPriority, options.RootPriority);
  SetTyped(settings.OtherChangefreq, options.OtherChangefreq);
  SetTyped(settings.OtherPriority, options.OtherPriority);
  SetTyped(settings.TimeZone, options.TimeZone);
  if (options.LongLastmod) settings.TimeShort = false;
  if (options.Compact) settings.Compact = true;
}

/// A live count of scanned files on a terminal, redrawn at most ten times a second.
class TProgress {
 public:
  explicit TProgress(bool enabled) : m_enabled(enabled) {}
  ~TProgress() {
    if (m_enabled && m_shown) std::fputs("\r\033[K", stderr);
  }
  void FileDone() {
    ++m_files;
    if (!m_enabled) return;
    const auto now = std::chrono::steady_clock::now();
    if (now - m_last < std::chrono::milliseconds(100)) return;
    m_last = now;
    m_shown = true;
    std::fprintf(stderr, "\rqorv-cli: %zu files scanned", m_files);
  }

 private:
  bool m_enabled;
  bool m_shown = false;
  std::size_t m_files = 0;
  std::chrono::steady_clock::time_point m_last{};
};

void PrintList(const TPageList& pages) {
  std::string line;
  for (const TPageEntry& row : pages) {
    line.clear();
    line.append(row.Url).append("\t").append(row.DateText).append("\t").append(row.TimeText);
    line.append("\t").append(row.Changefreq).append("\t").append(row.Priority);
    line.append(row.Included ? "\t1\n" : "\t0\n");
    std::fwrite(line.data(), 1, line.size(), stdout);
  }
}

int Run(const TCliOptions& options) {
  TGeneratorSettings settings;
  TCliWindow window;
  TProjectFile project(settings, window);
  if (options.Project) {
    // The desktop program reads a missing project as empty; here that would
    // scan "/" because of a mistyped name, so it is an error instead.
    if (!PathExists(*options.Project))
      throw EInOutError("Cannot open project \"" + *options.Project +
                            "\": " + std::generic_category().message(ENOENT),
                        ENOENT);
    project.Open(*options.Project);
  }
  ApplyOptions(options, settings);
  if (options.Folder) window.SetLocalFolder(*options.Folder);
  if (options.Url) window.SetSiteUrl(*options.Url);
  if (window.LocalFolder().empty()) throw TUsageError("the project names no FOLDER");
  if (options.SaveProject) project.Save(*options.SaveProject);

  const TLocaleFormats formats = SystemLocaleFormats();
  TPageList pages;
  TSiteScanner scanner(settings, pages, window, formats);
  {
    TProgress progress(!options.Quiet && isatty(STDERR_FILENO));
    scanner.OnFileDone = [&progress] { progress.FileDone(); };
    scanner.Run();
  }
  if (scanner.OverlongCount() > 0)
    std::fprintf(stderr, "qorv-cli: %s\n", OverlongWarning(scanner.OverlongCount()).c_str());

  if (options.IncludeAll) pages.SelectAll();

  if (options.List) {
    PrintList(pages);
  } else {
    const TSitemapWriter writer(formats);
    const TSitemapResult result = writer.WriteSitemap(scanner.ScanFolder(), pages, settings);
    std::string report = TSitemapWriter::ReportText(result);
    for (char& c : report) {
      if (c == '\r') c = '\n';
    }
    std::printf("%s\n", report.c_str());
    if (result.ExceedsLimits()) return kLimitExceeded;
  }
  if (std::fflush(stdout) != 0 || std::ferror(stdout))
    throw EInOutError("Cannot write the standard output", EIO);
  return kWritten;
}

}  // namespace

int Main(int argc, char** argv) {
  // Past a file size limit a write should fail with an error, not end the process.
  std::signal(SIGXFSZ, SIG_IGN);

  TCliOptions options;
  try {
    options = ParseArguments(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const TUsageError& error) {
    std::fprintf(stderr, "qorv-cli: %s\n\n%s", error.what(), UsageText());
    return kBadUsage;
  }
  if (options.Help) {
    std::fputs(UsageText(), stdout);
    return kWritten;
  }
  if (options.Version) {
    std::printf("qorv-cli %d.%d.%d.%d\n", kProductVersion.Major, kProductVersion.Minor,
                kProductVersion.Release, kProductVersion.Build);
    return kWritten;
  }

  try {
    return Run(options);
  } catch (const TUsageError& error) {
    std::fprintf(stderr, "qorv-cli: %s\n\n%s", error.what(), UsageText());
    return kBadUsage;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "qorv-cli: %s: %s\n", ErrorClassName(error), error.what());
  }
  return kFailure;
}

}  // namespace qorv::cli

int main(int argc, char** argv) { return qorv::cli::Main(argc, argv); }
