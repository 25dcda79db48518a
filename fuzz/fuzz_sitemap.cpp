// From file names and typed texts to the written document: whatever the
// names of a site's files and whatever the user typed (site URL, index file,
// masks, tags, zone), the sitemap is well-formed UTF-8 XML, every URL in it
// reads back as the row it came from, and every file row's URL, decoded as a
// client would, names a file of the tree or the folder of an index file.

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core/errors.h"
#include "core/generatorsettings.h"
#include "core/pagelist.h"
#include "core/sitemapwriter.h"
#include "core/sitescan.h"
#include "core/xmltext.h"
#include "fuzz/property.h"
#include "fuzz/sitemapcheck.h"

namespace {

using qorv::fuzz::require;

/// A folder tree held in memory, entries listed in the order they were added.
struct Node {
  std::vector<std::string> order;
  std::map<std::string, std::unique_ptr<Node>> folders;  // null for a file
};

class MemoryListing final : public qorv::FolderListing {
 public:
  explicit MemoryListing(const Node& node) : m_node(node) {}
  qorv::Result<std::optional<qorv::ListedEntry>> next() override {
    if (m_next == m_node.order.size()) return std::optional<qorv::ListedEntry>();
    const std::string& name = m_node.order[m_next++];
    return std::optional<qorv::ListedEntry>(
        qorv::ListedEntry{name, m_node.folders.at(name) != nullptr});
  }
  qorv::Result<void> close() override { return {}; }

 private:
  const Node& m_node;
  std::size_t m_next = 0;
};

class MemoryFolder final : public qorv::Folder {
 public:
  explicit MemoryFolder(const Node& node) : m_node(node) {}
  qorv::FolderId id() const override {
    return {0, static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(&m_node))};
  }
  qorv::Result<std::unique_ptr<qorv::FolderListing>> list() override {
    return std::unique_ptr<qorv::FolderListing>(std::make_unique<MemoryListing>(m_node));
  }
  qorv::Result<std::unique_ptr<qorv::Folder>> openSubfolder(std::string_view name) override {
    const auto found = m_node.folders.find(std::string(name));
    if (found == m_node.folders.end() || !found->second) return qorv::Failure{ENOENT};
    return std::unique_ptr<qorv::Folder>(std::make_unique<MemoryFolder>(*found->second));
  }
  qorv::Result<std::optional<qorv::DateTime>> lastWriteTime(std::string_view) override {
    return std::optional(qorv::DateTime{{2006, 3, 5}, {9, 5, 6}});
  }

 private:
  const Node& m_node;
};

class MemoryFileSystem final : public qorv::FileSystem {
 public:
  /// Adds a file by its path relative to the root, folders separated by "/".
  void add(std::string_view path) {
    Node* node = &m_root;
    std::string added;
    for (std::size_t slash; (slash = path.find('/')) != std::string_view::npos;) {
      const std::string name(path.substr(0, slash));
      path.remove_prefix(slash + 1);
      if (!usable(name)) continue;
      auto& folder = node->folders[name];
      if (!folder) {
        // A name cannot be a file and a folder at once.
        if (std::find(node->order.begin(), node->order.end(), name) != node->order.end()) return;
        folder = std::make_unique<Node>();
        node->order.push_back(name);
      }
      node = folder.get();
      added += name + "/";
    }
    const std::string name(path);
    if (!usable(name) || node->folders.count(name)) return;
    node->folders[name] = nullptr;
    node->order.push_back(name);
    m_files.insert(added + name);
  }

  /// The files of the tree by their paths, folders separated by "/".
  const std::set<std::string>& files() const { return m_files; }

  qorv::Result<std::unique_ptr<qorv::Folder>> openFolder(const std::string& path) override {
    if (path != kRoot) return qorv::Failure{ENOENT};
    return std::unique_ptr<qorv::Folder>(std::make_unique<MemoryFolder>(m_root));
  }

  static constexpr const char* kRoot = "/site/";

 private:
  static bool usable(const std::string& name) {
    return !name.empty() && name != "." && name != "..";
  }
  Node m_root;
  std::set<std::string> m_files;
};

/// The escaped text of a file row's path part with its two entities, the
/// only ones it may hold, resolved.
std::string withEntitiesResolved(std::string_view text) {
  std::string plain;
  for (std::size_t i = 0; i < text.size(); ++i) {
    plain += text[i];
    if (text[i] != '&') continue;
    if (text.substr(i, 5) == "&amp;") {
      i += 4;
    } else if (text.substr(i, 6) == "&apos;") {
      plain.back() = '\'';
      i += 5;
    }
  }
  return plain;
}

/// The path part of a file row's URL holds only bytes that may stand in a
/// URL path, and decodes to a file of the tree, or to a folder holding the
/// index file.
void requireUrlNamesAFile(const std::string& url, const std::string& siteUrl,
                          const std::string& indexFile, const std::set<std::string>& files) {
  const std::string prefix = qorv::SiteScanner::fileUrl(siteUrl, "", "");
  require(url.compare(0, prefix.size(), prefix) == 0, "a file row begins with the site URL", url);
  const std::string path = withEntitiesResolved(std::string_view(url).substr(prefix.size()));
  for (const char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    require(byte > 0x20 && byte != 0x7F &&
                std::string_view("\"#<>?[\\]^`{|}").find(c) == std::string_view::npos,
            "the path part holds only bytes that may stand in a URL path", url);
  }
  const std::string decoded = qorv::fuzz::percentDecoded(path);
  const bool folder = decoded.empty() || decoded.back() == '/';
  require(folder ? !indexFile.empty() && files.count(decoded + indexFile) != 0
                 : files.count(decoded) != 0,
          "a file row's URL names a file of the tree or the folder of an index file", url);
}

struct Inputs final : qorv::ScanInputs {
  std::string url;
  std::string localFolder() const override { return MemoryFileSystem::kRoot; }
  std::string siteUrl() const override { return url; }
};

void setTyped(qorv::VocabularyChoice& choice, std::string_view text) {
  choice.setTyped(std::string(text), qorv::findIgnoreCase(choice.vocabulary(), text));
}

/// The next field of the input, up to a zero byte.
std::string_view field(std::string_view& input) {
  const std::size_t zero = input.find('\0');
  const std::string_view field = input.substr(0, zero);
  input.remove_prefix(zero == std::string_view::npos ? input.size() : zero + 1);
  return field;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) { return 0; }

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Fields separated by zero bytes, which no file name or typed text holds:
  // layout flags, site URL, index file, masks, the two tags and the zone,
  // then the paths of the site's files.
  std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::string_view flags = field(input);
  qorv::GeneratorSettings settings;
  settings.compact = !flags.empty() && (flags[0] & 1) != 0;
  settings.dateOnlyLastmod = flags.empty() || (flags[0] & 2) == 0;
  Inputs inputs;
  inputs.url = std::string(field(input));
  settings.indexFile = std::string(field(input));
  settings.fileMask = std::string(field(input));
  setTyped(settings.otherChangefreq, field(input));
  setTyped(settings.otherPriority, field(input));
  setTyped(settings.timeZone, field(input));
  MemoryFileSystem fileSystem;
  while (!input.empty()) fileSystem.add(field(input));

  qorv::LocaleFormats formats;
  formats.shortDateFormat = "d/M/yyyy";
  qorv::PageList pages;
  qorv::SiteScanner scanner(settings, pages, inputs, formats, fileSystem);
  scanner.now = [] { return qorv::DateTime{{2006, 6, 1}, {12, 0, 0}}; };
  try {
    scanner.run();
  } catch (const qorv::EmptyMaskError&) {
    // An empty mask ends the scan; the rows so far are written all the same.
  }
  pages.includeAll();

  qorv::SitemapWriter writer(formats);
  writer.now = scanner.now;
  std::string document;
  const std::uint64_t count = writer.writeDocument(
      [&](std::string_view bytes) { document.append(bytes); }, pages, settings);

  const qorv::fuzz::SitemapCheck check = qorv::fuzz::checkSitemap(document);
  require(check.wellFormed, "the sitemap is well-formed UTF-8 XML", check.error + "\n" + document);
  require(check.urlCount == count, "every url element is counted");
  std::size_t written = 0;
  std::string_view rest = check.locations;
  for (std::size_t i = 1; i < pages.size(); ++i)
    requireUrlNamesAFile(pages.at(i).url, inputs.url, settings.indexFile, fileSystem.files());
  for (const qorv::PageEntry& row : pages) {
    if (qorv::urlLength(row.url) > qorv::kMaxUrlLength) continue;
    ++written;
    const std::size_t end = rest.find('\n');
    require(qorv::xmlEscape(rest.substr(0, end)) == row.url, "a URL reads back as its row",
            row.url);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
  }
  require(written == count, "rows over the length limit are left out");
  return 0;
}
