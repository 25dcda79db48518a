#pragma once

#include <cstddef>
#include <string>

#include "platform/filedescriptor.h"
#include "platform/result.h"

// Reading plain files, shared by the platform's own sources.

namespace qorv {

/// A plain file opened for reading, and its size.
struct PlainFile {
  FileDescriptor fd;
  std::size_t size;
};

/// `fd`, just opened (-1 when the open failed, with errno still set), if
/// it is a plain file: EISDIR for a folder, EPERM for anything else.
Result<PlainFile> asPlainFile(FileDescriptor fd);

/// Appends what `fd` holds from where it stands to `content`, up to its end
/// or until `content` holds `limit` bytes.
Result<void> readUpTo(int fd, std::size_t limit, std::string& content);

}  // namespace qorv
