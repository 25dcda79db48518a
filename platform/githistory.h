#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>

namespace qorv {

/// The moment of a commit as its committer recorded it.
struct CommitTime {
  /// Seconds since 1970-01-01T00:00:00Z.
  std::int64_t utcSeconds = 0;
  /// The committer's zone, minutes east of UTC.
  int offsetMinutes = 0;
  friend bool operator==(const CommitTime&, const CommitTime&) = default;
};

/// What the history says of one file that the last commit holds.
struct GitFileHistory {
  /// The commit that `git log -1 -- FILE` names.
  CommitTime lastCommit;
  /// Whether the file is as that commit left it: no change, staged or not.
  bool clean = false;
  friend bool operator==(const GitFileHistory&, const GitFileHistory&) = default;
};

/// One pass over the history of the git repository that holds a folder:
/// for each file under the folder that the last commit (HEAD) holds, the
/// commit that last changed it.
struct GitHistory {
  enum class Status {
    /// The folder lies in no repository.
    NoRepository,
    /// There is one, but it cannot be read; `problem` says why.
    Unreadable,
    Ok,
    /// A shallow clone: the oldest commits it holds stand for all history
    /// before them, so some dates may be later than the real changes.
    Shallow,
    /// The caller stopped the pass.
    Stopped,
  };
  enum class Problem {
    None,
    /// The repository belongs to another user, and git's safe.directory
    /// rule refuses to read it.
    OtherOwner,
    /// git reports the repository's own files as broken.
    Damaged,
    /// No `git` program to run.
    GitMissing,
    /// Anything else that failed (git's output, the pipe, the wait).
    Failed,
  };

  Status status = Status::NoRepository;
  Problem problem = Problem::None;
  /// The repository's top folder; the folder asked about when git did not
  /// name one.
  std::string repository;
  /// git's own words (or ours) for a problem, for the error log.
  std::string detail;
  /// By path relative to the folder asked about, "/" between names.
  std::unordered_map<std::string, GitFileHistory> files;

  /// Whether the files' dates can be used (`Ok` or `Shallow`).
  bool hasDates() const { return status == Status::Ok || status == Status::Shallow; }
  /// The file at `path`; nothing when the last commit does not hold it (not
  /// tracked, or only added since).
  const GitFileHistory* find(const std::string& path) const {
    const auto found = files.find(path);
    return found == files.end() ? nullptr : &found->second;
  }
};

/// Where git histories come from: the scan takes one, tests give a fake.
class GitHistorySource {
 public:
  virtual ~GitHistorySource() = default;
  /// Reads the history of the repository that holds `folder` (an existing
  /// folder, best given as its real path). `keepGoing` is asked between
  /// pieces of the work, at least every 20 ms while git runs, so that a
  /// window can let events run; when it says false, the pass ends as
  /// `Stopped`.
  virtual GitHistory read(const std::string& folder, const std::function<bool()>& keepGoing) = 0;
};

/// Histories as Debian's `git` program reports them.
GitHistorySource& localGitHistory();

}  // namespace qorv
