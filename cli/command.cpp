#include "cli/command.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <variant>
#include <vector>

#include "cli/arguments.h"
#include "core/errors.h"
#include "core/generatorsettings.h"
#include "core/leftout.h"
#include "core/pagelist.h"
#include "core/sitemapjob.h"
#include "core/throttle.h"
#include "persist/projectfile.h"
#include "platform/filecontent.h"
#include "platform/productversion.h"
#include "platform/qtlocaleformats.h"

namespace qorv::cli {

namespace {

/// A live count of scanned files on a terminal, redrawn a few times a second.
class ProgressCounter {
 public:
  ProgressCounter(std::FILE* stream, bool enabled) : m_stream(stream), m_enabled(enabled) {}
  ~ProgressCounter() {
    if (m_enabled && m_shown) std::fputs("\r\033[K", m_stream);
  }
  ProgressCounter(const ProgressCounter&) = delete;
  ProgressCounter& operator=(const ProgressCounter&) = delete;

  void fileDone() {
    ++m_files;
    if (!m_enabled || !m_throttle.due()) return;
    m_shown = true;
    std::fprintf(m_stream, "\rqorv-cli: %zu files scanned", m_files);
  }

 private:
  std::FILE* m_stream;
  bool m_enabled;
  bool m_shown = false;
  std::size_t m_files = 0;
  Throttle m_throttle{kProgressInterval};
};

void printList(const PageList& pages, std::FILE* out) {
  std::string line;
  for (const PageEntry& row : pages) {
    line.clear();
    line.append(row.url).append("\t").append(row.dateText).append("\t").append(row.timeText);
    line.append("\t").append(row.changefreq).append("\t").append(row.priority);
    line.append(row.included ? "\t1\n" : "\t0\n");
    std::fwrite(line.data(), 1, line.size(), out);
  }
}

void printLeftOut(const LeftOutList& leftOut, std::FILE* out) {
  std::string line;
  for (const LeftOutEntry& entry : leftOut.entries()) {
    line.assign(reasonWord(entry.reason)).append("\t").append(entry.path).append("\n");
    std::fwrite(line.data(), 1, line.size(), out);
  }
}

int run(const CliOptions& options, const Console& console) {
  GeneratorSettings settings;
  ProjectTexts texts;
  ProjectFile project(settings, texts);
  if (options.project) {
    // The desktop program reads a missing project as empty; here that would
    // scan "/" because of a mistyped name, so it is an error instead.
    if (const int error = lookUpPath(*options.project).error())
      throw IoError("Cannot open project", *options.project, error);
    project.open(*options.project);
  }
  applySettings(options.settings, settings);
  // A memory file named here is relative to the current folder, not to the
  // project's.
  for (const SettingArgument& argument : options.settings) {
    if (const auto* text = std::get_if<TextValue>(&argument.setting->value);
        text && text->member == &GeneratorSettings::lastmodMemory)
      settings.lastmodMemoryBase.folder.clear();
  }
  if (options.folder) texts.setLocalFolder(*options.folder);
  if (options.url) texts.setSiteUrl(*options.url);
  if (texts.localFolder().empty()) throw UsageError("the project names no FOLDER");
  if (options.saveProject) project.save(*options.saveProject);
  // Said before the scan, once, whether the option or the project asked.
  if (settings.hreflang && !writesAlternates(settings))
    std::fputs(
        "qorv-cli: --hreflang does nothing with schema 0.84: language alternates "
        "need --schema 0.9\n",
        console.err);

  const LocaleFormats formats = console.formats ? console.formats() : systemLocaleFormats();
  PageList pages;
  SitemapJob job(settings, pages, texts, formats);
  {
    ProgressCounter progress(console.err, !options.quiet && isatty(fileno(console.err)));
    job.scanner().onFileDone = [&progress] { progress.fileDone(); };
    job.scanner().threads = options.threads;
    job.scan();
  }
  if (const std::string warning = job.scanWarning(); !warning.empty())
    std::fprintf(console.err, "qorv-cli: %s\n", warning.c_str());

  if (options.includeAll) pages.includeAll();

  int status = Written;
  if (options.list) {
    printList(pages, console.out);
  } else {
    const SitemapResult result = job.write();
    std::fprintf(console.out, "%s\n", job.completionMessage(result).c_str());
    if (result.exceedsLimits()) status = LimitExceeded;
    // The sitemap stays written; the run is no success all the same.
    if (std::fflush(console.out) != 0) throw IoError("Cannot write the standard output", EIO);
    job.throwMemoryFailure();
  }
  if (options.leftOut) printLeftOut(job.scanner().leftOut(), console.out);
  if (std::fflush(console.out) != 0 || std::ferror(console.out))
    throw IoError("Cannot write the standard output", EIO);
  return status;
}

void printUsageError(const UsageError& error, std::FILE* err) {
  std::fprintf(err, "qorv-cli: %s\n\n%s", error.what(), usageText().c_str());
}

}  // namespace

int runCommand(const std::vector<std::string>& args, const Console& console) {
  CliOptions options;
  try {
    options = parseArguments(args);
  } catch (const UsageError& error) {
    printUsageError(error, console.err);
    return BadUsage;
  }
  if (options.help) {
    std::fputs(usageText().c_str(), console.out);
    return Written;
  }
  if (options.version) {
    std::fprintf(console.out, "qorv-cli %d.%d.%d.%d\n", kProductVersion.major,
                 kProductVersion.minor, kProductVersion.release, kProductVersion.build);
    return Written;
  }

  try {
    return run(options, console);
  } catch (const UsageError& error) {
    printUsageError(error, console.err);
    return BadUsage;
  } catch (const std::exception& error) {
    std::fprintf(console.err, "qorv-cli: %s: %s\n", errorClassName(error), error.what());
  }
  return Failure;
}

}  // namespace qorv::cli
