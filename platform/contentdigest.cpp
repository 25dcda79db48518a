#include "platform/contentdigest.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <xxhash.h>

#include <cerrno>
#include <cstdio>
#include <memory>

#include "platform/filedescriptor.h"
#include "platform/systemcalls.h"

namespace qorv {

namespace {

struct StateDeleter {
  void operator()(XXH3_state_t* state) const { XXH3_freeState(state); }
};

ContentDigest fromHash(XXH128_hash_t hash) { return {hash.high64, hash.low64}; }

/// Reads until `buffer` is full or the file ends: the bytes read, or -1.
ssize_t fill(int fd, char* buffer, std::size_t size) {
  std::size_t filled = 0;
  while (filled < size) {
    const ssize_t got = sys::read(fd, buffer + filled, size - filled);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return -1;
    if (got == 0) break;
    filled += static_cast<std::size_t>(got);
  }
  return static_cast<ssize_t>(filled);
}

Result<ContentDigest> digestOpenFile(int fd) {
  char buffer[64 * 1024];
  ssize_t got = fill(fd, buffer, sizeof buffer);
  if (got < 0) return Failure{errno};
  // Most pages fit the buffer: one call digests them, with no state to set up.
  if (static_cast<std::size_t>(got) < sizeof buffer)
    return fromHash(XXH3_128bits(buffer, static_cast<std::size_t>(got)));
  const std::unique_ptr<XXH3_state_t, StateDeleter> state(XXH3_createState());
  if (!state || XXH3_128bits_reset(state.get()) != XXH_OK) return Failure{ENOMEM};
  while (got > 0) {
    XXH3_128bits_update(state.get(), buffer, static_cast<std::size_t>(got));
    got = fill(fd, buffer, sizeof buffer);
  }
  if (got < 0) return Failure{errno};
  return fromHash(XXH3_128bits_digest(state.get()));
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

ContentDigest digestBytes(std::string_view bytes) {
  return fromHash(XXH3_128bits(bytes.data(), bytes.size()));
}

std::string digestText(const ContentDigest& digest) {
  char text[33];
  std::snprintf(text, sizeof text, "%016llx%016llx", static_cast<unsigned long long>(digest.high),
                static_cast<unsigned long long>(digest.low));
  return text;
}

std::optional<ContentDigest> readDigestText(std::string_view text) {
  if (text.size() != 32) return std::nullopt;
  std::uint64_t halves[2] = {0, 0};
  for (std::size_t i = 0; i < 32; ++i) {
    const int value = hexValue(text[i]);
    if (value < 0) return std::nullopt;
    halves[i / 16] = halves[i / 16] << 4 | static_cast<std::uint64_t>(value);
  }
  return ContentDigest{halves[0], halves[1]};
}

Result<std::optional<ContentDigest>> digestFileAt(int folderFd, const char* name) {
  // Looked at before it is opened, so that a FIFO is never opened at all;
  // opened without blocking and looked at again, in case what is there has
  // changed in between.
  struct stat st;
  if (sys::statAt(folderFd, name, &st, 0) != 0) return Failure{errno};
  if (!S_ISREG(st.st_mode)) return std::optional<ContentDigest>();
  // Only read: a failed close loses nothing.
  const FileDescriptor fd(
      sys::openAt(folderFd, name, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
  if (!fd) return Failure{errno};
  if (sys::fstat(fd.get(), &st) != 0) return Failure{errno};
  if (!S_ISREG(st.st_mode)) return std::optional<ContentDigest>();
  Result<ContentDigest> digest = digestOpenFile(fd.get());
  if (!digest) return Failure{digest.error()};
  return std::optional<ContentDigest>(*digest);
}

Result<std::optional<ContentDigest>> digestFile(const std::string& path) {
  return digestFileAt(AT_FDCWD, path.c_str());
}

}  // namespace qorv
