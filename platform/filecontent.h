#pragma once

#include <cstddef>
#include <string>

#include "platform/atomicfile.h"
#include "platform/result.h"

namespace qorv {

/// The whole file at `path`; fails when there is no such file or it cannot
/// be read (a folder, no permission).
Result<std::string> readFileContent(const std::string& path);

/// The whole plain file at `path`, read for a file about to be replaced;
/// fails with ENOENT when there is none, ELOOP for a link under
/// `LinkPolicy::Refuse`, EISDIR or EPERM for what is no plain file, or the
/// error of a failed open, read or close. At most `limit` bytes are read,
/// from the start. Under `LinkPolicy::ReplaceTarget` a link is followed to
/// the file it leads to.
Result<std::string> readFileForUpdate(const std::string& path,
                                      std::size_t limit = static_cast<std::size_t>(-1),
                                      LinkPolicy links = LinkPolicy::Refuse);

/// Removes the file at `path` if it is a plain file; a link, a folder or
/// nothing there is left alone. Fails only when a removal fails.
Result<void> removeIfPlainFile(const std::string& path);

/// Succeeds when a file exists at `path` (of any kind, links followed);
/// fails with the error of looking it up (ENOENT when there is none).
Result<void> lookUpPath(const std::string& path);

/// Whether an existing file at `path` may be written by this process; a
/// read-only file must not be replaced behind its owner's back.
bool isWritableFile(const std::string& path);

/// Appends `text` to the file at `path`, creating it when missing. Fails
/// when the file cannot be opened, the text not written whole or the file
/// not closed.
Result<void> appendToFile(const std::string& path, const std::string& text);

}  // namespace qorv
