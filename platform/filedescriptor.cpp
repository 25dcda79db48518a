#include "platform/filedescriptor.h"

#include <cerrno>

#include "platform/systemcalls.h"

namespace qorv {

Result<void> FileDescriptor::close(const char* file, int line) {
  if (m_fd < 0) return Failure{EBADF};
  if (sys::close(release(), file, line) != 0) return Failure{errno};
  return {};
}

void FileDescriptor::reset() noexcept {
  if (m_fd >= 0) sys::close(release());
}

}  // namespace qorv
