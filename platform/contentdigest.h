#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/result.h"

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

/// Digests the whole content of the file `name` in the folder open as
/// `folderFd` (AT_FDCWD: `name` is a path), links followed; nothing when it
/// is no plain file (a FIFO, a device, a socket, a folder). Only a plain
/// file is opened: opening a FIFO would wait for a writer, and a device
/// could give bytes for ever. Fails with the error of looking the file up,
/// opening or reading it, which `failureKind` (filesystem.h) sorts into
/// gone, refused and failed.
Result<std::optional<ContentDigest>> digestFileAt(int folderFd, const char* name);

/// The same for the file at `path`.
Result<std::optional<ContentDigest>> digestFile(const std::string& path);

}  // namespace qorv
