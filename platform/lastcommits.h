#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/githistory.h"

namespace qorv {

/// Finds, for every file of a folder, the commit that `git log -1 -- FILE`
/// names, from the output of one `git log` over the whole history (run in
/// that folder with `logArguments()`), read piece by piece as it comes.
/// lastcommits.cpp tells why one pass gives each file the same answer.
class LastCommitReader {
 public:
  /// What was found for one path.
  struct Found {
    CommitTime time;
    /// Whether the path is in HEAD; when not, the commit found removed it.
    bool inHead = false;
  };

  LastCommitReader();

  /// The arguments after `git -C FOLDER` of the log this reads.
  static std::vector<std::string> logArguments();

  /// Takes the next piece of the log's output.
  void feed(std::string_view piece);
  /// Ends the output: false when it was not what that log writes (cut short
  /// or of another form), and the answers are then not to be trusted.
  bool finish();

  /// By path relative to the folder, once `finish` returned true.
  const std::unordered_map<std::string, Found, TextHash, std::equal_to<>>& found() const {
    return m_found;
  }

 private:
  enum class State { RecordStart, Header, AfterHeader, Message, EntryStatus, EntryPath, Broken };
  /// A merge's diff to one of its parents (an index into m_parents).
  struct Block {
    int parent = 0;
    std::vector<std::pair<char, std::string>> entries;
  };

  void takeToken(char delimiter);
  void takeHeaderLine(std::string_view line);
  void startRecord(std::string_view id, const std::vector<std::string_view>& parents,
                   std::string_view from);
  void takeEntry(char status, std::string&& path);
  void endCommit();
  void answer(const std::string& path, char status);
  int commitIndex(std::string_view id);
  int location(int commit);
  int locationOf(std::string_view path);
  void fail() { m_state = State::Broken; }

  State m_state = State::RecordStart;
  std::string m_token;  // the line or entry field being read
  char m_status = 0;    // of the entry whose path is being read
  bool m_commitLineSeen = false;
  bool m_headersComplete = false;

  // The commit being read: its index, parents (indexes) and, for a merge,
  // the paths each of its diffs lists (one block per parent that differs).
  int m_commit = -1;
  std::string m_commitId;
  std::vector<int> m_parents;
  CommitTime m_time;
  std::vector<Block> m_blocks;
  int m_blockParent = -1;

  std::unordered_map<std::string, int, TextHash, std::equal_to<>> m_commitIndex;
  // Where the group of paths that waited at a commit went once it was read:
  // its first parent, kNowhere after a root, kUnread before.
  std::vector<int> m_forward;
  int m_head = -1;
  // Paths that left their group at a merge for a later parent.
  std::unordered_map<std::string, int, TextHash, std::equal_to<>> m_moved;
  std::unordered_map<std::string, Found, TextHash, std::equal_to<>> m_found;
};

}  // namespace qorv
