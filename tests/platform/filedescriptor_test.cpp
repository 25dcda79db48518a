#include "platform/filedescriptor.h"

#include <fcntl.h>
#include <gtest/gtest.h>

#include <cerrno>

#include "platform/faultpoints.h"
#include "tests/support/tempdir.h"

namespace qorv {
namespace {

bool isOpen(int fd) { return fcntl(fd, F_GETFD) != -1; }

TEST(FileDescriptor, IsClosedWhenItGoesAndNotWhenGivenUp) {
  test::TempDir dir;
  const std::string path = dir.writeFile("f");
  int dropped = -1;
  {
    const FileDescriptor fd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    ASSERT_TRUE(fd);
    dropped = fd.get();
  }
  EXPECT_FALSE(isOpen(dropped));
  int kept = -1;
  {
    FileDescriptor fd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    kept = fd.release();
    EXPECT_FALSE(fd);
  }
  EXPECT_TRUE(isOpen(kept));
  close(kept);
  EXPECT_FALSE(FileDescriptor(-1)) << "what a failed open gives is none";
}

TEST(FileDescriptor, MovedDescriptorIsClosedOnceByItsNewOwner) {
  test::TempDir dir;
  FileDescriptor first(open(dir.writeFile("f").c_str(), O_RDONLY | O_CLOEXEC));
  const int fd = first.get();
  FileDescriptor second = std::move(first);
  EXPECT_EQ(second.get(), fd);
  EXPECT_TRUE(second.close());
  EXPECT_FALSE(isOpen(fd));
  EXPECT_EQ(second.close().error(), EBADF) << "nothing left to close";
}

#ifdef QORV_FAULT_POINTS
TEST(FileDescriptor, FailedCloseIsReportedAndStillReleasesTheDescriptor) {
  test::TempDir dir;
  FileDescriptor fd(open(dir.writeFile("f").c_str(), O_WRONLY | O_CLOEXEC));
  const int number = fd.get();
  const FaultScope fault("close", 1, EIO);
  EXPECT_EQ(fd.close().error(), EIO);
  EXPECT_FALSE(fd);
  EXPECT_FALSE(isOpen(number));
}
#endif

}  // namespace
}  // namespace qorv
