#pragma once

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core/generatorsettings.h"

namespace qorv {

inline constexpr std::string_view kSitemapFileName = "sitemap.xml";
/// The protocol's limits, all inclusive: a file of schema 0.84 holds at
/// most 10 MiB, one of 0.9 at most 50 MiB, and either 50,000 URLs.
inline constexpr std::uint64_t kMaxSitemapBytes = 10485760;
inline constexpr std::uint64_t kMaxSitemapBytes09 = 52428800;
inline constexpr std::uint64_t kMaxSitemapUrls = 50000;

/// The size limit of a file of `schema`.
constexpr std::uint64_t maxSitemapBytes(SitemapSchema schema) {
  return schema == SitemapSchema::V09 ? kMaxSitemapBytes09 : kMaxSitemapBytes;
}

/// Whether a url element of `elementBytes` must begin a new part rather
/// than join the current one, which holds `urls` elements in `bytes` (its
/// head included) and has an end tag of `tailBytes` still to come: either
/// limit would be passed. A part's first element stays whatever its size.
bool startsNewPart(std::uint64_t urls, std::uint64_t bytes, std::uint64_t elementBytes,
                   std::uint64_t tailBytes, std::uint64_t maxBytes);

/// The file name of part `number` (from 1) under an index: "sitemap-N.xml".
std::string partName(std::size_t number);

/// Whether `name` has the exact form of a part: "sitemap-N.xml", N decimal.
bool isPartName(std::string_view name);

/// Whether a document, or its start, is a sitemap index.
bool isSitemapIndex(std::string_view document);

/// How much of an old sitemap.xml tells whether it is an index: an index
/// names itself near its start, so a urlset of many megabytes is never read
/// whole. A start this long that is an index is then read whole.
inline constexpr std::size_t kIndexHeadBytes = std::size_t{64} * 1024;

/// The parts an earlier sitemap index named, each by the last path segment
/// of its loc, and only those of the form of a part: the old file may come
/// from anywhere, so nothing else it names is ever touched. None when the
/// document is no index.
std::set<std::string> partsNamedBy(std::string_view document);

/// The parts of `oldParts` that a write of `partCount` parts (0 for one
/// file holding the URLs itself) does not write again, with their gzip
/// copies: each name, then its copy's.
std::vector<std::string> staleParts(const std::set<std::string>& oldParts, std::size_t partCount);

}  // namespace qorv
