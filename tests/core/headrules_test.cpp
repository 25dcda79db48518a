#include "core/headrules.h"

#include <gtest/gtest.h>

namespace qorv {
namespace {

PageHead headWithMeta(const std::string& name, const std::string& content,
                      const std::string& httpEquiv = {}) {
  PageHead head;
  head.metas.push_back({name, httpEquiv, content, {}});
  return head;
}

PageHead headWithLinks(std::vector<HeadLink> links, std::optional<std::string> base = {}) {
  PageHead head;
  head.links = std::move(links);
  head.baseHref = std::move(base);
  return head;
}

TEST(IsNoindex, NeedsARobotsNameAndANoindexOrNoneToken) {
  struct Case {
    const char* name;
    const char* content;
    bool noindex;
  } cases[] = {
      {"robots", "noindex", true},
      {"ROBOTS", "NoIndex, NoFollow", true},
      {"googlebot", "nofollow,  noindex ", true},
      {"bingbot", "none", true},
      {" robots ", "noindex", true},
      {"robots", "index, follow", false},
      {"robots", "noindex nofollow", false},
      {"robots", "noindexing", false},
      {"robots", "max-snippet:-1, none", true},
      {"description", "noindex", false},
      {"googlebot-news", "noindex", false},
      {"robots", "", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(isNoindex(headWithMeta(c.name, c.content)), c.noindex) << c.name << ": " << c.content;
  }
  EXPECT_FALSE(isNoindex(headWithMeta("", "noindex", "robots"))) << "http-equiv is no name";
}

TEST(ParseRefresh, FollowsTheStandardsStepsWithQuotesAndCase) {
  struct Case {
    const char* content;
    bool refreshes;
    unsigned long long seconds;
    const char* url;  // null: none
  } cases[] = {
      {"5", true, 5, nullptr},
      {"0; url=https://example.com/new/", true, 0, "https://example.com/new/"},
      {"0;URL='/new/'", true, 0, "/new/"},
      {"3 ; Url = \"x.html\" trailing", true, 3, "x.html"},
      {"0, url=/a", true, 0, "/a"},
      {"0 /plain.html", true, 0, "/plain.html"},
      {"0; uri.html", true, 0, "uri.html"},
      {"0; url /a", true, 0, "url /a"},
      {"1.5; url=/b", true, 1, "/b"},
      {".5; url=/c", true, 0, "/c"},
      {"  7  ", true, 7, nullptr},
      {"0; url='unclosed", true, 0, "unclosed"},
      {"0; url=", true, 0, ""},
      {"0x; url=/d", false, 0, nullptr},
      {"; url=/e", false, 0, nullptr},
      {"", false, 0, nullptr},
      {"url=/f", false, 0, nullptr},
  };
  for (const Case& c : cases) {
    const std::optional<Refresh> refresh = parseRefresh(c.content);
    ASSERT_EQ(refresh.has_value(), c.refreshes) << c.content;
    if (!refresh) continue;
    EXPECT_EQ(refresh->seconds, c.seconds) << c.content;
    EXPECT_EQ(refresh->url.has_value(), c.url != nullptr) << c.content;
    if (c.url && refresh->url) {
      EXPECT_EQ(*refresh->url, c.url) << c.content;
    }
  }
}

TEST(IsRedirectStub, RefreshToAnotherUrlWhateverTheDelay) {
  const std::string page = "https://example.com/old/page.html";
  struct Case {
    const char* content;
    bool stub;
  } cases[] = {
      {"0; url=https://example.com/new/", true},
      {"30; url=../new/", true},
      {"0; url=page.html", false},
      {"0; url=https://EXAMPLE.com:443/old/page.html#top", false},
      {"0; url=page.html?lang=sk", true},
      {"0", false},
      {"60", false},
      {"broken", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(isRedirectStub(headWithMeta("", c.content, "Refresh"), page), c.stub) << c.content;
  }
}

TEST(IsRedirectStub, OnlyTheFirstRefreshABrowserFollowsCounts) {
  PageHead head;
  head.metas.push_back({"", "refresh", "bogus", ""});
  head.metas.push_back({"", "refresh", "10", ""});
  head.metas.push_back({"", "refresh", "0; url=/elsewhere", ""});
  EXPECT_FALSE(isRedirectStub(head, "https://example.com/a.html"));
  head.metas.erase(head.metas.begin() + 1);
  EXPECT_TRUE(isRedirectStub(head, "https://example.com/a.html"));
}

TEST(IsRedirectStub, ReadsTheTargetAgainstTheBase) {
  PageHead head = headWithMeta("", "0; url=page.html", "refresh");
  head.baseHref = "https://example.com/other/";
  EXPECT_TRUE(isRedirectStub(head, "https://example.com/page.html"));
}

TEST(CanonicalUrl, ResolvesAndTellsWhereTheUrlLies) {
  const std::string site = "https://example.com/site/";
  const std::string page = "https://example.com/site/docs/a b.html";
  struct Case {
    std::vector<HeadLink> links;
    std::optional<std::string> base;
    CanonicalUrl::Kind kind;
    const char* rowUrl;
  } cases[] = {
      {{{"canonical", "https://example.com/site/docs/a", ""}},
       {},
       CanonicalUrl::WithinSite,
       "https://example.com/site/docs/a"},
      {{{"canonical", "b.html", ""}},
       {},
       CanonicalUrl::WithinSite,
       "https://example.com/site/docs/b.html"},
      {{{"canonical", "../", ""}}, {}, CanonicalUrl::WithinSite, "https://example.com/site/"},
      {{{"canonical", "/site/x?a=1&b=%7e#frag", ""}},
       {},
       CanonicalUrl::WithinSite,
       "https://example.com/site/x?a=1&amp;b=%7e"},
      {{{"canonical", "c.html", ""}},
       "https://example.com/site/en/",
       CanonicalUrl::WithinSite,
       "https://example.com/site/en/c.html"},
      {{{"canonical", "c.html", ""}},
       "/site/sk/",
       CanonicalUrl::WithinSite,
       "https://example.com/site/sk/c.html"},
      {{{"shortlink CANONICAL", " \n/site/d é.html ", ""}},
       {},
       CanonicalUrl::WithinSite,
       "https://example.com/site/d%20%C3%A9.html"},
      {{{"canonical", "a b.html", ""}}, {}, CanonicalUrl::Own, ""},
      {{{"canonical", "a%20b.html#x", ""}}, {}, CanonicalUrl::Own, ""},
      {{{"canonical", "HTTPS://example.com:443/site/docs/a%20b.html", ""}},
       {},
       CanonicalUrl::Own,
       ""},
      {{{"canonical", "https://other.example/site/docs/a", ""}}, {}, CanonicalUrl::OutsideSite, ""},
      {{{"canonical", "http://example.com/site/docs/a", ""}}, {}, CanonicalUrl::OutsideSite, ""},
      {{{"canonical", "https://example.com:8443/site/docs/a", ""}},
       {},
       CanonicalUrl::OutsideSite,
       ""},
      {{{"canonical", "/elsewhere/", ""}}, {}, CanonicalUrl::OutsideSite, ""},
      {{{"canonical", "/site/one", ""}, {"canonical", "/site/two", ""}},
       {},
       CanonicalUrl::None,
       ""},
      {{{"canonical", "/site/one", ""}, {"canonical", "https://EXAMPLE.com/site/one#x", ""}},
       {},
       CanonicalUrl::WithinSite,
       "https://example.com/site/one"},
      {{{"canonical", "", ""}, {"canonical", "/site/e", ""}},
       {},
       CanonicalUrl::WithinSite,
       "https://example.com/site/e"},
      {{{"alternate", "/site/f", "en"}, {"stylesheet", "/x.css", ""}}, {}, CanonicalUrl::None, ""},
      {{{"canonical", "http://[bad", ""}}, {}, CanonicalUrl::None, ""},
  };
  for (const Case& c : cases) {
    const std::string described = c.links.front().href;
    const CanonicalUrl canonical = canonicalUrl(headWithLinks(c.links, c.base), page, site);
    EXPECT_EQ(canonical.kind, c.kind) << described;
    EXPECT_EQ(canonical.rowUrl, c.rowUrl) << described;
  }
}

TEST(CanonicalUrl, ToTheRootIsWithinTheSite) {
  const CanonicalUrl canonical =
      canonicalUrl(headWithLinks({{"canonical", "/", ""}}), "https://example.com/index2.html",
                   "https://example.com/");
  EXPECT_EQ(canonical.kind, CanonicalUrl::WithinSite);
  EXPECT_EQ(canonical.rowUrl, "https://example.com/");
}

TEST(LanguageAlternates, InHeadOrderResolvedAndEscaped) {
  const PageHead head = headWithLinks({
      {"alternate", "https://example.com/en/", "en"},
      {"alternate stylesheet", "/alt.css", ""},
      {"ALTERNATE", "/", "x-default"},
      {"alternate", "/feed.xml", ""},
      {"alternate", "../sk/?a=1&b=2#top", " sk "},
      {"alternate", "", "de"},
      {"canonical", "/", "fr"},
  });
  const std::vector<LanguageAlternate> expected = {
      {"en", "https://example.com/en/"},
      {"x-default", "https://example.com/"},
      {"sk", "https://example.com/sk/?a=1&amp;b=2"},
  };
  EXPECT_EQ(languageAlternates(head, "https://example.com/en/page.html"), expected);
}

}  // namespace
}  // namespace qorv
