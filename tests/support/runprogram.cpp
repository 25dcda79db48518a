#include "tests/support/runprogram.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include "tests/support/tempdir.h"

extern char** environ;

namespace qorv::test {

ProgramRun runProgram(const std::vector<std::string>& argv) {
  // Files rather than pipes: a program that writes much to both streams
  // cannot block on one while the other is read.
  TempDir outputs;
  const std::string out = outputs / "out";
  const std::string err = outputs / "err";
  std::vector<std::string> args = argv;
  std::vector<char*> argvZ;
  argvZ.reserve(args.size() + 1);
  for (std::string& arg : args) argvZ.push_back(arg.data());
  argvZ.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ProgramRun run;
  pid_t pid;
  if (!argvZ.empty() && argvZ[0] &&
      posix_spawnp(&pid, argvZ[0], &actions, nullptr, argvZ.data(), environ) == 0) {
    int status = 0;
    if (waitpid(pid, &status, 0) == pid && WIFEXITED(status)) run.status = WEXITSTATUS(status);
  }
  posix_spawn_file_actions_destroy(&actions);
  if (fileExists(out)) run.out = readFile(out);
  if (fileExists(err)) run.err = readFile(err);
  return run;
}

}  // namespace qorv::test
