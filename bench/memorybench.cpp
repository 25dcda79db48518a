// memorybench --make TREE PAGES SIZE
// memorybench TREE MEMORY
//
// The content memory's share of a scan and a write, for timing against
// `find TREE -name '*.htm*' -print0 | xargs -0 xxhsum -H2`: lists TREE as
// the scan does (folder by folder, relative to open folders), digests every
// page whose name holds ".htm", loads the memory file MEMORY (as a previous
// run left it), asks it for each page, and writes it anew. Prints what it
// found on stderr.
//
// --make builds TREE: PAGES pages of SIZE bytes each, a hundred to a
// folder, each page's bytes its own.

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "core/contentmemory.h"
#include "platform/contentdigest.h"

namespace {

[[noreturn]] void die(const std::string& what) {
  std::fprintf(stderr, "memorybench: %s: %s\n", what.c_str(), std::strerror(errno));
  std::exit(1);
}

int makeTree(const std::string& root, unsigned long pages, unsigned long size) {
  if (mkdir(root.c_str(), 0755) != 0 && errno != EEXIST) die(root);
  std::string bytes(size, 'x');
  for (unsigned long page = 0; page < pages; ++page) {
    const std::string folder = root + "/f" + std::to_string(page / 100);
    if (page % 100 == 0 && mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST) die(folder);
    const std::string head = "<html><head><title>Page " + std::to_string(page) + "</title>";
    bytes.replace(0, std::min(head.size(), bytes.size()), head.substr(0, bytes.size()));
    const std::string path = folder + "/page-" + std::to_string(page) + ".html";
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()) ||
        close(fd) != 0)
      die(path);
  }
  return 0;
}

struct Pass {
  qorv::ContentMemory previous;
  std::vector<qorv::MemoryEntry> next;
  unsigned long recalled = 0;
  unsigned long unreadable = 0;
};

void walk(int folderFd, const std::string& relative, Pass& pass) {
  DIR* dir = fdopendir(folderFd);
  if (!dir) die(relative);
  while (const dirent* entry = readdir(dir)) {
    const char* name = entry->d_name;
    if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
    const std::string path = relative.empty() ? name : relative + "/" + name;
    if (entry->d_type == DT_DIR) {
      const int sub = openat(dirfd(dir), name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      if (sub < 0) die(path);
      walk(sub, path, pass);
      continue;
    }
    if (!std::strstr(name, ".htm")) continue;
    const qorv::Result<std::optional<qorv::ContentDigest>> digested =
        qorv::digestFileAt(dirfd(dir), name);
    if (!digested || !*digested) {
      ++pass.unreadable;
      continue;
    }
    const qorv::ContentDigest& digest = **digested;
    qorv::RememberedMoment moment{{{2024, 5, 1}, {14, 3, 6}}, false};
    if (const auto remembered = pass.previous.recall(path, digest)) {
      moment = *remembered;
      ++pass.recalled;
    }
    pass.next.push_back({path, digest, moment});
  }
  closedir(dir);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 5 && std::strcmp(argv[1], "--make") == 0)
    return makeTree(argv[2], std::strtoul(argv[3], nullptr, 10),
                    std::strtoul(argv[4], nullptr, 10));
  if (argc != 3) {
    std::fprintf(stderr, "usage: memorybench TREE MEMORY | --make TREE PAGES SIZE\n");
    return 2;
  }
  const std::string tree = argv[1];
  const std::string memory = argv[2];
  Pass pass;
  const qorv::Result<qorv::ContentMemory::Load> load = pass.previous.load(memory, tree);
  if (!load) {
    errno = load.error();
    die(memory);
  }
  const int root = open(tree.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (root < 0) die(tree);
  walk(root, "", pass);
  const std::size_t pages = pass.next.size();
  if (const qorv::Result<void> saved = qorv::saveContentMemory(memory, tree, std::move(pass.next));
      !saved) {
    errno = saved.error();
    die(memory);
  }
  std::fprintf(stderr, "%zu pages, %lu recalled, %lu unreadable, memory %s\n", pages, pass.recalled,
               pass.unreadable, *load == qorv::ContentMemory::Load::Loaded ? "loaded" : "new");
  return 0;
}
