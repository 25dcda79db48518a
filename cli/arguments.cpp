#include "cli/arguments.h"

#include <string_view>

namespace qorv::cli {

namespace {

struct ValueOption {
  std::string_view name;
  std::optional<std::string> CliOptions::*field;
};

constexpr ValueOption kValueOptions[] = {
    {"--mask", &CliOptions::fileMask},
    {"--index", &CliOptions::indexFile},
    {"--root-changefreq", &CliOptions::rootChangefreq},
    {"--root-priority", &CliOptions::rootPriority},
    {"--changefreq", &CliOptions::otherChangefreq},
    {"--priority", &CliOptions::otherPriority},
    {"--zone", &CliOptions::timeZone},
    {"--project", &CliOptions::project},
    {"--save-project", &CliOptions::saveProject},
};

struct FlagOption {
  std::string_view name;
  bool CliOptions::*field;
};

constexpr FlagOption kFlagOptions[] = {
    {"--long", &CliOptions::longLastmod}, {"--compact", &CliOptions::compact},
    {"--list", &CliOptions::list},        {"--quiet", &CliOptions::quiet},
    {"--help", &CliOptions::help},        {"--version", &CliOptions::version},
};

/// An option that a project may have switched on, with its negation.
struct SwitchOption {
  std::string_view on;
  std::string_view off;
  std::optional<bool> CliOptions::*field;
};

constexpr SwitchOption kSwitchOptions[] = {
    {"--encode-non-ascii", "--no-encode-non-ascii", &CliOptions::encodeNonAscii},
    {"--split", "--no-split", &CliOptions::splitIndex},
    {"--gzip", "--no-gzip", &CliOptions::gzip},
    {"--robots", "--no-robots", &CliOptions::robotsTxt},
};

}  // namespace

CliOptions parseArguments(const std::vector<std::string>& args) {
  CliOptions options;
  std::vector<std::string> operands;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
      operands.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    const std::size_t equals = arg.find('=');
    const std::string_view name = std::string_view(arg).substr(0, equals);
    std::optional<std::string> inlineValue;
    if (equals != std::string::npos) inlineValue = arg.substr(equals + 1);

    auto takeValue = [&]() -> std::string {
      if (inlineValue) return *inlineValue;
      if (i + 1 >= args.size()) throw UsageError("option " + std::string(name) + " needs a value");
      return args[++i];
    };

    bool known = false;
    for (const ValueOption& option : kValueOptions) {
      if (name == option.name) {
        options.*option.field = takeValue();
        known = true;
      }
    }
    for (const FlagOption& option : kFlagOptions) {
      if (name == option.name) {
        if (inlineValue) throw UsageError("option " + std::string(name) + " takes no value");
        options.*option.field = true;
        known = true;
      }
    }
    for (const SwitchOption& option : kSwitchOptions) {
      if (name == option.on || name == option.off) {
        if (inlineValue) throw UsageError("option " + std::string(name) + " takes no value");
        options.*option.field = name == option.on;
        known = true;
      }
    }
    if (name == "--schema") {
      const std::string value = takeValue();
      if (value != "0.84" && value != "0.9")
        throw UsageError("--schema takes 0.84 or 0.9, not \"" + value + "\"");
      options.schema = value;
      known = true;
    }
    if (name == "--include") {
      const std::string value = takeValue();
      if (value != "all" && value != "none")
        throw UsageError("--include takes all or none, not \"" + value + "\"");
      options.includeAll = value == "all";
      known = true;
    }
    if (!known) throw UsageError("unknown option " + std::string(name));
  }

  if (options.help || options.version) return options;
  // A project names the folder and the URL; without one both are needed.
  if (operands.size() > 2) throw UsageError("too many operands");
  if (!options.project && operands.size() < 2) throw UsageError("FOLDER and URL are needed");
  if (operands.size() >= 1) options.folder = operands[0];
  if (operands.size() >= 2) options.url = operands[1];
  if (options.folder && options.folder->empty()) throw UsageError("FOLDER must not be empty");
  return options;
}

const char* usageText() {
  return R"(Usage: qorv-cli [OPTIONS] FOLDER URL
       qorv-cli --project FILE [OPTIONS] [FOLDER [URL]]
Scans FOLDER, the local copy of the site published at URL, and writes
FOLDER/sitemap.xml with every page ticked.

Options:
  --project FILE           read the folder, the URL and the settings from a
                           project file; what the command line gives
                           overrides it
  --save-project FILE      save the folder, the URL and the settings in force
                           as a project file, before scanning
  --mask TEXT              file masks separated by ";" (default "*.htm;*.html")
  --index NAME             a file of exactly this name is listed as its
                           folder's URL (default "index.htm"; "" for none)
  --root-changefreq TEXT   changefreq of the root row (default daily)
  --root-priority TEXT     priority of the root row (default 0.5)
  --changefreq TEXT        changefreq of the other rows (default none)
  --priority TEXT          priority of the other rows (default none)
                           ("none" leaves the element out)
  --long                   lastmod with time and zone, not the date alone
  --zone TEXT              zone of the long lastmod (default +01:00)
  --compact                each url element on one line
  --include all|none       which rows are ticked before writing (default all)

For search engines (off unless a project switched them on):
  --schema 0.84|0.9        the sitemap schema: 0.84 (default) or sitemaps.org
                           0.9, which search engines and validators expect
  --encode-non-ascii       letters outside ASCII in file names as %XX
  --split                  past 50,000 URLs or the size limit, parts
                           sitemap-1.xml, sitemap-2.xml, ... under a sitemap
                           index in sitemap.xml
  --gzip                   a gzip copy (.gz) beside every file written
  --robots                 add a "Sitemap:" line for sitemap.xml to the
                           folder's robots.txt
  --no-encode-non-ascii, --no-split, --no-gzip, --no-robots
                           switch the option off

Other options:
  --list                   print the page list instead of writing: one row a
                           line, Url, date, time, changefreq, priority and
                           ticked (1 or 0), tab-separated
  --quiet                  no live count of scanned files on a terminal
  --help                   show this text
  --version                show the version

Dates and times follow the locale of LC_ALL, LC_TIME or LANG.

Exit status: 0 written within the protocol limits, 3 written but a limit
exceeded, 2 bad usage, 1 failure.
)";
}

}  // namespace qorv::cli
