#include "core/htmltokenizer.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace qorv {
namespace {

using namespace std::string_view_literals;
using TokenKind = HtmlTokenizer::TokenKind;
using TextState = HtmlTokenizer::TextState;

/// The state a tree builder switches to after the start tag `name`.
TextState stateAfter(std::string_view name) {
  if (name == "title" || name == "textarea") return TextState::Rcdata;
  if (name == "style" || name == "xmp" || name == "iframe" || name == "noembed" ||
      name == "noframes" || name == "noscript")
    return TextState::Rawtext;
  if (name == "script") return TextState::ScriptData;
  if (name == "plaintext") return TextState::Plaintext;
  return TextState::Data;
}

/// The tokens of `text` in a short form: `<name a="v">`, `</name>`, `T` for
/// text, `/` for a self-closing tag; attribute names lower-cased, values as
/// written. The text is given `step` bytes more at each call (all at once
/// for 0), so that every place where a read step may end is tried.
std::string tokens(std::string_view text, std::size_t step = 0, bool cdata = false) {
  HtmlTokenizer tokenizer;
  tokenizer.reset();
  tokenizer.allowCdata(cdata);
  std::string out;
  std::size_t given = step == 0 ? text.size() : 0;
  for (;;) {
    const std::string_view part = text.substr(0, given);
    const TokenKind kind = tokenizer.next(part, given == text.size());
    if (kind == TokenKind::End) break;
    if (kind == TokenKind::NeedMore) {
      if (given == text.size()) return out + "!stuck";
      given = std::min(text.size(), given + step);
      continue;
    }
    if (kind == TokenKind::Text) {
      out += "T";
      continue;
    }
    const HtmlTokenizer::Tag& tag = tokenizer.tag();
    out += kind == TokenKind::EndTag ? "</" : "<";
    out += tag.name;
    for (const HtmlTokenizer::Attribute& attribute : tag.attributes) {
      std::string name(part.substr(attribute.nameStart, attribute.nameEnd - attribute.nameStart));
      for (char& c : name) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
      out += " " + name + "=\"";
      if (attribute.valueEnd > attribute.valueStart)
        out += part.substr(attribute.valueStart, attribute.valueEnd - attribute.valueStart);
      out += "\"";
    }
    out += tag.selfClosing ? "/>" : ">";
    if (kind == TokenKind::StartTag) tokenizer.switchTo(stateAfter(tag.name));
  }
  return out;
}

const struct {
  std::string_view html;
  std::string_view expected;
} kCases[] = {
    // Comments in every form a browser ends them.
    {"<!--><a><!---><b><!-- x --!><c><!-- -- > --><d><!----><e>", "<a><b><c><d><e>"},
    {"<!-- <!-- nested --> --><a>", "T<a>"},
    {"<!-- never closed <a>", ""},
    // Bogus comments end at the first ">", wherever it is.
    {"<?xml version=\"1.0\"?><a></ x><b><!x y><c></><d>", "<a><b><c><d>"},
    {"<?php echo '<b>' ?><c>", "T<c>"},
    {"<!DOCTYPE html PUBLIC \"x>y\"><a><!doctype html><b>", "T<a><b>"},
    {"<![CDATA[<a>]]><b>", "T<b>"},
    // Text: only what is not whitespace counts, references included.
    {" \t\r\n\f<a>&#32;&#x9;&Tab;&NewLine;&#13;&#x000000020;<b>", "<a><b>"},
    {"&#65;<a>&amp;<b>&<c>&#x;<d>&Tabs;<e>< f><1><g>", "T<a>T<b>T<c>T<d>T<e>TT<g>"},
    // Attributes in their odd forms.
    {"<a b=1 c='2' d=\"3\" e f = \"4\"g=5 =h i=j/k/>",
     "<a b=\"1\" c=\"2\" d=\"3\" e=\"\" f=\"4\" g=\"5\" =h=\"\" i=\"j/k/\">"},
    {"<META NAME=X Name=y><x/a='1'/b/><x a=\">\" b='\"'>",
     "<meta name=\"X\" name=\"y\"><x a=\"1\" b=\"\"/><x a=\">\" b=\"\"\">"},
    {"<a\0b c\0d=e\0f>"sv,
     "<a\xEF\xBF\xBD"
     "b c\0d=\"e\0f\">"sv},
    {"<a b=>c<d b= >", "<a b=\"\">T<d b=\"\">"},
    {"</a b=\">\"><a/b>", "</a b=\">\"><a b=\"\">"},
    // Raw text ends only at its element's end tag, which may have attributes.
    {"<title><a>&amp;</tit></title x=\">\"><b>", "<title></title x=\">\"><b>"},
    {"<style></styl></styles></style\t><c>", "<style></style><c>"},
    {"<textarea></TEXTAREA/><d>", "<textarea></textarea/><d>"},
    {"<noscript><a></noscript><b>", "<noscript></noscript><b>"},
    {"<xmp><a></xmp><iframe><b></iframe><noembed><c></noembed><noframes><d></noframes>",
     "<xmp></xmp><iframe></iframe><noembed></noembed><noframes></noframes>"},
    {"<title>unclosed <a>", "<title>"},
    // Script data and its escapes.
    {"<script>if (a<b) x = '</scr' + 'ipt>';</script><a>", "<script></script><a>"},
    {"<script><!--<script>x</script>--></script><a>", "<script></script><a>"},
    {"<script><!--<script>--></script><a>", "<script></script><a>"},
    {"<script><!--</script><a>", "<script></script><a>"},
    {"<script><!--<script></script><a>", "<script>"},
    {"<script><!-->x</script><a>", "<script></script><a>"},
    {"<script>a<!-b</script><c>", "<script></script><c>"},
    {"<script><!--<scripts></script><a>", "<script></script><a>"},
    {"<script><!--<script/></SCRIPT x>--></script><a>", "<script></script><a>"},
    {"<plaintext></plaintext><a>", "<plaintext>"},
};

TEST(HtmlTokenizer, EndsEveryTokenWhereABrowserDoes) {
  for (const auto& c : kCases) EXPECT_EQ(tokens(c.html), c.expected) << c.html;
}

TEST(HtmlTokenizer, GivesTheSameTokensWhereverTheTextReadSoFarEnds) {
  for (const auto& c : kCases) {
    for (const std::size_t step : {1, 2, 3, 5, 7})
      EXPECT_EQ(tokens(c.html, step), c.expected) << c.html << " in steps of " << step;
  }
}

TEST(HtmlTokenizer, ReadsCdataSectionsOnlyWhereTheBuilderAllowsThem) {
  constexpr std::string_view kHtml = "<![CDATA[<a>]]]]><b>]]><c>";
  EXPECT_EQ(tokens(kHtml), "T<b>T<c>");
  EXPECT_EQ(tokens(kHtml, 0, true), "<b>T<c>");
  EXPECT_EQ(tokens(kHtml, 1, true), "<b>T<c>");
}

TEST(HtmlTokenizer, StartsPastAByteOrderMark) {
  HtmlTokenizer tokenizer;
  tokenizer.reset(3);
  EXPECT_EQ(tokenizer.next("\xEF\xBB\xBF<a>", true), TokenKind::StartTag);
  EXPECT_EQ(tokenizer.tag().name, "a");
  EXPECT_EQ(tokenizer.next("\xEF\xBB\xBF<a>", true), TokenKind::End);
}

}  // namespace
}  // namespace qorv
