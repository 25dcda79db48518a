// gitdates_libgit2 FOLDER [--list]
//
// The way not taken, kept to measure it: the same git dates as gitdates,
// read through libgit2 instead of the git program. Its own walk over the
// commits (children before parents) diffs each commit's tree for the folder
// against each parent's with a tree comparison of its own (libgit2's
// git_diff_tree_to_tree is slower still), writes what it finds in the form
// of the log that LastCommitReader reads, and lets that find each file's
// commit; the working tree is compared with HEAD through libgit2 too.
// libgit2 1.5 knows no shallow clones: a missing parent ends its walk with
// an error, and so it does here.

#include <git2.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/lastcommits.h"

namespace {

git_repository* repo = nullptr;

[[noreturn]] void fail(const char* what) {
  const git_error* error = git_error_last();
  std::fprintf(stderr, "gitdates_libgit2: %s: %s\n", what, error ? error->message : "?");
  std::exit(1);
}

std::string hex(const git_oid* id) {
  char text[GIT_OID_HEXSZ + 1];
  git_oid_tostr(text, sizeof text, id);
  return text;
}

/// The subtree at `prefix` ("" for the whole tree), or null.
git_tree* subtree(git_tree* tree, const std::string& prefix) {
  if (prefix.empty()) {
    git_tree* copy = nullptr;
    git_tree_dup(&copy, tree);
    return copy;
  }
  git_tree_entry* entry = nullptr;
  if (git_tree_entry_bypath(&entry, tree, prefix.c_str()) != 0) return nullptr;
  git_tree* found = nullptr;
  if (git_tree_entry_type(entry) == GIT_OBJECT_TREE)
    git_tree_lookup(&found, repo, git_tree_entry_id(entry));
  git_tree_entry_free(entry);
  return found;
}

/// Appends "STATUS\0PATH\0" for each file that differs between `from`
/// (a parent's tree, or null) and `to`.
void diffTrees(const git_tree* from, const git_tree* to, std::string& path, std::string& out) {
  auto visit = [&](const git_tree_entry* a, const git_tree_entry* b) {
    const git_tree_entry* named = b ? b : a;
    const std::size_t length = path.size();
    path += git_tree_entry_name(named);
    const bool folderA = a && git_tree_entry_type(a) == GIT_OBJECT_TREE;
    const bool folderB = b && git_tree_entry_type(b) == GIT_OBJECT_TREE;
    if (folderA || folderB) {
      git_tree* treeA = nullptr;
      git_tree* treeB = nullptr;
      if (folderA) git_tree_lookup(&treeA, repo, git_tree_entry_id(a));
      if (folderB) git_tree_lookup(&treeB, repo, git_tree_entry_id(b));
      const std::size_t nameEnd = path.size();
      path += '/';
      diffTrees(treeA, treeB, path, out);
      path.resize(nameEnd);
      git_tree_free(treeA);
      git_tree_free(treeB);
    }
    const bool fileA = a && !folderA;
    const bool fileB = b && !folderB;
    if (fileA || fileB) {
      out += fileA && fileB ? 'M' : (fileB ? 'A' : 'D');
      out += '\0';
      out += path;
      out += '\0';
    }
    path.resize(length);
  };
  const std::size_t countTo = to ? git_tree_entrycount(to) : 0;
  const std::size_t countFrom = from ? git_tree_entrycount(from) : 0;
  for (std::size_t i = 0; i < countTo; ++i) {
    const git_tree_entry* b = git_tree_entry_byindex(to, i);
    const git_tree_entry* a = from ? git_tree_entry_byname(from, git_tree_entry_name(b)) : nullptr;
    if (a && git_oid_equal(git_tree_entry_id(a), git_tree_entry_id(b)) &&
        git_tree_entry_filemode(a) == git_tree_entry_filemode(b))
      continue;
    visit(a, b);
  }
  for (std::size_t i = 0; i < countFrom; ++i) {
    const git_tree_entry* a = git_tree_entry_byindex(from, i);
    if (!to || !git_tree_entry_byname(to, git_tree_entry_name(a))) visit(a, nullptr);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: gitdates_libgit2 FOLDER [--list]\n");
    return 2;
  }
  const bool list = argc > 2 && std::strcmp(argv[2], "--list") == 0;
  git_libgit2_init();
  if (git_repository_open_ext(&repo, argv[1], 0, nullptr) != 0) fail("open");
  char real[PATH_MAX];
  if (!realpath(argv[1], real)) fail("realpath");
  std::string prefix = std::string(real) + "/";
  const std::string workdir = git_repository_workdir(repo);
  prefix = prefix.substr(std::min(workdir.size(), prefix.size()));
  if (!prefix.empty()) prefix.pop_back();

  // Every commit from HEAD, then children before parents.
  git_oid head;
  if (git_reference_name_to_id(&head, repo, "HEAD") != 0) fail("HEAD");
  std::vector<git_commit*> commits;
  std::unordered_map<std::string, std::size_t> index;
  std::vector<git_oid> pending = {head};
  while (!pending.empty()) {
    const git_oid id = pending.back();
    pending.pop_back();
    if (index.contains(hex(&id))) continue;
    git_commit* commit = nullptr;
    if (git_commit_lookup(&commit, repo, &id) != 0) fail("commit");
    index.emplace(hex(&id), commits.size());
    commits.push_back(commit);
    for (unsigned i = 0; i < git_commit_parentcount(commit); ++i)
      pending.push_back(*git_commit_parent_id(commit, i));
  }
  std::vector<int> children(commits.size(), 0);
  for (git_commit* commit : commits)
    for (unsigned i = 0; i < git_commit_parentcount(commit); ++i)
      ++children[index.at(hex(git_commit_parent_id(commit, i)))];
  std::vector<std::size_t> ready = {index.at(hex(&head))};

  qorv::LastCommitReader reader;
  std::string record;
  std::string path;
  while (!ready.empty()) {
    git_commit* commit = commits[ready.back()];
    ready.pop_back();
    const std::string id = hex(git_commit_id(commit));
    std::string parents;
    for (unsigned i = 0; i < git_commit_parentcount(commit); ++i)
      parents += " " + hex(git_commit_parent_id(commit, i));
    const git_signature* committer = git_commit_committer(commit);
    const int offset = committer->when.offset;
    char when[64];
    std::snprintf(when, sizeof when, "committer x <x> %lld %c%02d%02d\n",
                  static_cast<long long>(committer->when.time), offset < 0 ? '-' : '+',
                  std::abs(offset) / 60, std::abs(offset) % 60);
    git_tree* tree = nullptr;
    git_commit_tree(&tree, commit);
    git_tree* mine = subtree(tree, prefix);
    const unsigned parentCount = git_commit_parentcount(commit);
    bool shown = false;
    for (unsigned i = 0; i < std::max(parentCount, 1u) || !shown; ++i) {
      // As git log shows a merge that none of its diffs show: one header.
      const bool headerOnly = i >= std::max(parentCount, 1u);
      git_tree* theirs = nullptr;
      if (!headerOnly && i < parentCount) {
        git_commit* parent = nullptr;
        if (git_commit_parent(&parent, commit, i) != 0) fail("parent");
        git_tree* parentTree = nullptr;
        git_commit_tree(&parentTree, parent);
        theirs = subtree(parentTree, prefix);
        git_tree_free(parentTree);
        git_commit_free(parent);
      }
      std::string entries;
      path.clear();
      if (!headerOnly) diffTrees(theirs, mine, path, entries);
      git_tree_free(theirs);
      if (!headerOnly && entries.empty() && parentCount > 1) continue;
      shown = true;
      record = "commit ";
      record += id;
      record += parents;
      if (!headerOnly && parentCount > 1) {
        record += " (from ";
        record += hex(git_commit_parent_id(commit, i));
        record += ")";
      }
      record += "\n";
      record += when;
      record += "\n";
      if (!entries.empty()) record += "\n" + entries;
      record += '\0';
      reader.feed(record);
    }
    git_tree_free(mine);
    git_tree_free(tree);
    for (unsigned i = 0; i < parentCount; ++i) {
      const std::size_t parent = index.at(hex(git_commit_parent_id(commit, i)));
      if (--children[parent] == 0) ready.push_back(parent);
    }
  }
  if (!reader.finish()) fail("log");

  // What differs from HEAD in the working tree, staged or not.
  std::unordered_set<std::string> changed;
  git_object* headTree = nullptr;
  if (git_revparse_single(&headTree, repo, "HEAD^{tree}") != 0) fail("tree");
  git_diff_options options = GIT_DIFF_OPTIONS_INIT;
  char* folderPattern = prefix.data();
  if (!prefix.empty()) {
    options.pathspec.strings = &folderPattern;
    options.pathspec.count = 1;
  }
  git_diff* diff = nullptr;
  if (git_diff_tree_to_workdir_with_index(&diff, repo, reinterpret_cast<git_tree*>(headTree),
                                          &options) != 0)
    fail("diff");
  for (std::size_t i = 0; i < git_diff_num_deltas(diff); ++i) {
    std::string name = git_diff_get_delta(diff, i)->new_file.path;
    if (!prefix.empty()) name = name.substr(prefix.size() + 1);
    changed.insert(name);
  }

  std::vector<std::pair<std::string, qorv::LastCommitReader::Found>> files = reader.takeFound();
  std::erase_if(files, [](const auto& file) { return !file.second.inHead; });
  std::sort(files.begin(), files.end(), [](auto& a, auto& b) { return a.first < b.first; });
  if (list)
    for (const auto& [name, found] : files)
      std::printf("%s %lld %+d %s\n", name.c_str(), static_cast<long long>(found.time.utcSeconds),
                  found.time.offsetMinutes, changed.contains(name) ? "changed" : "clean");
  std::printf("%zu files with a git date\n", files.size());
  return 0;
}
