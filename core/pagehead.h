#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/filesystem.h"

namespace qorv {

/// A `<meta>` element of a page's head; a missing attribute reads as empty.
struct HeadMeta {
  std::string name;
  std::string httpEquiv;
  std::string content;
  std::string charset;
  friend bool operator==(const HeadMeta&, const HeadMeta&) = default;
};

/// A `<link>` element of a page's head; a missing attribute reads as empty.
struct HeadLink {
  std::string rel;
  std::string href;
  std::string hreflang;
  friend bool operator==(const HeadLink&, const HeadLink&) = default;
};

/// What a page's head says about the page, as a browser's document holds
/// it: the elements that go into the head, in their order, with attribute
/// values in UTF-8 and their character references decoded. Elements inside
/// `<template>`, and tag-like text inside `<title>`, `<style>`, `<script>`,
/// `<noscript>` or `<noframes>`, are none of them.
struct PageHead {
  std::vector<HeadMeta> metas;
  std::vector<HeadLink> links;
  /// The `href` of the first `<base>` that has one.
  std::optional<std::string> baseHref;
  /// False when the page went on past `kMaxHeadBytes` without its head
  /// ending: what the head holds within them is all there is.
  bool complete = false;
  friend bool operator==(const PageHead&, const PageHead&) = default;
};

/// No page is read further than this: a head that has not ended by then is
/// taken for what it holds so far.
inline constexpr std::size_t kMaxHeadBytes = std::size_t{1024} * 1024;

/// How the bytes handed to `HeadParser::parse` relate to the page.
enum class PageStart {
  /// More bytes follow: the head may go on past them.
  More,
  /// The page ends with them.
  Whole,
  /// The page goes on, but no more of it will be read.
  Cut,
};

/// Reads page heads as the HTML standard's parser does, with scripts on as
/// in a browser: the head ends at the first element or text that goes into
/// the body, and elements that go into the head after "</head>" count. The
/// page's bytes are read in steps, each going on from where the one before
/// stopped. One parser serves a whole scan, one page after another; it is
/// not for two threads at once.
class HeadParser {
 public:
  HeadParser();
  ~HeadParser();
  HeadParser(const HeadParser&) = delete;
  HeadParser& operator=(const HeadParser&) = delete;

  /// Begins a new page: the next `parse` reads it from its start.
  void startPage();

  /// Reads the head on in `page`, the first bytes of the page: those given
  /// to the call before since `startPage`, and what followed them. True
  /// when `head` is final: the head ended within `page`, or no more bytes
  /// follow. False with `PageStart::More` when the head may go on: call
  /// again with more of the page.
  bool parse(std::string_view page, PageStart kind, PageHead& head);

 private:
  struct State;
  std::unique_ptr<State> m_state;
};

/// Reads the head of the page `name` of `folder` (links followed) with
/// `parser`, reading from the start in growing steps until the head ends,
/// the file ends or `kMaxHeadBytes` have been read. `buffer` holds the bytes
/// read; pass the same one for every page, so that its room is kept. False
/// when the entry is no regular file (it is not opened then); it fails when
/// the file cannot be opened or read. `head` is empty unless it gives true.
Result<bool> readPageHead(Folder& folder, std::string_view name, HeadParser& parser,
                          std::string& buffer, PageHead& head);

}  // namespace qorv
