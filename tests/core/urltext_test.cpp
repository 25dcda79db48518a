#include "core/urltext.h"

#include <gtest/gtest.h>

namespace qorv {
namespace {

TEST(EncodeUrl, EscapesWhatRfc3986DoesNotAllowAndKeepsTheRest) {
  struct Case {
    const char* url;
    const char* encoded;
  } cases[] = {
      {"https://example.com/a b/café.html", "https://example.com/a%20b/caf%C3%A9.html"},
      {"https://example.com/100%.html", "https://example.com/100%25.html"},
      {"https://example.com/a%2fb%C3%a9", "https://example.com/a%2fb%C3%a9"},
      {"https://example.com/?q=a b&x=<1>|{}", "https://example.com/?q=a%20b&x=%3C1%3E%7C%7B%7D"},
      {"https://example.com/p?a=1&b=2;c=3", "https://example.com/p?a=1&b=2;c=3"},
      {"https://[::1]:8080/a[1]\\b^`\"", "https://[::1]:8080/a%5B1%5D%5Cb%5E%60%22"},
      {"/a#top#more", "/a#top%23more"},
      {"page.html?x=/y?z", "page.html?x=/y?z"},
      {"mailto:a@example.com", "mailto:a@example.com"},
      {"https://example.com/\x7f\x01", "https://example.com/%7F%01"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(encodeUrl(c.url), c.encoded) << c.url;
  }
}

TEST(SameUrl, IgnoresWhatDoesNotChangeThePageNamed) {
  struct Case {
    const char* a;
    const char* b;
    bool same;
  } cases[] = {
      {"https://example.com/a", "HTTPS://Example.COM/a", true},
      {"https://example.com/a", "https://example.com/A", false},
      {"https://example.com:443/a", "https://example.com/a", true},
      {"http://example.com:80/a", "http://example.com/a", true},
      {"https://example.com:80/a", "https://example.com/a", false},
      {"https://example.com:/a", "https://example.com/a", true},
      {"https://example.com", "https://example.com/", true},
      {"https://example.com/%7euser/%41", "https://example.com/~user/A", true},
      {"https://example.com/a%2fb", "https://example.com/a%2Fb", true},
      {"https://example.com/a%2Fb", "https://example.com/a/b", false},
      {"https://example.com/café", "https://example.com/caf%c3%a9", true},
      {"http://example.com/a", "https://example.com/a", false},
      {"https://www.example.com/a", "https://example.com/a", false},
      {"https://example.com/a?x=1", "https://example.com/a?x=2", false},
      {"https://user@example.com/", "https://USER@example.com/", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(sameUrl(c.a, c.b), c.same) << c.a << " " << c.b;
  }
}

TEST(IsWithinSite, ComparesTheBeginningAsUrlsAreCompared) {
  EXPECT_TRUE(isWithinSite("https://EXAMPLE.com:443/docs/a.html", "https://example.com/docs/"));
  EXPECT_TRUE(isWithinSite("https://example.com/docs/", "https://example.com/docs/"));
  EXPECT_TRUE(isWithinSite("https://example.com/%64ocs/a", "https://example.com/docs/"));
  EXPECT_FALSE(isWithinSite("https://example.com/docsx/a", "https://example.com/docs/"));
  EXPECT_FALSE(isWithinSite("http://example.com/docs/a", "https://example.com/docs/"));
  EXPECT_FALSE(isWithinSite("https://example.com:8443/docs/a", "https://example.com/docs/"));
  EXPECT_FALSE(isWithinSite("https://example.com.evil/docs/a", "https://example.com/"));
}

TEST(RowUrlText, EncodesOnceAndEscapesForXmlOnce) {
  EXPECT_EQ(rowUrlText("https://example.com/a b?x=1&y='2'"),
            "https://example.com/a%20b?x=1&amp;y=&apos;2&apos;");
  EXPECT_EQ(rowUrlText("https://example.com/%C3%A9?q=%20"), "https://example.com/%C3%A9?q=%20");
  EXPECT_EQ(urlOfRowText(rowUrlText("https://example.com/?a=1&b='<>\"'")),
            encodeUrl("https://example.com/?a=1&b='<>\"'"));
  EXPECT_EQ(urlOfRowText("https://example.com/R&amp;D/it&apos;s&amp;amp;"),
            "https://example.com/R&D/it's&amp;");
}

TEST(UrlFromAttribute, DropsBlanksAroundAndLineBreaksInside) {
  EXPECT_EQ(urlFromAttribute("\n  /with spaces/\t?q=a\r\nb  "), "/with spaces/?q=ab");
  EXPECT_EQ(urlFromAttribute(" \x01"), "");
}

}  // namespace
}  // namespace qorv
