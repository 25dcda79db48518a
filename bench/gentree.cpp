// gentree DIR N M [--seed S] [--empty | --head-pages [--page-bytes B]]
//
// Builds a synthetic web site for the scan benchmark: N files matching
// "*.htm;*.html" spread over M nested folders below DIR, plus N files that do
// not match. The same arguments always give the same tree (names, sizes and
// modification times), so timings taken on different machines or days compare.
// With --empty every file is empty: the same names, folders and times, but a
// million files then take inodes only, not a block each. A scan reads no
// content, so it takes the same calls either way. With --head-pages every
// page is a whole document of B bytes (8192 by default) with a head as site
// generators write it (charset, title, canonical link, a few metas and
// links, an inline style and script), for the scan that reads heads; the
// names, folders and times stay those of the plain tree, and about 2% of
// the pages are noindex, 1% redirect stubs and 1% name a canonical URL
// outside the site.

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

namespace {

// Our own generator rather than <random>: the standard distributions are not
// required to give the same sequence on every library, and the tree must.
class SplitMix64 {
 public:
  explicit SplitMix64(std::uint64_t seed) : m_state(seed) {}

  std::uint64_t next() {
    std::uint64_t z = (m_state += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
  }

  // Slightly biased for huge bounds; irrelevant for picking names and folders.
  std::uint64_t below(std::uint64_t bound) { return bound == 0 ? 0 : next() % bound; }

  bool chance(unsigned percent) { return below(100) < percent; }

  template <typename T, std::size_t K>
  const T& pick(const T (&items)[K]) {
    return items[below(K)];
  }

 private:
  std::uint64_t m_state;
};

// Deep enough for long descents and returns in the walk, shallow enough that
// no path comes near PATH_MAX.
constexpr int kMaxDepth = 12;

// Blanks, accents, other scripts, four-byte code points and the characters
// that XML must escape all appear, so the scan pays its real escaping and
// UTF-8 costs rather than those of plain ASCII names.
constexpr std::string_view kFolderStems[] = {
    "docs",      "news",   "about us",   "products", "Produkte", "café",
    "Über uns",  "日本語", "новости",    "archive",  "img",      "ελληνικά",
    "São Paulo", "blog",   "2019 notes", "R&D",      "support",  "🌍 world",
};

constexpr std::string_view kPageStems[] = {
    "page",         "article",  "about us", "contact", "résumé",    "naïve café",
    "日本語ページ", "страница", "Ελλάδα",   "😀 smile", "A&B",       "it's",
    "less<more>",   "100%",     "faq",      "post",    "news item", "Straße",
};

struct OtherKind {
  std::string_view extension;
  std::string_view content;
};

// Extensions chosen so that some come close to the mask without matching it.
constexpr OtherKind kOtherKinds[] = {
    {".css", "body{margin:0}\n"},
    {".png", std::string_view("\x89PNG\r\n\x1a\n\0\0\0\0", 12)},
    {".js", "console.log(1);\n"},
    {".txt", "plain text\n"},
    {".json", "{\"k\":1}\n"},
    {".jpg", std::string_view("\xff\xd8\xff\xe0\0\0", 6)},
    {".gif", "GIF89a"},
    {".pdf", "%PDF-1.4\n"},
    {".shtml", "<p>server side</p>\n"},
    {".htmx", "<p>near miss</p>\n"},
    {".htm.bak", "<p>backup</p>\n"},
    {".html~", "<p>editor backup</p>\n"},
};

constexpr std::string_view kSeparators[] = {" ", "-", "_"};

struct Folder {
  std::size_t parent;
  int depth;
  std::string path;
  std::uint64_t weight;  // share of the files it receives
  std::size_t pages = 0;
  std::size_t others = 0;
};

[[noreturn]] void die(const std::string& what, int err) {
  std::fprintf(stderr, "gentree: %s: %s\n", what.c_str(), std::strerror(err));
  std::exit(1);
}

[[noreturn]] void usage() {
  std::fputs(
      "usage: gentree DIR N M [--seed S] [--empty | --head-pages [--page-bytes B]]\n"
      "  Creates N files matching *.htm;*.html in M nested folders below DIR,\n"
      "  plus N files that do not match. DIR must be missing or empty.\n"
      "  --empty makes every file empty; --head-pages makes every page a document\n"
      "  of B bytes (default 8192) with a head as site generators write it.\n",
      stderr);
  std::exit(2);
}

/// A page's name as its own canonical link names it: percent-encoded where
/// a URL must be.
std::string percentEncoded(std::string_view name) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
        (byte >= '0' && byte <= '9') ||
        std::string_view("-._~!$&'()*+,;=:@").find(c) != std::string_view::npos) {
      out += c;
    } else {
      out += '%';
      out += kHex[byte >> 4];
      out += kHex[byte & 0x0F];
    }
  }
  return out;
}

constexpr std::string_view kInlineStyle =
    "<style>\n"
    ":root{--fg:#222;--bg:#fff;--accent:#0a58ca;--muted:#6c757d}\n"
    "*,*::before,*::after{box-sizing:border-box}\n"
    "body{margin:0;font:16px/1.5 system-ui,-apple-system,\"Segoe UI\",Roboto,sans-serif;"
    "color:var(--fg);background:var(--bg)}\n"
    "header,main,footer{max-width:48rem;margin:0 auto;padding:1rem}\n"
    "nav a{margin-right:1rem;color:var(--accent);text-decoration:none}\n"
    "nav a:hover{text-decoration:underline}\n"
    "h1,h2,h3{line-height:1.2;margin:1.5rem 0 .5rem}\n"
    "pre,code{font-family:ui-monospace,SFMono-Regular,Menlo,monospace;font-size:.9em}\n"
    "pre{padding:1rem;overflow:auto;background:#f6f8fa;border-radius:4px}\n"
    "blockquote{margin:0;padding-left:1rem;border-left:4px solid #ddd;color:var(--muted)}\n"
    "img{max-width:100%;height:auto}\n"
    "table{border-collapse:collapse}td,th{padding:.25rem .5rem;border:1px solid #ddd}\n"
    "@media (prefers-color-scheme:dark){:root{--fg:#ddd;--bg:#111;--accent:#6ea8fe}}\n"
    "</style>\n";

constexpr std::string_view kFiller =
    "<p>Lorem ipsum dolor sit amet, consectetur adipiscing elit, sed do eiusmod tempor "
    "incididunt ut labore et dolore magna aliqua. Ut enim ad minim veniam, quis nostrud "
    "exercitation ullamco laboris nisi ut aliquip ex ea commodo consequat. <a href=\"../\">"
    "Duis aute irure</a> dolor in reprehenderit in voluptate velit esse cillum dolore eu "
    "fugiat nulla pariatur.</p>\n";

/// A whole page of about `bytes` bytes whose head is what site generators
/// write; `roll` (0 to 99) picks the few that a head rule leaves out.
std::string headPage(const std::string& name, std::uint64_t serial, std::uint64_t roll,
                     std::size_t bytes) {
  const std::string number = std::to_string(serial);
  std::string page;
  page.reserve(bytes + 256);
  page += "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n";
  page += "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n";
  page += "<title>Page " + number + " &ndash; Example Site</title>\n";
  page += "<meta name=\"description\" content=\"What page " + number +
          " is about, in a sentence or two for the search results.\">\n";
  page += "<meta name=\"generator\" content=\"Hugo 0.111.3\">\n";
  page += "<meta property=\"og:title\" content=\"Page " + number + "\">\n";
  page += "<meta property=\"og:type\" content=\"article\">\n";
  if (roll < 2) page += "<meta name=\"robots\" content=\"noindex, follow\">\n";
  if (roll == 2) page += "<meta http-equiv=\"refresh\" content=\"0; url=../\">\n";
  if (roll == 3)
    page += "<link rel=\"canonical\" href=\"https://elsewhere.example/p" + number + "\">\n";
  else
    page += "<link rel=\"canonical\" href=\"" + percentEncoded(name) + "\">\n";
  page += "<link rel=\"stylesheet\" href=\"/css/main.min.css\">\n";
  page += "<link rel=\"icon\" href=\"/favicon.ico\">\n";
  page +=
      "<link rel=\"alternate\" type=\"application/rss+xml\" href=\"/index.xml\" "
      "title=\"Example Site\">\n";
  page += kInlineStyle;
  page +=
      "<script>document.documentElement.classList.add(\"js\");"
      "if (window.innerWidth < 600) { document.documentElement.classList.add(\"narrow\"); }"
      "</script>\n";
  page +=
      "</head>\n<body>\n<header><nav><a href=\"/\">Home</a><a href=\"/blog/\">Blog</a>"
      "<a href=\"/about/\">About</a></nav></header>\n<main><article>\n<h1>Page " +
      number + "</h1>\n";
  constexpr std::string_view kEnd = "</article></main>\n</body>\n</html>\n";
  while (page.size() + kFiller.size() + kEnd.size() <= bytes) page += kFiller;
  page += kEnd;
  return page;
}

std::uint64_t parseCount(const char* text) {
  if (*text < '0' || *text > '9') usage();
  errno = 0;
  char* end = nullptr;
  const unsigned long long value = std::strtoull(text, &end, 10);
  if (errno != 0 || *end != '\0') usage();
  return value;
}

void prepareRoot(const std::string& root) {
  if (::mkdir(root.c_str(), 0755) == 0) return;
  if (errno != EEXIST) die("cannot create " + root, errno);
  // Refusing a non-empty folder keeps the tree exactly what the seed says.
  DIR* dir = ::opendir(root.c_str());
  if (dir == nullptr) die("cannot open " + root, errno);
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (name != "." && name != "..") {
      std::fprintf(stderr, "gentree: %s is not empty\n", root.c_str());
      std::exit(1);
    }
  }
  ::closedir(dir);
}

std::vector<Folder> planFolders(SplitMix64& rng, const std::string& root, std::size_t count) {
  std::vector<Folder> folders;
  folders.reserve(count + 1);
  folders.push_back({0, 0, root, 1 + rng.below(8)});
  for (std::size_t i = 1; i <= count; ++i) {
    // Mostly chains (depth), sometimes recent siblings (bushy subtrees),
    // sometimes anywhere (wide folders near the top).
    std::size_t parent;
    const std::uint64_t roll = rng.below(100);
    if (roll < 40)
      parent = i - 1;
    else if (roll < 75)
      parent = i - 1 - rng.below(i < 16 ? i : 16);
    else
      parent = rng.below(i);
    // Without a target depth the chains pile every folder up at the limit.
    const int target = rng.chance(2)
                           ? kMaxDepth
                           : 1 + static_cast<int>(rng.below(4) + rng.below(4) + rng.below(4));
    while (folders[parent].depth >= target) parent = folders[parent].parent;

    std::string name(rng.pick(kFolderStems));
    name += rng.pick(kSeparators);
    name += std::to_string(i);  // unique among siblings whatever the stems
    // A folder whose name matches the mask: only files may become pages.
    if (rng.chance(1)) name += rng.chance(50) ? ".htm" : ".html";
    // Squared weights: a few folders hold many pages, most hold a handful.
    const std::uint64_t w = 1 + rng.below(6);
    folders.push_back(
        {parent, folders[parent].depth + 1, folders[parent].path + "/" + name, w * w});
  }
  return folders;
}

// Deals `count` files to the folders in proportion to their weights.
template <typename Member>
void deal(SplitMix64& rng, std::vector<Folder>& folders, std::uint64_t count, Member field) {
  std::vector<std::uint64_t> cumulative;
  cumulative.reserve(folders.size());
  std::uint64_t total = 0;
  for (const Folder& f : folders) cumulative.push_back(total += f.weight);
  for (std::uint64_t i = 0; i < count; ++i) {
    const std::uint64_t r = rng.below(total);
    const auto it = std::upper_bound(cumulative.begin(), cumulative.end(), r);
    ++(folders[static_cast<std::size_t>(it - cumulative.begin())].*field);
  }
}

timespec pickTime(SplitMix64& rng) {
  // 2000-01-01 .. 2024-12-31 for almost all; a few before 1980 and after
  // 2107, the years a FAT-style timestamp cannot hold.
  constexpr std::int64_t k1970 = 0, k2000 = 946684800, k2110 = 4417977600;
  constexpr std::int64_t kYear = 31556952;
  std::int64_t seconds;
  const std::uint64_t roll = rng.below(1000);
  if (roll == 0)
    seconds = k1970 + static_cast<std::int64_t>(rng.below(9 * kYear));
  else if (roll == 1)
    seconds = k2110 + static_cast<std::int64_t>(rng.below(kYear));
  else
    seconds = k2000 + static_cast<std::int64_t>(rng.below(25 * kYear));
  timespec ts{};
  ts.tv_sec = static_cast<time_t>(seconds);
  ts.tv_nsec = rng.chance(50) ? static_cast<long>(rng.below(1000000000)) : 0;
  return ts;
}

void writeFile(int dirFd, const std::string& dirPath, const std::string& name,
               std::string_view content, const timespec& mtime) {
  const int fd = ::openat(dirFd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) die("cannot create " + dirPath + "/" + name, errno);
  if (!content.empty() &&
      ::write(fd, content.data(), content.size()) != static_cast<ssize_t>(content.size()))
    die("cannot write " + dirPath + "/" + name, errno != 0 ? errno : EIO);
  const timespec times[2] = {mtime, mtime};
  if (::futimens(fd, times) != 0) die("cannot set the time of " + dirPath + "/" + name, errno);
  if (::close(fd) != 0) die("cannot close " + dirPath + "/" + name, errno);
}

std::string pageName(SplitMix64& rng, std::uint64_t serial, std::size_t indexInFolder,
                     bool& hasIndexHtm) {
  if (indexInFolder == 0) {
    const std::uint64_t roll = rng.below(100);
    if (roll < 55) {
      hasIndexHtm = true;
      return "index.htm";
    }
    if (roll < 70) return "index.html";
  }
  // A folder holding both index files: only one may take the folder's URL.
  if (indexInFolder == 1 && hasIndexHtm && rng.chance(5)) return "index.html";
  std::string name(rng.pick(kPageStems));
  name += rng.pick(kSeparators);
  name += std::to_string(serial);
  name += rng.chance(60) ? ".html" : ".htm";
  return name;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<const char*> positional;
  std::uint64_t seed = 1;
  bool empty = false;
  bool headPages = false;
  std::uint64_t pageBytes = 8192;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--empty")
      empty = true;
    else if (arg == "--head-pages")
      headPages = true;
    else if (arg == "--page-bytes" && i + 1 < argc)
      pageBytes = parseCount(argv[++i]);
    else if (arg == "--seed" && i + 1 < argc)
      seed = parseCount(argv[++i]);
    else if (arg.starts_with("--seed="))
      seed = parseCount(argv[i] + 7);
    else if (arg.starts_with("-") && arg.size() > 1)
      usage();
    else
      positional.push_back(argv[i]);
  }
  if (positional.size() != 3 || (empty && headPages)) usage();
  std::string root = positional[0];
  while (root.size() > 1 && root.back() == '/') root.pop_back();
  const std::uint64_t pages = parseCount(positional[1]);
  const std::uint64_t folderCount = parseCount(positional[2]);

  SplitMix64 rng(seed);
  std::vector<Folder> folders = planFolders(rng, root, folderCount);
  deal(rng, folders, pages, &Folder::pages);
  deal(rng, folders, pages, &Folder::others);

  prepareRoot(root);
  for (std::size_t i = 1; i < folders.size(); ++i)
    if (::mkdir(folders[i].path.c_str(), 0755) != 0) die("cannot create " + folders[i].path, errno);

  std::uint64_t serial = 0;
  int deepest = 0;
  char content[256];
  for (const Folder& folder : folders) {
    deepest = std::max(deepest, folder.depth);
    if (folder.pages == 0 && folder.others == 0) continue;
    const int dirFd = ::open(folder.path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0) die("cannot open " + folder.path, errno);
    bool hasIndexHtm = false;
    for (std::size_t k = 0; k < folder.pages; ++k) {
      const std::string name = pageName(rng, ++serial, k, hasIndexHtm);
      if (headPages) {
        // A generator of its own, so that the names and times stay those
        // of the plain tree.
        SplitMix64 pageRng(seed ^ (serial * 0x9e3779b97f4a7c15ULL));
        writeFile(dirFd, folder.path, name,
                  headPage(name, serial, pageRng.below(100), static_cast<std::size_t>(pageBytes)),
                  pickTime(rng));
        continue;
      }
      const int length = std::snprintf(
          content, sizeof content,
          "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Page %llu</title>"
          "</head><body><p>%llu</p></body></html>\n",
          static_cast<unsigned long long>(serial), static_cast<unsigned long long>(serial));
      writeFile(
          dirFd, folder.path, name,
          empty ? std::string_view() : std::string_view(content, static_cast<std::size_t>(length)),
          pickTime(rng));
    }
    for (std::size_t k = 0; k < folder.others; ++k) {
      const OtherKind& kind = rng.pick(kOtherKinds);
      std::string name(rng.chance(50) ? "asset" : "index");
      name += rng.pick(kSeparators);
      name += std::to_string(++serial);
      name += kind.extension;
      writeFile(dirFd, folder.path, name, empty ? std::string_view() : kind.content, pickTime(rng));
    }
    ::close(dirFd);
  }

  // Last, since creating a file touches its folder's time.
  for (const Folder& folder : folders) {
    const timespec mtime = pickTime(rng);
    const timespec times[2] = {mtime, mtime};
    if (::utimensat(AT_FDCWD, folder.path.c_str(), times, 0) != 0)
      die("cannot set the time of " + folder.path, errno);
  }

  const std::string kind =
      headPages ? ", pages of " + std::to_string(pageBytes) + " bytes," : std::string();
  std::printf(
      "gentree: %llu matching and %llu other%s files in %llu folders, %d levels deep, "
      "under %s (seed %llu)\n",
      static_cast<unsigned long long>(pages), static_cast<unsigned long long>(pages),
      empty ? ", all empty," : kind.c_str(), static_cast<unsigned long long>(folderCount), deepest,
      root.c_str(), static_cast<unsigned long long>(seed));
  return 0;
}
