// genrepo FILES COMMITS [--seed S] | git fast-import
//
// Writes a git fast-import stream of a synthetic site history for the git
// dates benchmark: FILES pages in folders of a hundred, added by a first
// commit, then COMMITS - 1 more commits (merges included) on "main" and on
// short side branches merged back into it. Each commit changes a few pages;
// a merge takes some of the side branch's pages and keeps main's version of
// the others, so that the history holds both kinds of merge that per-file
// history simplification tells apart. The same arguments give the same
// history (ids included: the dates are fixed too).

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

class SplitMix64 {
 public:
  explicit SplitMix64(std::uint64_t seed) : m_state(seed) {}
  std::uint64_t next() {
    std::uint64_t z = (m_state += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
  }
  std::uint64_t below(std::uint64_t bound) { return bound == 0 ? 0 : next() % bound; }
  bool chance(unsigned percent) { return below(100) < percent; }

 private:
  std::uint64_t m_state;
};

std::string pagePath(std::uint64_t page) {
  char path[64];
  std::snprintf(path, sizeof path, "s%03llu/p%05llu.html",
                static_cast<unsigned long long>(page / 100), static_cast<unsigned long long>(page));
  return path;
}

void data(std::string& out, const std::string& text) {
  out += "data " + std::to_string(text.size()) + "\n" + text + "\n";
}

void page(std::string& out, std::uint64_t number, std::uint64_t version) {
  std::string body = "<html><head><title>Page " + std::to_string(number) +
                     "</title></head><body><p>version " + std::to_string(version) + "</p>";
  body.append(160, 'x');
  body += "</body></html>\n";
  out += "M 100644 inline " + pagePath(number) + "\n";
  data(out, body);
}

struct Generator {
  Generator(std::uint64_t fileCount, std::uint64_t seed) : files(fileCount), random(seed) {}

  std::uint64_t files;
  SplitMix64 random;
  std::uint64_t mark = 0;
  std::uint64_t when = 1600000000;
  std::uint64_t version = 0;
  std::string out;

  std::uint64_t header(const char* branch, const std::string& message) {
    out += "commit refs/heads/";
    out += branch;
    out += "\nmark :" + std::to_string(++mark) + "\n";
    when += 600 + random.below(3600);
    out += "committer Bench <bench@example.com> " + std::to_string(when) + " +0100\n";
    data(out, message);
    return mark;
  }

  struct Edit {
    std::uint64_t page;
    std::uint64_t version;
  };

  /// Changes a few pages; returns them with their new versions.
  std::vector<Edit> edits() {
    std::vector<Edit> changed;
    const std::uint64_t count = 1 + random.below(random.chance(10) ? 60 : 8);
    for (std::uint64_t i = 0; i < count; ++i) {
      const Edit edit{random.below(files), ++version};
      changed.push_back(edit);
      page(out, edit.page, edit.version);
    }
    return changed;
  }

  void flush() {
    std::fwrite(out.data(), 1, out.size(), stdout);
    out.clear();
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: genrepo FILES COMMITS [--seed S] | git fast-import\n");
    return 2;
  }
  const std::uint64_t files = std::strtoull(argv[1], nullptr, 10);
  const std::uint64_t commits = std::strtoull(argv[2], nullptr, 10);
  std::uint64_t seed = 1;
  for (int i = 3; i + 1 < argc; i += 2)
    if (std::strcmp(argv[i], "--seed") == 0) seed = std::strtoull(argv[i + 1], nullptr, 10);
  if (files == 0 || commits == 0) return 2;

  Generator gen(files, seed);
  std::uint64_t mainTip = gen.header("main", "Add the site\n");
  for (std::uint64_t number = 0; number < files; ++number) page(gen.out, number, 0);
  gen.flush();

  std::uint64_t made = 1;
  while (made < commits) {
    if (commits - made >= 4 && gen.random.chance(15)) {
      // A side branch of a few commits, with main moving on meanwhile.
      std::uint64_t sideTip = mainTip;
      std::vector<Generator::Edit> sideEdits;
      const std::uint64_t steps = 2 + gen.random.below(4);
      for (std::uint64_t step = 0; step < steps && made + 1 < commits; ++step, ++made) {
        if (gen.random.chance(50)) {
          const std::uint64_t from = sideTip;
          sideTip = gen.header("side", "Side change\n");
          gen.out += "from :" + std::to_string(from) + "\n";
          for (const Generator::Edit& edit : gen.edits()) sideEdits.push_back(edit);
        } else {
          const std::uint64_t from = mainTip;
          mainTip = gen.header("main", "Main change\n");
          gen.out += "from :" + std::to_string(from) + "\n";
          gen.edits();
        }
        gen.flush();
      }
      if (sideTip == mainTip) continue;
      const std::uint64_t from = mainTip;
      mainTip = gen.header("main", "Merge side\n");
      gen.out += "from :" + std::to_string(from) + "\nmerge :" + std::to_string(sideTip) + "\n";
      // The merge takes most of the side's pages as they are there, keeps
      // main's version of some (a change the merge discards) and writes a
      // few anew (a change of the merge's own).
      for (const Generator::Edit& edit : sideEdits) {
        const std::uint64_t roll = gen.random.below(100);
        if (roll < 75)
          page(gen.out, edit.page, edit.version);
        else if (roll < 80)
          page(gen.out, edit.page, ++gen.version);
      }
      ++made;
    } else {
      const std::uint64_t from = mainTip;
      mainTip = gen.header("main", "Change pages\n");
      gen.out += "from :" + std::to_string(from) + "\n";
      gen.edits();
      ++made;
    }
    gen.flush();
  }
  gen.out += "reset refs/heads/main\nfrom :" + std::to_string(mainTip) + "\n";
  gen.flush();
  return 0;
}
