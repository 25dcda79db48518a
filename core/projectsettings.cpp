#include "core/projectsettings.h"

#include <array>

#include "core/zoneoffset.h"

namespace qorv {

namespace {

constexpr std::array<std::string_view, 2> kSchemaWords = {"0.84", "0.9"};
constexpr std::array<std::string_view, 4> kLastmodWords = {"file", "git", "content", "none"};

using G = GeneratorSettings;

// The first eleven entries are what every project file holds; the later
// ones came with newer versions and are saved only when they matter.
constexpr ProjectSetting kSettings[] = {
    {.key = "LocalFolder", .value = WindowTextValue{WindowText::Folder, kNewProjectFolder}},
    {.key = "FileMask",
     .value = TextValue{.member = &G::fileMask, .stored = fileMaskOnOneLine},
     .keptByNewProject = true,
     .option = {.name = "--mask",
                .valueName = "TEXT",
                .help = R"(file masks separated by ";" (default "*.htm;*.html"))"}},
    {.key = "IndexFile",
     .value = TextValue{.member = &G::indexFile},
     .keptByNewProject = true,
     .option = {.name = "--index",
                .valueName = "NAME",
                .help = "a file of exactly this name is listed as its folder's URL "
                        R"((default "index.htm"; "" for none))"}},
    {.key = "URL", .value = WindowTextValue{WindowText::Url, kNewProjectUrl}},
    {.key = "SetChangefreq1",
     .value = VocabularyValue{&G::rootChangefreq},
     .option = {.name = "--root-changefreq",
                .valueName = "TEXT",
                .help = "changefreq of the root row (default daily)"}},
    {.key = "SetPriority1",
     .value = VocabularyValue{&G::rootPriority},
     .option = {.name = "--root-priority",
                .valueName = "TEXT",
                .help = "priority of the root row (default 0.5)"}},
    {.key = "SetChangefreq2",
     .value = VocabularyValue{&G::otherChangefreq},
     .option = {.name = "--changefreq",
                .valueName = "TEXT",
                .help = "changefreq of the other rows (default none)"}},
    {.key = "SetPriority2",
     .value = VocabularyValue{&G::otherPriority},
     .option = {.name = "--priority",
                .valueName = "TEXT",
                .help = "priority of the other rows (default none)\n"
                        R"(("none" leaves the element out))"}},
    {.key = "SetTimeShort",
     .value = FlagValue{&G::dateOnlyLastmod},
     .option = {.name = "--long",
                .help = "lastmod with time and zone, not the date alone",
                .flagSets = false}},
    {.key = "SetTimezone",
     .value = VocabularyValue{&G::timeZone, "auto", kAutomaticZone},
     .option = {.name = "--zone",
                .valueName = "TEXT",
                .help = "zone of the long lastmod (default +01:00); auto or automaticky: "
                        "each date with the offset the system's zone rules give it"}},
    {.key = "TagIndent",
     .value = FlagValue{&G::compact},
     .keptByNewProject = true,
     .option = {.name = "--compact", .help = "each url element on one line"}},

    {.key = "Schema",
     .value = enumChoice<&G::schema>(kSchemaWords),
     .saving = Saving::WhenNotDefault,
     .option = {.name = "--schema",
                .help = "the sitemap schema: 0.84 (default) or sitemaps.org 0.9, which "
                        "search engines and validators expect",
                .group = HelpGroup::SearchEngines}},
    {.key = "EncodeNonAscii",
     .value = FlagValue{&G::encodeNonAscii},
     .saving = Saving::WhenNotDefault,
     .option = {.name = "--encode-non-ascii",
                .help = "letters outside ASCII in file names as %XX",
                .group = HelpGroup::SearchEngines,
                .negatable = true}},
    {.key = "SplitIndex",
     .value = FlagValue{&G::splitIndex},
     .saving = Saving::WhenNotDefault,
     .option = {.name = "--split",
                .help = "past 50,000 URLs or the size limit, parts sitemap-1.xml, "
                        "sitemap-2.xml, ... under a sitemap index in sitemap.xml",
                .group = HelpGroup::SearchEngines,
                .negatable = true}},
    {.key = "Gzip",
     .value = FlagValue{&G::gzip},
     .saving = Saving::WhenNotDefault,
     .option = {.name = "--gzip",
                .help = "a gzip copy (.gz) beside every file written",
                .group = HelpGroup::SearchEngines,
                .negatable = true}},
    {.key = "RobotsTxt",
     .value = FlagValue{&G::robotsTxt},
     .saving = Saving::WhenNotDefault,
     .option = {.name = "--robots",
                .help = R"(add a "Sitemap:" line for sitemap.xml to the folder's robots.txt)",
                .group = HelpGroup::SearchEngines,
                .negatable = true}},
    {.key = "Hreflang",
     .value = FlagValue{&G::hreflang},
     .saving = Saving::WhenNotDefault,
     .option = {.name = "--hreflang",
                .help = "each page's language versions, read from the links "
                        R"(rel="alternate" hreflang of its head, as xhtml:link alternates )"
                        "(schema 0.9 only)",
                .group = HelpGroup::SearchEngines,
                .negatable = true}},
    {.key = "Stylesheet",
     .value = TextValue{.member = &G::stylesheet},
     .saving = Saving::WhenNotDefault,
     .option = {.name = "--stylesheet",
                .valueName = "HREF",
                .help = "name an XSL stylesheet in every file written, so that a browser "
                        "shows a table: a URL, or a path relative to sitemap.xml",
                .group = HelpGroup::SearchEngines}},
    {.key = "WriteStylesheet",
     .value = FlagValue{&G::writeStylesheet},
     .saving = Saving::WhenNotDefault,
     .option = {.name = "--write-stylesheet",
                .help = "write the program's own sitemap.xsl beside sitemap.xml, and name it "
                        "when --stylesheet names none; a sitemap.xsl of the user's stays",
                .group = HelpGroup::SearchEngines,
                .negatable = true}},
    {.key = "DropExtension",
     .value = FlagValue{&G::dropExtension},
     .saving = Saving::WhenNotDefault,
     .option = {.name = "--drop-extension",
                .help = R"(URLs without the final ".html" or ".htm" of a file's name, as a )"
                        "server of clean URLs publishes them",
                .group = HelpGroup::SearchEngines,
                .negatable = true}},

    {.key = "LastmodSource",
     .value = enumChoice<&G::lastmodSource>(kLastmodWords),
     .saving = Saving::WhenNotDefault,
     .option = {.name = "--lastmod",
                .valueName = "SOURCE",
                .help = "where the dates come from: file, the file times (default); git, the "
                        "last commit of each file; content, the content memory (a file keeps "
                        "its date while its bytes stay the same); none, no lastmod written",
                .group = HelpGroup::SearchEngines}},
    {.key = "LastmodMemory",
     .value = TextValue{.member = &G::lastmodMemory},
     .saving = Saving::WhenNotDefault,
     .option = {.name = "--lastmod-memory",
                .valueName = "FILE",
                .help = "the content memory's file (default: one per folder in "
                        "~/.local/share/Quorvex/lastmod/); relative to the current folder",
                .group = HelpGroup::SearchEngines}},

    {.key = "Exclude",
     .value = TextValue{.member = &G::excludePatterns, .separator = ";"},
     .saving = Saving::WhenNotDefault,
     .option = {.name = "--exclude",
                .valueName = "PATTERNS",
                .help = "leave out the files and folders whose path below FOLDER matches one "
                        R"(of the patterns, separated by ";": "*" any characters of a name, "?" )"
                        R"(one, "**/" any folders, a final "/" folders only; a pattern with a )"
                        R"("/" is anchored at FOLDER; e.g. "404.html;drafts/;tags/;)"
                        R"(**/print-*.html"; may repeat, each adding to the project's)",
                .negatable = true,
                .negationHelp = "forget the project's exclude patterns"}},
    {.key = "ObeyRobots",
     .value = FlagValue{&G::obeyRobots},
     .saving = Saving::WhenNotDefault,
     .option = {.name = "--obey-robots",
                .help = "leave out the pages that FOLDER/robots.txt forbids",
                .negatable = true}},
    {.key = "RobotsAgent",
     .value = TextValue{.member = &G::robotsAgent},
     .saving = Saving::WhenNotDefault,
     .option = {.name = "--robots-agent",
                .valueName = "NAME",
                .help = R"(the robot whose rules of robots.txt count (default "*", any robot))"}},
    {.key = "SkipNoindex",
     .value = FlagValue{&G::skipNoindex},
     .saving = Saving::WhenNotDefault,
     .option = {.name = "--skip-noindex",
                .help = "leave out the pages whose head says noindex to robots",
                .negatable = true}},
    {.key = "SkipRedirects",
     .value = FlagValue{&G::skipRedirects},
     .saving = Saving::WhenNotDefault,
     .option = {.name = "--skip-redirects",
                .help = "leave out the pages whose head redirects to another URL "
                        "(meta refresh)",
                .negatable = true}},
    {.key = "UseCanonical",
     .value = FlagValue{&G::useCanonical},
     .saving = Saving::WhenNotDefault,
     .option = {.name = "--use-canonical",
                .help = "list each page under the canonical URL its head names; leave it out "
                        "when that URL lies outside the site",
                .negatable = true}},
};

}  // namespace

const std::span<const ProjectSetting> kProjectSettings{kSettings};

}  // namespace qorv
