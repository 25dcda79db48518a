#pragma once

#include <cstddef>
#include <string>

#include "platform/atomicfile.h"

namespace qorv {

/// Reads the whole file at `path` into `content`. False, with `content`
/// empty, when there is no such file or it cannot be read (a folder, no
/// permission).
bool readFileContent(const std::string& path, std::string& content);

/// Reads the whole plain file at `path` for a file about to be replaced: 0,
/// or the error number (ENOENT when there is none, ELOOP for a link under
/// `LinkPolicy::Refuse`, EISDIR or EPERM for what is no plain file, or that
/// of a failed open, read or close), with `content` empty on any error. At
/// most `limit` bytes are read, from the start. Under
/// `LinkPolicy::ReplaceTarget` a link is followed to the file it leads to.
int readFileForUpdate(const std::string& path, std::string& content,
                      std::size_t limit = static_cast<std::size_t>(-1),
                      LinkPolicy links = LinkPolicy::Refuse);

/// Removes the file at `path` if it is a plain file; a link, a folder or
/// nothing there is left alone. 0, or the error number of a failed removal.
int removeIfPlainFile(const std::string& path);

/// 0 when a file exists at `path` (of any kind, links followed), or the
/// error number of looking it up (ENOENT when there is none).
int pathError(const std::string& path);

/// Whether an existing file at `path` may be written by this process; a
/// read-only file must not be replaced behind its owner's back.
bool isWritableFile(const std::string& path);

/// Appends `text` to the file at `path`, creating it when missing. False
/// when the file cannot be opened or the text not written whole.
bool appendToFile(const std::string& path, const std::string& text);

}  // namespace qorv
