#include "platform/lastcommits.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <span>

// Why one pass gives every file the answer of `git log -1 -- FILE`.
//
// For one file, that command walks from HEAD simplifying history by that
// path: a commit is TREESAME to a parent when the file is the same in both
// (absent from both counts as the same); a merge TREESAME to some parent is
// followed to the first such parent only; the first commit shown is the
// first one met that is TREESAME to none of its parents. Until then every
// commit met was TREESAME, so exactly one parent was followed at each: the
// walk is a single chain, and neither its date order nor clock skew matters.
// The answer is where that chain first meets a change of the file: a commit
// whose diff to its one parent lists the file, a merge whose diff to every
// parent lists it, or a root (a shallow clone's oldest commits included)
// that holds it.
//
// One `git log --topo-order` over the whole history shows every commit after
// all its children, each with its diff to each parent (a merge: one block per
// parent that differs, named by "(from P)"; no rename detection, which the
// simplification does not use either). Every file's chain is followed at
// once: all files start at HEAD, and the files waiting at a commit move on
// to its first parent as one group (a union-find over commits, m_forward),
// except those its diff to the first parent lists. At a non-merge or a root
// those are answered; at a merge each goes on to the first parent whose
// diff does not list it (PathState::moved), or is answered when every diff
// does. The
// work grows with the size of the log, not with files times commits.
//
// `git log -- .` over the folder cannot give this: it simplifies by the whole
// folder, so a merge that took one file from the side branch and kept
// another from the main line is TREESAME to neither parent for the folder,
// and the walk goes down both, where each file has its own parent to follow.

namespace qorv {

namespace {

constexpr int kUnread = -1;
constexpr int kNowhere = -2;

/// The blank-separated words of `text`, into `list`.
void splitWords(std::string_view text, std::vector<std::string_view>& list) {
  list.clear();
  while (!text.empty()) {
    const std::size_t end = std::min(text.find(' '), text.size());
    if (end > 0) list.push_back(text.substr(0, end));
    text.remove_prefix(std::min(end + 1, text.size()));
  }
}

/// "NAME <EMAIL> SECONDS ZONE", as a commit header records its committer.
/// git reads it from the last ">" on, and shows what does not read as the
/// epoch in UTC; so do we.
CommitTime committerTime(std::string_view identity, std::vector<std::string_view>& fields) {
  CommitTime time;
  const std::size_t close = identity.rfind('>');
  if (close == std::string_view::npos) return time;
  splitWords(identity.substr(close + 1), fields);
  if (fields.size() < 2) return time;
  std::int64_t seconds = 0;
  const auto [end, error] =
      std::from_chars(fields[0].data(), fields[0].data() + fields[0].size(), seconds);
  if (error != std::errc() || end != fields[0].data() + fields[0].size()) return time;
  time.utcSeconds = seconds;
  const std::string_view zone = fields[1];
  if (zone.size() == 5 && (zone[0] == '+' || zone[0] == '-') &&
      std::all_of(zone.begin() + 1, zone.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    const int hours = (zone[1] - '0') * 10 + (zone[2] - '0');
    const int minutes = (zone[3] - '0') * 10 + (zone[4] - '0');
    time.offsetMinutes = (zone[0] == '-' ? -1 : 1) * (hours * 60 + minutes);
  }
  return time;
}

bool isStatus(std::string_view token) {
  return token.size() == 1 && std::string_view("ADMTUX").find(token[0]) != std::string_view::npos;
}

}  // namespace

LastCommitReader::LastCommitReader() = default;

std::vector<std::string> LastCommitReader::logArguments() {
  // Every option that the user's configuration could turn otherwise is
  // spelt out: the form of the output (raw headers, full ids, no notes,
  // decorations or signatures), the diffs (each parent, roots included, no
  // renames) and the paths (relative to the folder, outside it left out).
  return {"log",
          "--topo-order",
          "--diff-merges=separate",
          "--root",
          "--name-status",
          "-z",
          "--pretty=raw",
          "--parents",
          "--no-abbrev-commit",
          "--no-renames",
          "--relative",
          "--no-decorate",
          "--no-notes",
          "--no-show-signature",
          "--no-mailmap",
          "--no-color",
          "--no-ext-diff",
          "HEAD",
          "--"};
}

void LastCommitReader::feed(std::string_view piece) {
  enum Ends { LineOrRecord, Line, Field };
  while (!piece.empty()) {
    Ends ends = Field;
    switch (m_state) {
      case State::Broken:
        return;
      case State::RecordStart: {
        const std::size_t start = piece.find_first_not_of('\0');
        if (start == std::string_view::npos) return;
        piece.remove_prefix(start);
        m_state = State::Header;
        m_commitLineSeen = false;
        m_headersComplete = false;
        continue;
      }
      case State::Header:
        ends = LineOrRecord;
        break;
      case State::AfterHeader:
      case State::Message:
        // A message line is indented; git writes no NUL into one, but a
        // commit object may hold one, and it must not end the record.
        ends = (m_token.empty() ? piece.front() : m_token.front()) == ' ' ? Line : LineOrRecord;
        break;
      case State::EntryStatus:
      case State::EntryPath:
        ends = Field;
        break;
    }
    std::size_t end = std::string_view::npos;
    if (ends == LineOrRecord) {
      // Header lines are short: a plain scan beats a search for a set.
      const auto at =
          std::find_if(piece.begin(), piece.end(), [](char c) { return c == '\n' || c == '\0'; });
      if (at != piece.end()) end = static_cast<std::size_t>(at - piece.begin());
    } else {
      end = piece.find(ends == Line ? '\n' : '\0');
    }
    if (end == std::string_view::npos) {
      m_token.append(piece);
      return;
    }
    m_token.append(piece.substr(0, end));
    const char delimiter = piece[end];
    piece.remove_prefix(end + 1);
    takeToken(delimiter);
    m_token.clear();
  }
}

void LastCommitReader::takeToken(char delimiter) {
  const bool lineEnd = delimiter == '\n';
  switch (m_state) {
    case State::Header:
      if (lineEnd && m_token.empty())
        m_state = m_headersComplete ? State::AfterHeader : State::Broken;
      else if (lineEnd)
        takeHeaderLine(m_token);
      else
        m_state = m_token.empty() && m_headersComplete ? State::RecordStart : State::Broken;
      return;
    case State::AfterHeader:
    case State::Message:
      if (lineEnd) {
        m_state = m_token.empty() ? State::EntryStatus : State::Message;
      } else if (m_token.empty()) {
        m_state = State::RecordStart;
      } else if (m_state == State::AfterHeader && isStatus(m_token)) {
        m_status = m_token.front();
        m_state = State::EntryPath;
      } else {
        fail();
      }
      return;
    case State::EntryStatus:
      if (m_token.empty()) {
        m_state = State::RecordStart;
      } else if (isStatus(m_token)) {
        m_status = m_token.front();
        m_state = State::EntryPath;
      } else {
        fail();
      }
      return;
    case State::EntryPath:
      if (m_token.empty()) return fail();
      // Before the entry is taken, which may find the log broken.
      m_state = State::EntryStatus;
      takeEntry(m_status, m_token);
      return;
    case State::RecordStart:
    case State::Broken:
      return;
  }
}

void LastCommitReader::takeHeaderLine(std::string_view line) {
  constexpr std::string_view kCommit = "commit ";
  constexpr std::string_view kCommitter = "committer ";
  if (!m_commitLineSeen) {
    // "commit ID PARENT... (from PARENT)": the parents as the walk sees them
    // (a shallow clone's oldest commits have none), then the parent this
    // record's diff is against, for a merge's per-parent records.
    if (line.substr(0, kCommit.size()) != kCommit) return fail();
    line.remove_prefix(kCommit.size());
    std::string_view from;
    if (const std::size_t open = line.find(" (from "); open != std::string_view::npos) {
      from = line.substr(open + 7);
      if (from.empty() || from.back() != ')') return fail();
      from.remove_suffix(1);
      line = line.substr(0, open);
    }
    splitWords(line, m_words);
    if (m_words.empty()) return fail();
    m_commitLineSeen = true;
    startRecord(m_words.front(), std::span(m_words).subspan(1), from);
  } else if (line.substr(0, kCommitter.size()) == kCommitter) {
    m_time = committerTime(line.substr(kCommitter.size()), m_words);
    // Every commit header names its committer; a record without one was
    // cut short.
    m_headersComplete = true;
  }
}

void LastCommitReader::startRecord(std::string_view id, std::span<const std::string_view> parents,
                                   std::string_view from) {
  const bool again = m_commit >= 0 && id == m_commitId;
  if (!again) {
    endCommit();
    m_commitId = id;
    m_commit = commitIndex(id);
    // Each commit once, after its children: anything else is not the log
    // this reads, and would leave files waiting at a commit already passed.
    if (m_forward[static_cast<std::size_t>(m_commit)] != kUnread) return fail();
    if (m_head < 0) m_head = m_commit;
    m_parents.clear();
    for (std::string_view parent : parents) {
      const int index = commitIndex(parent);
      // A parent read already (or the commit itself) breaks the order too,
      // and would let the groups of files go round in a circle.
      if (index == m_commit || m_forward[static_cast<std::size_t>(index)] != kUnread) return fail();
      m_parents.push_back(index);
    }
    m_blocks.clear();
    m_listed.clear();
    m_time = {};
  }
  // Only a merge comes in several records, one for each parent it differs
  // from, each naming that parent; one that differs from none comes once,
  // naming none.
  if ((again && from.empty()) || (m_parents.size() <= 1 && !from.empty())) return fail();
  m_blockParent = -1;
  if (!from.empty()) {
    m_key.assign(from);
    const auto found = m_commitIndex.find(m_key);
    const auto position = found == m_commitIndex.end()
                              ? m_parents.end()
                              : std::find(m_parents.begin(), m_parents.end(), found->second);
    if (position == m_parents.end()) return fail();
    m_blockParent = static_cast<int>(position - m_parents.begin());
  }
  if (m_parents.size() > 1) {
    if (m_blockParent >= 0) m_blocks.push_back({m_blockParent, {}});
  }
}

LastCommitReader::PathState& LastCommitReader::stateOf(const std::string& path) {
  auto found = m_paths.find(path);
  if (found == m_paths.end()) found = m_paths.emplace(path, PathState{}).first;
  return found->second;
}

bool LastCommitReader::waitsHere(const PathState& state) {
  return !state.answered && location(state.moved >= 0 ? state.moved : m_head) == m_commit;
}

void LastCommitReader::takeEntry(char status, const std::string& path) {
  if (m_parents.size() <= 1) {
    // A root or a commit with one parent: a file listed here and waiting
    // here changed here.
    PathState& state = stateOf(path);
    if (waitsHere(state)) answer(state, status);
    return;
  }
  if (m_blocks.empty()) return fail();  // a merge's diff must name its parent
  m_blocks.back().entries.push_back({status, static_cast<std::uint32_t>(m_listed.size()),
                                     static_cast<std::uint32_t>(path.size())});
  m_listed += path;
}

void LastCommitReader::endCommit() {
  if (m_commit < 0) return;
  if (m_parents.size() > 1) {
    const auto firstParent = std::find_if(m_blocks.begin(), m_blocks.end(),
                                          [](const Block& block) { return block.parent == 0; });
    if (firstParent != m_blocks.end()) {
      // Later parents' diffs as sorted lists, made only once a file needs
      // them.
      std::vector<std::vector<std::string_view>> listed;
      for (const Block::Entry& entry : firstParent->entries) {
        m_key.assign(pathOf(entry));
        PathState& state = stateOf(m_key);
        if (!waitsHere(state)) continue;
        if (listed.empty()) {
          listed.resize(m_parents.size());
          for (const Block& block : m_blocks) {
            if (block.parent == 0) continue;
            std::vector<std::string_view>& paths = listed[static_cast<std::size_t>(block.parent)];
            for (const Block::Entry& other : block.entries) paths.push_back(pathOf(other));
            std::sort(paths.begin(), paths.end());
          }
        }
        std::size_t same = 1;
        while (same < m_parents.size() &&
               std::binary_search(listed[same].begin(), listed[same].end(), pathOf(entry)))
          ++same;
        if (same < m_parents.size())
          state.moved = m_parents[same];
        else
          answer(state, entry.status);
      }
    }
  }
  m_forward[static_cast<std::size_t>(m_commit)] = m_parents.empty() ? kNowhere : m_parents.front();
  m_commit = -1;
  m_commitId.clear();
}

bool LastCommitReader::finish() {
  // The last record may end where any record can: after its headers, a
  // line of its message or its last diff entry.
  bool whole = m_token.empty();
  switch (m_state) {
    case State::Broken:
    case State::EntryPath:
      whole = false;
      break;
    case State::Header:
      whole = whole && m_headersComplete;
      break;
    case State::RecordStart:
    case State::AfterHeader:
    case State::Message:
    case State::EntryStatus:
      break;
  }
  if (!whole) return false;
  endCommit();
  return true;
}

std::vector<std::pair<std::string, LastCommitReader::Found>> LastCommitReader::takeFound() {
  std::vector<std::pair<std::string, Found>> found;
  found.reserve(m_paths.size());
  while (!m_paths.empty()) {
    auto node = m_paths.extract(m_paths.begin());
    if (node.mapped().answered) found.emplace_back(std::move(node.key()), node.mapped().found);
  }
  return found;
}

void LastCommitReader::answer(PathState& state, char status) {
  state.answered = true;
  state.found = {m_time, status != 'D'};
}

int LastCommitReader::commitIndex(std::string_view id) {
  m_key.assign(id);
  const auto [entry, added] = m_commitIndex.try_emplace(m_key, static_cast<int>(m_forward.size()));
  if (added) m_forward.push_back(kUnread);
  return entry->second;
}

int LastCommitReader::location(int commit) {
  int root = commit;
  while (root >= 0 && m_forward[static_cast<std::size_t>(root)] != kUnread)
    root = m_forward[static_cast<std::size_t>(root)];
  // Path compression, so that long chains are walked once.
  while (commit >= 0 && m_forward[static_cast<std::size_t>(commit)] != kUnread &&
         m_forward[static_cast<std::size_t>(commit)] != root) {
    const int next = m_forward[static_cast<std::size_t>(commit)];
    m_forward[static_cast<std::size_t>(commit)] = root;
    commit = next;
  }
  return root;
}

}  // namespace qorv
