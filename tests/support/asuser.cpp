#include "tests/support/asuser.h"

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace qorv::test {

int runAsNobody(const std::function<int()>& body) {
  const pid_t child = fork();
  if (child < 0) return -1;
  if (child == 0) {
    if (setgroups(0, nullptr) != 0 && getuid() == 0) _exit(255);
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(255);
    _exit(body());
  }
  int status = 0;
  if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  const int code = WEXITSTATUS(status);
  return code == 255 ? -1 : code;
}

}  // namespace qorv::test
