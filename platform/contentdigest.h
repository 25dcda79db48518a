#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qorv {

/// The XXH3-128 digest of some bytes: equal bytes, equal digests, and a
/// change of any of them changes it but for a chance too small to matter.
/// Not a defence against someone crafting a file to match.
struct ContentDigest {
  std::uint64_t high = 0;
  std::uint64_t low = 0;
  friend bool operator==(const ContentDigest&, const ContentDigest&) = default;
};

ContentDigest digestBytes(std::string_view bytes);

/// 32 lower-case hex digits, high half first, as `xxhsum -H2` prints it.
std::string digestText(const ContentDigest& digest);
/// Reads `digestText`'s form back; nothing for any other text.
std::optional<ContentDigest> readDigestText(std::string_view text);

/// How digesting a file went. `code` is the error number when `kind` is
/// neither `Ok` nor `NotRegular`.
struct DigestStatus {
  /// `NotRegular`: a FIFO, a device, a socket or a folder, never opened.
  /// `Gone`: not there (any more), or a link that leads nowhere (ENOENT,
  /// ENOTDIR, ELOOP). `AccessDenied`: refused (EACCES, EPERM). `Failed`:
  /// anything else, an input/output error among them.
  enum Kind { Ok, NotRegular, AccessDenied, Gone, Failed };
  Kind kind = Ok;
  int code = 0;
};

/// Digests the whole content of the file `name` in the folder open as
/// `folderFd` (AT_FDCWD: `name` is a path), links followed. Only a plain
/// file is opened: opening a FIFO would wait for a writer, and a device
/// could give bytes for ever.
DigestStatus digestFileAt(int folderFd, const char* name, ContentDigest& digest);

/// The same for the file at `path`.
DigestStatus digestFile(const std::string& path, ContentDigest& digest);

}  // namespace qorv
