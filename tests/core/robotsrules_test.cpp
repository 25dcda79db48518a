#include "core/robotsrules.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "tests/support/casename.h"

namespace qorv {
namespace {

using test::CaseName;
using namespace std::string_literals;

struct RobotsCase {
  const char* what;
  std::string robotsTxt;
  std::string robot;
  std::string path;
  bool allowed;
};

void PrintTo(const RobotsCase& c, std::ostream* os) { *os << c.what; }

class RobotsRulesTable : public ::testing::TestWithParam<RobotsCase> {};

TEST_P(RobotsRulesTable, AllowsWhatTheGroupForTheRobotAllows) {
  const RobotsCase& c = GetParam();
  EXPECT_EQ(RobotsRules::parse(c.robotsTxt, c.robot).allows(c.path), c.allowed)
      << "robot \"" << c.robot << "\", path \"" << c.path << "\"";
}

// The example file of RFC 9309.
const std::string kRfcExample =
    "User-Agent: *\n"
    "Disallow: *.gif$\n"
    "Disallow: /example/\n"
    "Allow: /publications/\n"
    "\n"
    "User-Agent: foobot\n"
    "Disallow:/\n"
    "Allow:/example/page.html\n"
    "Allow:/example/allowed.gif\n"
    "\n"
    "User-Agent: barbot\n"
    "User-Agent: bazbot\n"
    "Disallow: /example/page.html\n"
    "\n"
    "User-Agent: quxbot\n"
    "\n"
    "EOF\n";

// clang-format off
INSTANTIATE_TEST_SUITE_P(Groups, RobotsRulesTable, ::testing::Values(
    RobotsCase{"any robot obeys the star group", kRfcExample, "*", "/example/page.html", false},
    RobotsCase{"star group allows what it names", kRfcExample, "*", "/publications/a.html", true},
    RobotsCase{"star group allows what no rule names", kRfcExample, "*", "/index.html", true},
    RobotsCase{"an unnamed robot obeys the star group", kRfcExample, "otherbot", "/example/x", false},
    RobotsCase{"a named robot obeys its own group only", kRfcExample, "foobot", "/publications/", false},
    RobotsCase{"own group allows", kRfcExample, "foobot", "/example/page.html", true},
    RobotsCase{"own group, allowed gif despite the star group", kRfcExample, "foobot",
               "/example/allowed.gif", true},
    RobotsCase{"product token in any case", kRfcExample, "FooBot", "/index.html", false},
    RobotsCase{"robot name with a version is its token", kRfcExample, "foobot/2.1", "/index.html",
               false},
    RobotsCase{"two user-agent lines share the rules, the first", kRfcExample, "barbot",
               "/example/page.html", false},
    RobotsCase{"two user-agent lines share the rules, the second", kRfcExample, "bazbot",
               "/example/page.html", false},
    RobotsCase{"a named group does not take the star group's rules", kRfcExample, "bazbot",
               "/example/other.html", true},
    RobotsCase{"a named group without rules allows everything", kRfcExample, "quxbot",
               "/example/page.html", true},
    RobotsCase{"no star group and no name allows everything",
               "User-agent: foobot\nDisallow: /\n", "barbot", "/a", true},
    RobotsCase{"groups of one robot merge",
               "user-agent: ExampleBot\ndisallow: /foo\ndisallow: /bar\n\n"
               "user-agent: ExampleBot\ndisallow: /baz\n", "examplebot", "/baz/x", false},
    RobotsCase{"star groups merge",
               "User-agent: *\nDisallow: /a\nUser-agent: x\nDisallow: /b\n"
               "User-agent: *\nDisallow: /c\n", "y", "/c", false},
    RobotsCase{"the token of the user-agent line is its leading name",
               "User-agent: ExampleBot/1.0 (+https://example.com)\nDisallow: /\n", "examplebot",
               "/a", false},
    RobotsCase{"a user-agent line after a rule starts a new group",
               "User-agent: a\nDisallow: /x\nUser-agent: b\nDisallow: /y\n", "a", "/y", true},
    RobotsCase{"empty lines do not end a group",
               "User-agent: a\n\nUser-agent: b\n\nDisallow: /x\n", "a", "/x", false},
    RobotsCase{"unknown lines do not end a group",
               "User-agent: *\nSitemap: https://example.com/s.xml\nCrawl-delay: 5\n"
               "Disallow: /x\n", "*", "/x", false},
    RobotsCase{"rules before any user-agent line belong to no robot",
               "Disallow: /x\nUser-agent: *\nDisallow: /y\n", "*", "/x", true},
    RobotsCase{"an empty robot name is any robot", "User-agent: *\nDisallow: /\n", "", "/a", false}),
    CaseName());

INSTANTIATE_TEST_SUITE_P(Precedence, RobotsRulesTable, ::testing::Values(
    RobotsCase{"longest match wins, the shorter allow",
               "User-Agent: foobot\nAllow: /example/page/\n"
               "Disallow: /example/page/disallowed.gif\n", "foobot", "/example/page/", true},
    RobotsCase{"longest match wins, the longer disallow",
               "User-Agent: foobot\nAllow: /example/page/\n"
               "Disallow: /example/page/disallowed.gif\n", "foobot",
               "/example/page/disallowed.gif", false},
    RobotsCase{"longest match wins whatever the order",
               "User-agent: *\nDisallow: /folder/page\nAllow: /folder/\n", "*",
               "/folder/page.html", false},
    RobotsCase{"allow wins a tie", "User-agent: *\nDisallow: /a\nAllow: /a\n", "*", "/a", true},
    RobotsCase{"allow wins a tie written first", "User-agent: *\nAllow: /a\nDisallow: /a\n", "*",
               "/a", true},
    RobotsCase{"lengths are counted with wildcards",
               "User-agent: *\nAllow: /a*\nDisallow: /a\n", "*", "/ab", true},
    RobotsCase{"lengths are counted in the compared form",
               "User-agent: *\nDisallow: /%7Ea\nAllow: /~a\n", "*", "/~a", true},
    RobotsCase{"a longer prefix wins over a shorter star rule", kRfcExample, "*",
               "/publications/a.gif", true},
    RobotsCase{"nested prefixes, the innermost",
               "User-agent: *\nDisallow: /a\nAllow: /a/b\nDisallow: /a/b/c\n", "*", "/a/b/c/d",
               false},
    RobotsCase{"nested prefixes, beside the innermost",
               "User-agent: *\nDisallow: /a\nAllow: /a/b\nDisallow: /a/b/c\n", "*", "/a/b/x",
               true},
    RobotsCase{"nested prefixes, beside the middle one",
               "User-agent: *\nDisallow: /a\nAllow: /a/b\nDisallow: /a/b/c\n", "*", "/a/x",
               false},
    RobotsCase{"an empty disallow forbids nothing", "User-agent: *\nDisallow:\n", "*", "/a", true},
    RobotsCase{"robots.txt itself is always allowed", "User-agent: *\nDisallow: /\n", "*",
               "/robots.txt", true},
    RobotsCase{"matching counts case", "User-agent: *\nDisallow: /fish\n", "*", "/Fish.asp", true},
    RobotsCase{"a rule matches from the first octet", "User-agent: *\nDisallow: /fish\n", "*",
               "/a/fish", true},
    RobotsCase{"a rule without its slash is read with one", "User-agent: *\nDisallow: private\n",
               "*", "/private/a.html", false}),
    CaseName());

INSTANTIATE_TEST_SUITE_P(Wildcards, RobotsRulesTable, ::testing::Values(
    RobotsCase{"dollar anchors at the end", "User-agent: *\nDisallow: /*.php$\n", "*",
               "/index.php", false},
    RobotsCase{"dollar lets a query pass", "User-agent: *\nDisallow: /*.php$\n", "*",
               "/index.php?a=1", true},
    RobotsCase{"dollar lets a longer name pass", "User-agent: *\nDisallow: /*.php$\n", "*",
               "/a.php5", true},
    RobotsCase{"star crosses slashes", "User-agent: *\nDisallow: /*/private/\n", "*",
               "/a/b/private/c.html", false},
    RobotsCase{"star needs what follows it", "User-agent: *\nDisallow: /*/private/\n", "*",
               "/private/c.html", true},
    RobotsCase{"rule beginning with a star", kRfcExample, "*", "/images/a.gif", false},
    RobotsCase{"star at the end says nothing more", "User-agent: *\nDisallow: /fish*\n", "*",
               "/fishheads/a", false},
    RobotsCase{"dollar alone is the root only", "User-agent: *\nDisallow: /$\n", "*", "/a", true},
    RobotsCase{"dollar alone forbids the root", "User-agent: *\nDisallow: /$\n", "*", "/", false},
    RobotsCase{"dollar inside a rule is a character", "User-agent: *\nDisallow: /a$b\n", "*",
               "/a$b", false},
    RobotsCase{"the last run of a dollar rule sits at the end",
               "User-agent: *\nDisallow: /*ab*ab$\n", "*", "/xabab", false},
    RobotsCase{"the last run of a dollar rule does not overlap the one before",
               "User-agent: *\nDisallow: /*aba*ab$\n", "*", "/xabab", true},
    RobotsCase{"many stars against a long path",
               "User-agent: *\nDisallow: /*a*a*a*a*a*a*a*a*a*b\n", "*",
               "/" + std::string(5000, 'a'), true}),
    CaseName());

INSTANTIATE_TEST_SUITE_P(PercentEncoding, RobotsRulesTable, ::testing::Values(
    RobotsCase{"query is part of the path", "User-agent: *\nDisallow: /foo/bar?baz=quz\n", "*",
               "/foo/bar?baz=quz", false},
    RobotsCase{"rule outside ASCII against the encoded path",
               "User-agent: *\nDisallow: /foo/bar/\xE3\x83\x84\n", "*", "/foo/bar/%E3%83%84", false},
    RobotsCase{"rule outside ASCII against the raw path",
               "User-agent: *\nDisallow: /foo/bar/\xE3\x83\x84\n", "*", "/foo/bar/\xE3\x83\x84", false},
    RobotsCase{"encoded rule against the raw path",
               "User-agent: *\nDisallow: /foo/bar/%E3%83%84\n", "*", "/foo/bar/\xE3\x83\x84", false},
    RobotsCase{"hex digits in any case", "User-agent: *\nDisallow: /foo/bar/%E3%83%84\n", "*",
               "/foo/bar/%e3%83%84", false},
    RobotsCase{"unreserved characters are decoded in the path",
               "User-agent: *\nDisallow: /foo/bar/baz\n", "*", "/foo/bar/%62%61%7A", false},
    RobotsCase{"unreserved characters are decoded in the rule",
               "User-agent: *\nDisallow: /%7Euser/\n", "*", "/~user/notes", false},
    RobotsCase{"an encoded slash is not a slash", "User-agent: *\nDisallow: /a/b\n", "*",
               "/a%2Fb", true},
    RobotsCase{"an encoded slash matches itself", "User-agent: *\nDisallow: /a%2Fb\n", "*",
               "/a%2fb", false},
    RobotsCase{"encoded star in a rule is a star", "User-agent: *\nDisallow: /file-with-a-%2A.html\n",
               "*", "/file-with-a-*.html", false},
    RobotsCase{"encoded star in a rule is no wildcard",
               "User-agent: *\nDisallow: /file-with-a-%2A.html\n", "*", "/file-with-a-x.html", true},
    RobotsCase{"encoded dollar in a rule is a dollar, not the end",
               "User-agent: *\nDisallow: /foo-%24\n", "*", "/foo-$x", false},
    RobotsCase{"a blank in a rule is the encoded blank", "User-agent: *\nDisallow: /my file\n", "*",
               "/my%20file.html", false},
    RobotsCase{"a lone percent sign is the encoded one", "User-agent: *\nDisallow: /100%\n", "*",
               "/100%25.html", false},
    RobotsCase{"a lone percent sign in the path", "User-agent: *\nDisallow: /100%25\n", "*",
               "/100%", false}),
    CaseName());

INSTANTIATE_TEST_SUITE_P(Lines, RobotsRulesTable, ::testing::Values(
    RobotsCase{"lines end in CR", "User-agent: *\rDisallow: /a\rAllow: /a/b\r", "*", "/a/b", true},
    RobotsCase{"lines end in CRLF", "User-agent: *\r\nDisallow: /a\r\n\r\nAllow: /a/b\r\n", "*",
               "/a/c", false},
    RobotsCase{"a byte order mark before the first line",
               "\xEF\xBB\xBFUser-agent: *\nDisallow: /a\n", "*", "/a", false},
    RobotsCase{"a comment after a rule", "User-agent: *\nDisallow: /a # not /b\n", "*", "/a", false},
    RobotsCase{"a comment is not part of the rule", "User-agent: *\nDisallow: /a#b\n", "*", "/ab",
               false},
    RobotsCase{"a commented line is no rule", "User-agent: *\n# Disallow: /a\n", "*", "/a", true},
    RobotsCase{"a comment after the user agent", "User-agent: foobot # ours\nDisallow: /\n",
               "foobot", "/a", false},
    RobotsCase{"field names in any case", "USER-AGENT: *\ndIsAlLoW: /a\n", "*", "/a", false},
    RobotsCase{"blanks around the colon", "User-agent :\t*\nDisallow  :  /a  \n", "*", "/a", false},
    RobotsCase{"a line without a colon is ignored", "User-agent: *\nDisallow /a\nDisallow: /b\n",
               "*", "/a", true},
    RobotsCase{"no line end after the last line", "User-agent: *\nDisallow: /a", "*", "/a", false},
    RobotsCase{"bytes that are not text do no harm",
               "User-agent: *\n\xFF\xFE\0\x01: x\nDisallow: /\xFF\0\n"s, "*",
               "/%FF%00", false},
    RobotsCase{"an empty file allows everything", "", "*", "/", true}),
    CaseName());
// clang-format on

TEST(RobotsRules, ReadsNoMoreThanTheLimitAndNotTheLineItCuts) {
  std::string text = "User-agent: *\nDisallow: /early\n";
  const std::string cutRule = "Disallow: /private-folder/\n";
  while (text.size() + cutRule.size() / 2 < kRobotsTxtLimit) text += "# filler\n";
  text.resize(kRobotsTxtLimit - cutRule.size() / 2, '#');
  text += '\n';
  ASSERT_LT(text.size(), kRobotsTxtLimit);
  text += cutRule;  // straddles the limit: "Disallow: /priv" if taken as cut
  ASSERT_GT(text.size(), kRobotsTxtLimit);
  text += "Disallow: /late\n";
  text.resize(std::size_t{600} * 1024, '\n');

  const RobotsRules rules = RobotsRules::parse(text, "*");
  EXPECT_FALSE(rules.allows("/early"));
  EXPECT_TRUE(rules.allows("/privacy.html"));
  EXPECT_TRUE(rules.allows("/private-folder/a.html"));
  EXPECT_TRUE(rules.allows("/late"));
  EXPECT_EQ(rules.ruleCount(), 1u);
}

TEST(RobotsRules, FileOfExactlyTheLimitKeepsItsLastLine) {
  std::string text = "User-agent: *\n";
  const std::string last = "Disallow: /last";
  text.resize(kRobotsTxtLimit - last.size(), '\n');
  text += last;
  ASSERT_EQ(text.size(), kRobotsTxtLimit);
  EXPECT_FALSE(RobotsRules::parse(text, "*").allows("/last"));
}

TEST(RobotsRules, WithoutRobotsTxtEverythingIsAllowed) {
  EXPECT_TRUE(RobotsRules().allows("/anything"));
  EXPECT_EQ(RobotsRules().ruleCount(), 0u);
}

// Every rule tried in turn by trying every split, for comparing against on
// small inputs: slow, but plain to read.
bool referenceMatch(std::string_view rule, std::string_view path) {
  if (rule.empty()) return true;
  if (rule == "$") return path.empty();
  if (rule[0] == '*') {
    for (std::size_t skip = 0; skip <= path.size(); ++skip)
      if (referenceMatch(rule.substr(1), path.substr(skip))) return true;
    return false;
  }
  return !path.empty() && rule[0] == path[0] && referenceMatch(rule.substr(1), path.substr(1));
}

TEST(RobotsRules, AgreesWithTryingEveryRuleOnRandomFiles) {
  std::mt19937 random(7);
  const auto below = [&random](std::size_t n) {
    return std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
  };
  for (int round = 0; round < 3000; ++round) {
    std::vector<std::pair<bool, std::string>> rules;
    std::string text = "User-agent: *\n";
    for (std::size_t r = below(8); r > 0; --r) {
      std::string rule = "/";
      for (std::size_t c = below(5); c > 0; --c) rule += "ab/*"[below(4)];
      if (below(4) == 0) rule += '$';
      const bool allow = below(2) == 0;
      rules.emplace_back(allow, rule);
      text += (allow ? "Allow: " : "Disallow: ") + rule + "\n";
    }
    const RobotsRules parsed = RobotsRules::parse(text, "*");
    for (int p = 0; p < 20; ++p) {
      std::string path = "/";
      for (std::size_t c = below(7); c > 0; --c) path += "ab/"[below(3)];
      std::size_t bestLength = 0;
      bool allowed = true;
      for (const auto& [allow, rule] : rules) {
        if (!referenceMatch(rule, path)) continue;
        if (rule.size() > bestLength || (rule.size() == bestLength && allow)) allowed = allow;
        bestLength = std::max(bestLength, rule.size());
      }
      ASSERT_EQ(parsed.allows(path), allowed) << text << "path " << path;
    }
  }
}

struct UrlCase {
  const char* what;
  std::string url;
  std::string path;
};

void PrintTo(const UrlCase& c, std::ostream* os) { *os << c.what; }

class PathFromHostRoot : public ::testing::TestWithParam<UrlCase> {};

TEST_P(PathFromHostRoot, IsWhatACrawlerRequests) {
  EXPECT_EQ(pathFromHostRoot(GetParam().url), GetParam().path) << GetParam().url;
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Urls, PathFromHostRoot, ::testing::Values(
    UrlCase{"site with a path", "https://example.com/blog/a.html", "/blog/a.html"},
    UrlCase{"host alone", "https://example.com", ""},
    UrlCase{"host and root", "https://example.com/", "/"},
    UrlCase{"query without a path", "https://example.com?x=1", "?x=1"},
    UrlCase{"fragment left out", "https://example.com/a?x=1#part", "/a?x=1"},
    UrlCase{"user, password and port", "http://user:pw@example.com:8080/a", "/a"},
    UrlCase{"scheme in upper case", "HTTPS://EXAMPLE.COM/A", "/A"},
    UrlCase{"without a scheme", "//example.com/a", "/a"},
    UrlCase{"without a scheme or slashes", "www.example.com/blog/", "/blog/"},
    UrlCase{"host with a port, without a scheme", "localhost:8080/blog", "/blog"},
    UrlCase{"a path alone", "/blog/a.html", "/blog/a.html"},
    UrlCase{"a file URL has no host", "file:///srv/www/a.html", "/srv/www/a.html"},
    UrlCase{"a URL in the query is not the host", "example.com/go?to=http://x/y", "/go?to=http://x/y"},
    UrlCase{"empty", "", ""}),
    CaseName());
// clang-format on

TEST(RobotsRules, SiteUrlWithAPathIsMatchedFromTheHostsRoot) {
  const RobotsRules rules =
      RobotsRules::parse("User-agent: *\nDisallow: /private/\nDisallow: /blog/drafts/\n", "*");
  EXPECT_TRUE(rules.allows(pathFromHostRoot("https://example.com/blog/private/a.html")));
  EXPECT_FALSE(rules.allows(pathFromHostRoot("https://example.com/blog/drafts/a.html")));
  EXPECT_FALSE(rules.allows(pathFromHostRoot("https://example.com/private/")));
}

TEST(RobotsRules, PathWithoutItsSlashIsReadWithOne) {
  const RobotsRules rules = RobotsRules::parse("User-agent: *\nDisallow: /$\nDisallow: /?\n", "*");
  EXPECT_FALSE(rules.allows(pathFromHostRoot("https://example.com")));
  EXPECT_FALSE(rules.allows(pathFromHostRoot("https://example.com?x=1")));
  EXPECT_TRUE(rules.allows("/a"));
}

}  // namespace
}  // namespace qorv
