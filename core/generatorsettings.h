#pragma once

#include <span>
#include <string>
#include <string_view>

namespace qorv {

/// A fixed, ordered list of texts from which a setting is chosen.
using TVocabulary = std::span<const std::string_view>;

/// "none", "always", "hourly", "daily", "weekly", "monthly", "yearly", "never".
extern const TVocabulary ChangefreqVocabulary;
/// "none", then "0.0" to "1.0" in steps of one tenth.
extern const TVocabulary PriorityVocabulary;
/// "-12:00" to "+12:00" in whole hours; zero is "+00:00".
extern const TVocabulary TimeZoneList;

/// A row's changefreq or priority text that leaves the element out of the
/// sitemap. Only this exact text: "None" or "" are written as content.
inline constexpr std::string_view kNoneTag = "none";

/// Position of the first entry equal to `text` ignoring case, or -1.
int FindIgnoreCase(TVocabulary vocabulary, std::string_view text);

/// A setting chosen from a vocabulary, or typed by the user. `Text` is the
/// text in force (what the scan and the writer use); `Index` is the chosen
/// entry or -1 (what a project file stores). The two can differ when the
/// user typed a text.
class TVocabularyChoice {
 public:
  TVocabularyChoice(TVocabulary vocabulary, int index);

  int Index() const { return m_index; }
  const std::string& Text() const { return m_text; }
  TVocabulary Vocabulary() const { return m_vocabulary; }

  /// Setting the index it already holds changes nothing, so a typed text
  /// survives; an entry's position sets `Text` to that entry; anything else
  /// gives -1 and the empty text.
  void SetIndex(int index);

  /// A text typed by the user, with the entry the box matched to it (-1 for none).
  void SetTyped(std::string text, int index);

  friend bool operator==(const TVocabularyChoice& a, const TVocabularyChoice& b) {
    return a.m_index == b.m_index && a.m_text == b.m_text &&
           a.m_vocabulary.data() == b.m_vocabulary.data();
  }

 private:
  TVocabulary m_vocabulary;
  int m_index = -1;
  std::string m_text;
};

/// The settings that steer a scan and the writing of the sitemap. One
/// object for the whole run, starting from these defaults.
struct TGeneratorSettings {
  /// Masks separated by ";".
  std::string FileMask = "*.htm;*.html";
  /// Removed from each file URL; empty removes nothing.
  std::string IndexFile = "index.htm";
  TVocabularyChoice RootChangefreq{ChangefreqVocabulary, 3};
  TVocabularyChoice RootPriority{PriorityVocabulary, 6};
  TVocabularyChoice OtherChangefreq{ChangefreqVocabulary, 0};
  TVocabularyChoice OtherPriority{PriorityVocabulary, 0};
  /// true: lastmod is the date alone; false: date, time and zone.
  bool TimeShort = true;
  TVocabularyChoice TimeZone{TimeZoneList, 13};
  /// Each url element on one line, without indentation.
  bool Compact = false;

  /// The tag choices, the lastmod form and the zone back to their defaults;
  /// the masks, the index file and the layout stay as they are.
  void ResetForNewProject();

  friend bool operator==(const TGeneratorSettings&, const TGeneratorSettings&) = default;
};

}  // namespace qorv
