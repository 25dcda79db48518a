#include "platform/githistory.h"

#include <cerrno>
#include <optional>
#include <string_view>
#include <system_error>
#include <unordered_set>
#include <vector>

#include "platform/childprocess.h"
#include "platform/lastcommits.h"

namespace qorv {

namespace {

/// The environment git runs in: the repository is the one found upwards
/// from the folder (nothing the caller's environment points at), its
/// messages are in English so that they can be told apart, it writes
/// nothing into the repository (no refreshed index) and asks nothing, and
/// its output comes in full buffers rather than a write per commit.
std::vector<std::string> gitEnvironment() {
  return childEnvironment({"GIT_DIR", "GIT_WORK_TREE", "GIT_INDEX_FILE", "GIT_OBJECT_DIRECTORY",
                           "GIT_ALTERNATE_OBJECT_DIRECTORIES", "GIT_COMMON_DIR", "GIT_NAMESPACE",
                           "GIT_PREFIX", "LANGUAGE"},
                          {"LC_ALL=C", "GIT_OPTIONAL_LOCKS=0", "GIT_TERMINAL_PROMPT=0",
                           "GIT_LITERAL_PATHSPECS=1", "GIT_FLUSH=0"});
}

struct GitRun {
  Result<ChildExit> exit = ChildExit{};
  std::string output;
};

/// The git runs of one pass, in one folder and one environment.
class Git {
 public:
  Git(const std::string& folder, const std::function<bool()>& keepGoing)
      : m_folder(folder), m_keepGoing(keepGoing), m_environment(gitEnvironment()) {}

  /// Starts `git -C FOLDER ARGUMENTS...`.
  /// Starts `git -C FOLDER ARGUMENTS...`; a failure to start is the
  /// finish's.
  void start(ChildProcess& child, const std::vector<std::string>& arguments) const {
    std::vector<std::string> argv = {"git", "-C", m_folder};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    static_cast<void>(child.start(argv, m_environment));
  }

  /// Reads a run to its end: its output collected or, with `onOutput`,
  /// handed on. Not begun when the caller has asked to stop.
  GitRun finish(ChildProcess& child,
                const std::function<void(std::string_view)>& onOutput = nullptr) const {
    GitRun run;
    if (!m_keepGoing()) {
      run.exit->stopped = true;
      return run;
    }
    run.exit = child.finish([&](std::string_view piece) {
      if (onOutput)
        onOutput(piece);
      else
        run.output.append(piece);
      return m_keepGoing();
    });
    return run;
  }

  GitRun run(const std::vector<std::string>& arguments,
             const std::function<void(std::string_view)>& onOutput = nullptr) const {
    ChildProcess child;
    start(child, arguments);
    return finish(child, onOutput);
  }

 private:
  const std::string& m_folder;
  const std::function<bool()>& m_keepGoing;
  std::vector<std::string> m_environment;
};

bool contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

/// The first line git wrote to its standard error, without "fatal: ".
std::string firstLine(std::string_view text) {
  for (std::string_view prefix : {"fatal: ", "error: "})
    if (text.substr(0, prefix.size()) == prefix) text.remove_prefix(prefix.size());
  return std::string(text.substr(0, text.find('\n')));
}

GitHistory failure(GitHistory::Problem problem, std::string repository, std::string detail) {
  GitHistory history;
  history.status = GitHistory::Status::Unreadable;
  history.problem = problem;
  history.repository = std::move(repository);
  history.detail = std::move(detail);
  return history;
}

/// What a run that did not end with exit status 0 means for the history.
/// Nothing when it did.
std::optional<GitHistory> runFailure(const GitRun& run, const std::string& repository) {
  if (!run.exit && run.exit.error() == ENOENT)
    return failure(GitHistory::Problem::GitMissing, repository, "git: not found");
  if (!run.exit)
    return failure(GitHistory::Problem::Failed, repository,
                   "git: " + std::generic_category().message(run.exit.error()));
  if (run.exit->stopped) {
    GitHistory history;
    history.status = GitHistory::Status::Stopped;
    history.repository = repository;
    return history;
  }
  if (run.exit->exitStatus != 0)
    return failure(GitHistory::Problem::Damaged, repository, firstLine(run.exit->errorOutput));
  return std::nullopt;
}

class PosixGitHistory : public GitHistorySource {
 public:
  GitHistory read(const std::string& folder, const std::function<bool()>& keepGoing) override;
};

GitHistory PosixGitHistory::read(const std::string& folder,
                                 const std::function<bool()>& keepGoing) {
  const Git git(folder, keepGoing);
  // The three runs start at once, so that the log, the longest, need not
  // wait for the others: what differs from HEAD in the working tree, staged
  // or not, is found while the log is read. The index's file times are
  // refreshed in memory only (GIT_OPTIONAL_LOCKS=0), so a file merely
  // touched is no change. Outside a repository the two later runs fail
  // as the first does, and are not looked at.
  ChildProcess whereChild;
  ChildProcess diff;
  ChildProcess logChild;
  git.start(whereChild, {"rev-parse", "--is-shallow-repository", "--show-toplevel"});
  git.start(diff, {"diff", "--name-only", "-z", "--no-renames", "--relative",
                   "--ignore-submodules=all", "--no-ext-diff", "--no-color", "HEAD", "--", "."});
  git.start(logChild, LastCommitReader::logArguments());
  const GitRun where = git.finish(whereChild);
  if (where.exit && where.exit->exitStatus > 0) {
    const std::string_view said = where.exit->errorOutput;
    // Outside any working tree: no repository above the folder, or the
    // folder lies inside a repository's own files (.git, a bare one).
    if (contains(said, "not a git repository (or any") ||
        contains(said, "must be run in a work tree"))
      return {};
    constexpr std::string_view kOwnership = "detected dubious ownership in repository at '";
    if (const std::size_t at = said.find(kOwnership); at != std::string_view::npos) {
      std::string_view repository = said.substr(at + kOwnership.size());
      repository = repository.substr(0, repository.find('\''));
      return failure(GitHistory::Problem::OtherOwner, std::string(repository), firstLine(said));
    }
  }
  if (auto failed = runFailure(where, folder)) return *std::move(failed);

  GitHistory history;
  const std::string_view shallow = "true\n";
  history.status = where.output.substr(0, shallow.size()) == shallow ? GitHistory::Status::Shallow
                                                                     : GitHistory::Status::Ok;
  // The top folder comes last, so that a line break in its name stays in it.
  history.repository = where.output.substr(where.output.find('\n') + 1);
  if (!history.repository.empty() && history.repository.back() == '\n')
    history.repository.pop_back();

  LastCommitReader commits;
  const GitRun log = git.finish(logChild, [&](std::string_view piece) { commits.feed(piece); });
  if (log.exit && log.exit->exitStatus > 0) {
    // A repository without a first commit yet has no history to read.
    const GitRun head = git.run({"rev-parse", "-q", "--verify", "HEAD^{commit}"});
    if (head.exit && head.exit->exitStatus == 1) return history;
  }
  if (auto failed = runFailure(log, history.repository)) return *std::move(failed);
  if (!commits.finish())
    return failure(GitHistory::Problem::Failed, history.repository,
                   "git log: output of an unexpected form");

  std::unordered_set<std::string> changed;
  std::string pending;
  const GitRun changes = git.finish(diff, [&](std::string_view piece) {
    pending.append(piece);
    std::size_t start = 0;
    for (std::size_t end; (end = pending.find('\0', start)) != std::string::npos; start = end + 1)
      changed.emplace(pending, start, end - start);
    pending.erase(0, start);
  });
  if (auto failed = runFailure(changes, history.repository)) return *std::move(failed);

  std::vector<std::pair<std::string, LastCommitReader::Found>> dated = commits.takeFound();
  history.files.reserve(dated.size());
  for (auto& [path, found] : dated) {
    if (!found.inHead) continue;
    const bool clean = !changed.contains(path);
    history.files.emplace(std::move(path), GitFileHistory{found.time, clean});
  }
  return history;
}

}  // namespace

GitHistorySource& localGitHistory() {
  static PosixGitHistory source;
  return source;
}

}  // namespace qorv
