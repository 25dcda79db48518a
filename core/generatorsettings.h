#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace qorv {

/// A fixed, ordered list of texts from which a setting is chosen.
using Vocabulary = std::span<const std::string_view>;

/// "none", "always", "hourly", "daily", "weekly", "monthly", "yearly", "never".
extern const Vocabulary kChangefreqVocabulary;
/// "none", then "0.0" to "1.0" in steps of one tenth.
extern const Vocabulary kPriorityVocabulary;
/// "-12:00" to "+12:00" in whole hours, zero as "+00:00", then
/// `kAutomaticZone`: each date with the offset the system's rules give it.
extern const Vocabulary kTimeZoneList;

/// A row's changefreq or priority text that leaves the element out of the
/// sitemap. Only this exact text: "None" or "" are written as content.
inline constexpr std::string_view kNoneTag = "none";

/// Position of the first entry equal to `text` ignoring case, or -1.
int findIgnoreCase(Vocabulary vocabulary, std::string_view text);

/// What a completing box shows after the user typed `typed`: the first
/// entry that begins with it, ignoring case, as the typed characters
/// followed by the rest of that entry.
struct Completion {
  /// The entry's position, or -1 when none begins with the typed text.
  int index = -1;
  /// The typed text, followed by the completed rest when there is a match.
  std::string text;
  /// Bytes of `text` that were typed; the rest is the completion.
  std::size_t typedLength = 0;

  friend bool operator==(const Completion&, const Completion&) = default;
};

/// The completion of a typed text; an empty text completes nothing.
Completion complete(Vocabulary vocabulary, std::string_view typed);

/// How the text of a completing box last changed.
enum class TextEdit {
  /// Characters were typed: the box completes them.
  Typed,
  /// Characters were removed (Backspace, Delete): the box keeps what
  /// remains as the user's own text.
  Removed,
};

/// What a completing box shows after `edit` left `text` in it. A removal
/// completes nothing and chooses no entry, even when what remains is an
/// entry or begins one: otherwise the user could never keep a prefix of an
/// entry, as the completion would put the removed rest straight back.
Completion completeEdit(Vocabulary vocabulary, std::string_view text, TextEdit edit);

/// A setting chosen from a vocabulary, or typed by the user. `text` is the
/// text in force (what the scan and the writer use); `index` is the chosen
/// entry or -1 (what a project file stores). The two can differ when the
/// user typed a text.
class VocabularyChoice {
 public:
  VocabularyChoice(Vocabulary vocabulary, int index);

  int index() const { return m_index; }
  const std::string& text() const { return m_text; }
  Vocabulary vocabulary() const { return m_vocabulary; }

  /// Setting the index it already holds changes nothing, so a typed text
  /// survives; an entry's position sets `text` to that entry; anything else
  /// gives -1 and the empty text.
  void setIndex(int index);

  /// A text typed by the user, with the entry the box matched to it (-1 for none).
  void setTyped(std::string text, int index);

  friend bool operator==(const VocabularyChoice& a, const VocabularyChoice& b) {
    return a.m_index == b.m_index && a.m_text == b.m_text &&
           a.m_vocabulary.data() == b.m_vocabulary.data();
  }

 private:
  Vocabulary m_vocabulary;
  int m_index = -1;
  std::string m_text;
};

/// The sitemap protocol version a sitemap declares.
enum class SitemapSchema {
  /// The original schema, http://www.google.com/schemas/sitemap/0.84.
  V084,
  /// sitemaps.org 0.9, the one search engines and validators expect today.
  V09,
};

/// Where a file row's date and time come from.
enum class LastmodSource {
  /// The file's last-write time.
  FileTime,
  /// The last commit that changed the file, in the git repository that holds
  /// the scan folder; the file time for a file git has no clean commit of.
  Git,
  /// The date remembered for the file's bytes (see ContentMemory); the file
  /// time for a new or changed file.
  Content,
  /// No lastmod element at all; the rows still show file times.
  None,
};

/// The one line that the mask box and a project file hold for a `fileMask`
/// text: a line break (CR LF as one) separates masks as ";" does, so each
/// becomes one ";".
std::string fileMaskOnOneLine(std::string_view fileMask);

/// The settings that steer a scan and the writing of the sitemap. One
/// object for the whole run, starting from these defaults.
struct GeneratorSettings {
  /// Masks separated by ";".
  std::string fileMask = "*.htm;*.html";
  /// Removed from each file URL; empty removes nothing.
  std::string indexFile = "index.htm";
  VocabularyChoice rootChangefreq{kChangefreqVocabulary, 3};
  VocabularyChoice rootPriority{kPriorityVocabulary, 6};
  VocabularyChoice otherChangefreq{kChangefreqVocabulary, 0};
  VocabularyChoice otherPriority{kPriorityVocabulary, 0};
  /// true: lastmod is the date alone; false: date, time and zone.
  bool dateOnlyLastmod = true;
  VocabularyChoice timeZone{kTimeZoneList, 13};
  /// Each url element on one line, without indentation.
  bool compact = false;

  // For search engines of today; off, the program writes what it always did.
  SitemapSchema schema = SitemapSchema::V084;
  /// Letters outside ASCII in the file part of a URL as %XX of their UTF-8.
  bool encodeNonAscii = false;
  /// Past a protocol limit, parts "sitemap-N.xml" under a sitemap index.
  bool splitIndex = false;
  /// A gzip copy ("NAME.gz") beside every file written.
  bool gzip = false;
  /// A "Sitemap:" line for the sitemap in the folder's robots.txt.
  bool robotsTxt = false;
  /// Each page's language versions (`<link rel="alternate" hreflang>` of
  /// its head) as `xhtml:link` alternates of its url element; schema 0.9
  /// only, see `writesAlternates`.
  bool hreflang = false;
  /// The XSL stylesheet that every file written names, for a browser to
  /// show it as a page: a URL, or a path relative to the sitemap. Empty
  /// names none (unless `writeStylesheet`).
  std::string stylesheet;
  /// The program's own sitemap.xsl written beside the sitemap, and named
  /// when `stylesheet` is empty.
  bool writeStylesheet = false;
  /// A file's URL without the final ".html" or ".htm" of its name, as a
  /// server of clean URLs publishes it.
  bool dropExtension = false;

  // What the scan leaves out of the sitemap; off and empty, nothing.
  /// Paths relative to the scan folder, patterns separated by ";" (see
  /// ExcludePatterns).
  std::string excludePatterns;
  /// Leave out the pages that the scan folder's robots.txt forbids.
  bool obeyRobots = false;
  /// The robot whose group of robots.txt counts; "*" is any robot.
  std::string robotsAgent = "*";
  /// Leave out the pages whose head asks search engines not to index them.
  bool skipNoindex = false;
  /// Leave out the pages whose head sends the browser on to another URL.
  bool skipRedirects = false;
  /// List each page under the canonical URL its head names; leave it out
  /// when that URL lies outside the site.
  bool useCanonical = false;

  // Where the dates come from; by default, the file times as always.
  LastmodSource lastmodSource = LastmodSource::FileTime;
  /// The content memory's file; empty for one in the user's data folder,
  /// named from the scan folder.
  std::string lastmodMemory;
  /// The folder a relative `lastmodMemory` is relative to: the project
  /// file's; empty for the current folder (the command line's). Not stored,
  /// and no setting: settings that differ in it alone are equal.
  struct Place {
    std::string folder;
    friend bool operator==(const Place&, const Place&) { return true; }
  } lastmodMemoryBase;

  /// The content memory's file for the scan folder whose real path is
  /// `realFolder`, in `dataFolder` (the user's, ending in "/") unless
  /// `lastmodMemory` names one.
  std::string contentMemoryFile(std::string_view dataFolder, std::string_view realFolder) const;

  /// Every setting that a new project resets back to its default (see
  /// core/projectsettings.cpp): the masks, the index file and the layout
  /// stay as they are.
  void resetForNewProject();

  friend bool operator==(const GeneratorSettings&, const GeneratorSettings&) = default;
};

/// Whether the sitemap carries language alternates: schema 0.84 has no room
/// for elements of other namespaces, so there the setting does nothing.
constexpr bool writesAlternates(const GeneratorSettings& settings) {
  return settings.hreflang && settings.schema == SitemapSchema::V09;
}

}  // namespace qorv
