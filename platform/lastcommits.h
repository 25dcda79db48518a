#pragma once

#include <cstdint>
#include <span>
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

  /// Each path (relative to the folder) whose last commit was found, with
  /// what was found, in no order; handed over once `finish` returned true.
  std::vector<std::pair<std::string, Found>> takeFound();

 private:
  enum class State { RecordStart, Header, AfterHeader, Message, EntryStatus, EntryPath, Broken };
  /// A merge's diff to one of its parents (an index into m_parents); the
  /// paths are kept one after another in m_listed.
  struct Block {
    struct Entry {
      char status;
      std::uint32_t start;
      std::uint32_t length;
    };
    int parent = 0;
    std::vector<Entry> entries;
  };
  std::string_view pathOf(const Block::Entry& entry) const {
    return std::string_view(m_listed).substr(entry.start, entry.length);
  }

  void takeToken(char delimiter);
  void takeHeaderLine(std::string_view line);
  void startRecord(std::string_view id, std::span<const std::string_view> parents,
                   std::string_view from);
  /// What is known of one path: the merge parent it went on to, when it
  /// left its group, or that its answer is found.
  struct PathState {
    int moved = -1;
    bool answered = false;
    Found found;
  };

  void takeEntry(char status, const std::string& path);
  void endCommit();
  PathState& stateOf(const std::string& path);
  bool waitsHere(const PathState& state);
  void answer(PathState& state, char status);
  int commitIndex(std::string_view id);
  int location(int commit);
  void fail() { m_state = State::Broken; }

  State m_state = State::RecordStart;
  std::vector<std::string_view> m_words;  // of the header line being read
  std::string m_key;                      // a lookup's key, its buffer kept
  std::string m_token;                    // the line or entry field being read
  char m_status = 0;                      // of the entry whose path is being read
  bool m_commitLineSeen = false;
  bool m_headersComplete = false;

  // The commit being read: its index, parents (indexes) and, for a merge,
  // the paths each of its diffs lists (one block per parent that differs).
  int m_commit = -1;
  std::string m_commitId;
  std::vector<int> m_parents;
  CommitTime m_time;
  std::vector<Block> m_blocks;
  std::string m_listed;
  int m_blockParent = -1;

  std::unordered_map<std::string, int> m_commitIndex;
  // Where the group of paths that waited at a commit went once it was read:
  // its first parent, kNowhere after a root, kUnread before.
  std::vector<int> m_forward;
  int m_head = -1;
  std::unordered_map<std::string, PathState> m_paths;
};

}  // namespace qorv
