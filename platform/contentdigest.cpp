#include "platform/contentdigest.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <xxhash.h>

#include <cerrno>
#include <cstdio>
#include <memory>

#include "platform/systemcalls.h"

namespace qorv {

namespace {

DigestStatus failure(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
    case ELOOP:
      return {DigestStatus::Gone, error};
    case EACCES:
    case EPERM:
      return {DigestStatus::AccessDenied, error};
    default:
      return {DigestStatus::Failed, error};
  }
}

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

DigestStatus digestOpenFile(int fd, ContentDigest& digest) {
  char buffer[64 * 1024];
  ssize_t got = fill(fd, buffer, sizeof buffer);
  if (got < 0) return {DigestStatus::Failed, errno};
  // Most pages fit the buffer: one call digests them, with no state to set up.
  if (static_cast<std::size_t>(got) < sizeof buffer) {
    digest = fromHash(XXH3_128bits(buffer, static_cast<std::size_t>(got)));
    return {};
  }
  const std::unique_ptr<XXH3_state_t, StateDeleter> state(XXH3_createState());
  if (!state || XXH3_128bits_reset(state.get()) != XXH_OK) return {DigestStatus::Failed, ENOMEM};
  while (got > 0) {
    XXH3_128bits_update(state.get(), buffer, static_cast<std::size_t>(got));
    got = fill(fd, buffer, sizeof buffer);
  }
  if (got < 0) return {DigestStatus::Failed, errno};
  digest = fromHash(XXH3_128bits_digest(state.get()));
  return {};
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

DigestStatus digestFileAt(int folderFd, const char* name, ContentDigest& digest) {
  // Looked at before it is opened, so that a FIFO is never opened at all;
  // opened without blocking and looked at again, in case what is there has
  // changed in between.
  struct stat st;
  if (sys::statAt(folderFd, name, &st, 0) != 0) return failure(errno);
  if (!S_ISREG(st.st_mode)) return {DigestStatus::NotRegular, 0};
  const int fd = sys::openAt(folderFd, name, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return failure(errno);
  DigestStatus status;
  if (sys::fstat(fd, &st) != 0) {
    status = failure(errno);
  } else if (!S_ISREG(st.st_mode)) {
    status = {DigestStatus::NotRegular, 0};
  } else {
    status = digestOpenFile(fd, digest);
  }
  // Only read: closing loses nothing.
  sys::close(fd);
  return status;
}

DigestStatus digestFile(const std::string& path, ContentDigest& digest) {
  return digestFileAt(AT_FDCWD, path.c_str(), digest);
}

}  // namespace qorv
