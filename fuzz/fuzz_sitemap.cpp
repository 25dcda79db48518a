// From file names and typed texts to the written document: whatever the
// names of a site's files and whatever the user typed (site URL, index file,
// masks, tags, zone), the sitemap is well-formed UTF-8 XML and every URL in
// it reads back as the row it came from.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
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

using qorv::fuzz::Require;

/// A folder tree held in memory, entries listed in the order they were added.
struct TNode {
  std::vector<std::string> Order;
  std::map<std::string, std::unique_ptr<TNode>> Folders;  // null for a file
};

class TMemoryListing final : public qorv::TFolderListing {
 public:
  explicit TMemoryListing(const TNode& node) : m_node(node) {}
  qorv::TListStatus Next(qorv::TListedEntry& entry) override {
    if (m_next == m_node.Order.size()) return {qorv::TListStatus::NoMoreEntries, 0};
    const std::string& name = m_node.Order[m_next++];
    entry = {};
    entry.Name = name;
    entry.IsFolder = m_node.Folders.at(name) != nullptr;
    return qorv::TListStatus::Success();
  }
  qorv::TListStatus Close() override { return qorv::TListStatus::Success(); }

 private:
  const TNode& m_node;
  std::size_t m_next = 0;
};

class TMemoryFolder final : public qorv::TFolder {
 public:
  explicit TMemoryFolder(const TNode& node) : m_node(node) {}
  qorv::TFolderId Id() const override {
    return {0, static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(&m_node))};
  }
  qorv::TListStatus List(std::unique_ptr<qorv::TFolderListing>& listing) override {
    listing = std::make_unique<TMemoryListing>(m_node);
    return qorv::TListStatus::Success();
  }
  qorv::TListStatus OpenSubfolder(std::string_view name,
                                  std::unique_ptr<qorv::TFolder>& folder) override {
    const auto found = m_node.Folders.find(std::string(name));
    if (found == m_node.Folders.end() || !found->second) return {qorv::TListStatus::Failed, 2};
    folder = std::make_unique<TMemoryFolder>(*found->second);
    return qorv::TListStatus::Success();
  }
  std::optional<qorv::TDateTime> LastWriteTime(std::string_view) override {
    return qorv::TDateTime{{2006, 3, 5}, {9, 5, 6}};
  }

 private:
  const TNode& m_node;
};

class TMemoryFileSystem final : public qorv::TFileSystem {
 public:
  /// Adds a file by its path relative to the root, folders separated by "/".
  void Add(std::string_view path) {
    TNode* node = &m_root;
    for (std::size_t slash; (slash = path.find('/')) != std::string_view::npos;) {
      const std::string name(path.substr(0, slash));
      path.remove_prefix(slash + 1);
      if (!Usable(name)) continue;
      auto& folder = node->Folders[name];
      if (!folder) {
        // A name cannot be a file and a folder at once.
        if (std::find(node->Order.begin(), node->Order.end(), name) != node->Order.end()) return;
        folder = std::make_unique<TNode>();
        node->Order.push_back(name);
      }
      node = folder.get();
    }
    const std::string name(path);
    if (!Usable(name) || node->Folders.count(name)) return;
    node->Folders[name] = nullptr;
    node->Order.push_back(name);
  }

  qorv::TListStatus OpenFolder(const std::string& path,
                               std::unique_ptr<qorv::TFolder>& folder) override {
    if (path != kRoot) return {qorv::TListStatus::Failed, 2};
    folder = std::make_unique<TMemoryFolder>(m_root);
    return qorv::TListStatus::Success();
  }

  static constexpr const char* kRoot = "/site/";

 private:
  static bool Usable(const std::string& name) {
    return !name.empty() && name != "." && name != "..";
  }
  TNode m_root;
};

struct TInputs final : qorv::TScanInputs {
  std::string Url;
  std::string LocalFolder() const override { return TMemoryFileSystem::kRoot; }
  std::string SiteUrl() const override { return Url; }
};

void SetTyped(qorv::TVocabularyChoice& choice, std::string_view text) {
  choice.SetTyped(std::string(text), qorv::FindIgnoreCase(choice.Vocabulary(), text));
}

/// The next field of the input, up to a zero byte.
std::string_view Field(std::string_view& input) {
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
  const std::string_view flags = Field(input);
  qorv::TGeneratorSettings settings;
  settings.Compact = !flags.empty() && (flags[0] & 1) != 0;
  settings.TimeShort = flags.empty() || (flags[0] & 2) == 0;
  TInputs inputs;
  inputs.Url = std::string(Field(input));
  settings.IndexFile = std::string(Field(input));
  settings.FileMask = std::string(Field(input));
  SetTyped(settings.OtherChangefreq, Field(input));
  SetTyped(settings.OtherPriority, Field(input));
  SetTyped(settings.TimeZone, Field(input));
  TMemoryFileSystem fileSystem;
  while (!input.empty()) fileSystem.Add(Field(input));

  qorv::TLocaleFormats formats;
  formats.ShortDateFormat = "d/M/yyyy";
  qorv::TPageList pages;
  qorv::TSiteScanner scanner(settings, pages, inputs, formats, fileSystem);
  scanner.Now = [] { return qorv::TDateTime{{2006, 6, 1}, {12, 0, 0}}; };
  try {
    scanner.Run();
  } catch (const qorv::EWildcardError&) {
    // An empty mask ends the scan; the rows so far are written all the same.
  }
  pages.SelectAll();

  qorv::TSitemapWriter writer(formats);
  writer.Now = scanner.Now;
  std::string document;
  const std::uint64_t count = writer.WriteDocument(
      [&](std::string_view bytes) { document.append(bytes); }, pages, settings);

  const qorv::fuzz::TSitemapCheck check = qorv::fuzz::CheckSitemap(document);
  Require(check.WellFormed, "the sitemap is well-formed UTF-8 XML", check.Error + "\n" + document);
  Require(check.UrlCount == count, "every url element is counted");
  std::size_t written = 0;
  std::string_view rest = check.Locations;
  for (const qorv::TPageEntry& row : pages) {
    if (qorv::UrlLength(row.Url) > qorv::MaxUrlLength) continue;
    ++written;
    const std::size_t end = rest.find('\n');
    Require(qorv::XmlEscape(rest.substr(0, end)) == row.Url, "a URL reads back as its row",
            row.Url);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
  }
  Require(written == count, "rows over the length limit are left out");
  return 0;
}
