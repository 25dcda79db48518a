#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qorv {

/// How much of robots.txt a crawler must read at least, and the scan reads
/// at most; RFC 9309 lets a crawler ignore the rest.
inline constexpr std::size_t kRobotsTxtLimit = std::size_t{500} * 1024;

/// What a site's robots.txt lets one robot fetch, read as RFC 9309 says.
///
/// A group is one or more "user-agent" lines and the rules after them; a
/// "user-agent" line after a rule starts the next group, and empty and
/// unknown lines ("sitemap", typos, lines without ":") change nothing.
/// Field names count in any case, "#" starts a comment, lines end in CR, LF
/// or CRLF, and a UTF-8 byte order mark at the start is skipped. The robot
/// obeys every group naming its product token (compared in any case; in the
/// file and in the robot's name alike, the token is the leading run of
/// letters, "_" and "-", so "ExampleBot/1.0" names ExampleBot), merged into
/// one, or else every "*" group merged; with neither, or with a robot name
/// that holds no token ("*"), only the "*" groups count, and without any
/// group everything is allowed.
///
/// Of the "allow" and "disallow" rules that match a path from its first
/// octet, the longest wins, and "allow" wins a tie; a path no rule matches
/// is allowed, and so is "/robots.txt". In a rule, "*" matches any run of
/// octets and a "$" at its end anchors it at the path's end; an empty rule
/// matches nothing, and one not beginning with "/" or "*" is read as if it
/// began with "/". Rules and paths are compared in one form: octets that may
/// not stand in a URL (outside ASCII, controls, the blank, "\"", "<", ">",
/// "\\", "^", "`", "{", "|", "}", a "%" not followed by two hex digits) as
/// "%XX", and "%XX" of an unreserved character ("A-Z a-z 0-9 - . _ ~"), of
/// "*" and of "$" as the character itself, so that "%2A" in a rule is a
/// literal "*". Every other "%XX" stays encoded, in upper case: "%2F" is
/// not "/". Length is counted in that form, wildcards included.
class RobotsRules {
 public:
  /// Allows everything, as a site without robots.txt does.
  RobotsRules() = default;

  /// Reads `text` for the robot `robotName`. Only its first kRobotsTxtLimit
  /// bytes count; when `text` is longer, the line the limit cuts is left out
  /// too, as not what the site wrote (a cut "Disallow: /private" would
  /// forbid far more). So a caller reads at most kRobotsTxtLimit + 1 bytes.
  static RobotsRules parse(std::string_view text, std::string_view robotName);

  /// Whether the robot may fetch `path`: the path and query of a URL as a
  /// crawler requests it, from the host's root (see `pathFromHostRoot`); an
  /// empty path, or one that does not begin with "/", is read as beginning
  /// with one. Allocates nothing for a path already in the compared form
  /// (which the site scan's URLs are), and may be called from several
  /// threads at once.
  bool allows(std::string_view path) const;

  /// How many rules apply to the robot.
  std::size_t ruleCount() const { return m_rules.size(); }

 private:
  /// Which octets occur in a text, one bit each.
  using OctetSet = std::array<std::uint64_t, 4>;
  struct Rule {
    /// The literal runs between the "*"s, in the compared form.
    std::vector<std::string> pieces;
    bool anchoredAtEnd = false;
    bool allow = false;
    std::size_t length = 0;
    OctetSet octets{};  // of the pieces after the first
  };
  /// `value` not empty.
  static Rule makeRule(std::string_view value, bool allow);
  static bool matches(const Rule& rule, std::string_view path);
  bool decide(std::string_view path) const;
  static constexpr std::size_t kNoRule = static_cast<std::size_t>(-1);
  std::size_t longestPrefix(std::string_view path) const;

  std::vector<Rule> m_rules;  // the winner first: longer first, "allow" first at a tie
  // Rules by their place in `m_rules`. Plain prefixes (most rules) are
  // found by binary search, so a path costs a few comparisons however many
  // there are; the rest (with stars or "$") are tried one by one.
  std::vector<std::uint32_t> m_prefixes;  // by text, one per text
  std::vector<std::uint32_t> m_others;    // in precedence order
};

/// The path and query of `url` as a crawler requests them from its host:
/// what follows the "scheme://host" (or "//host", or the first name of a
/// text without a scheme, "www.example.com/blog"), without the fragment;
/// a text beginning with "/" is a path already. Empty, or beginning with
/// "?", when the URL names no path; `RobotsRules::allows` reads that as
/// "/". A view into `url`.
std::string_view pathFromHostRoot(std::string_view url);

}  // namespace qorv
