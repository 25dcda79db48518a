// The head reader and the rules over what it read: page bytes come from
// anywhere on the disk, and the parser runs on every page of a scan.

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/headrules.h"
#include "core/htmlencoding.h"
#include "core/pagehead.h"
#include "core/urltext.h"
#include "fuzz/property.h"

namespace {

using qorv::fuzz::require;

/// A page of twice the read limit, so that heads which do not end meet it:
/// the input repeated, or the input and then blanks, which cost less time
/// and so leave more for other inputs.
class RepeatingFile final : public qorv::FileReader {
 public:
  RepeatingFile(std::string_view bytes, bool repeat) : m_bytes(bytes), m_repeat(repeat) {}

  qorv::Result<bool> read(std::string& bytes, std::size_t upTo) override {
    const std::size_t size = m_bytes.empty() ? 0 : 2 * qorv::kMaxHeadBytes;
    upTo = std::min(upTo, size);
    require(upTo <= qorv::kMaxHeadBytes, "no page is read past the limit");
    bytes.reserve(upTo);
    if (!m_repeat) {
      if (bytes.size() < m_bytes.size())
        bytes.append(m_bytes.substr(bytes.size(), upTo - std::min(upTo, bytes.size())));
      bytes.resize(std::max(bytes.size(), upTo), ' ');
      return bytes.size() >= size;
    }
    while (bytes.size() < upTo) {
      const std::size_t at = bytes.size() % m_bytes.size();
      if (at == 0 && !bytes.empty()) {
        // Whole periods so far: they repeat as one, so that a short input
        // fills the limit in a few copies.
        const std::size_t copied = std::min(bytes.size(), upTo - bytes.size());
        bytes.append(bytes.data(), copied);
        continue;
      }
      bytes.append(m_bytes.substr(at, std::min(m_bytes.size() - at, upTo - bytes.size())));
    }
    return bytes.size() >= size;
  }

 private:
  std::string_view m_bytes;
  bool m_repeat;
};

class OneFileFolder final : public qorv::Folder {
 public:
  OneFileFolder(std::string_view bytes, bool repeat) : m_bytes(bytes), m_repeat(repeat) {}
  qorv::FolderId id() const override { return {}; }
  qorv::Result<std::unique_ptr<qorv::FolderListing>> list() override {
    return qorv::Failure{ENOENT};
  }
  qorv::Result<std::unique_ptr<qorv::Folder>> openSubfolder(std::string_view) override {
    return qorv::Failure{ENOENT};
  }
  qorv::Result<std::optional<qorv::DateTime>> lastWriteTime(std::string_view) override {
    return std::optional<qorv::DateTime>();
  }
  qorv::Result<std::int64_t> writeTime(std::string_view) override { return std::int64_t{0}; }
  qorv::Result<std::string> readFile(std::string_view, std::size_t) override {
    return qorv::Failure{ENOENT};
  }
  qorv::Result<std::unique_ptr<qorv::FileReader>> openFile(std::string_view) override {
    return std::unique_ptr<qorv::FileReader>(std::make_unique<RepeatingFile>(m_bytes, m_repeat));
  }

 private:
  std::string_view m_bytes;
  bool m_repeat;
};

bool hasXmlSpecials(std::string_view text) {
  return text.find_first_of("<>\"'") != std::string_view::npos;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) { return 0; }

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view page(reinterpret_cast<const char*>(data), size);
  static qorv::HeadParser parser;

  qorv::PageHead whole;
  parser.startPage();
  require(parser.parse(page, qorv::PageStart::Whole, whole), "a whole page gives a head");
  require(whole.complete, "a whole page's head is complete");

  // Wherever the bytes read so far end, a head that the parser calls final
  // is the one the whole page gives, unless those bytes are UTF-8 and the
  // whole page's are not, so that a page that names no encoding reads
  // otherwise.
  const std::size_t cut = size == 0 ? 0 : data[0] % (size + 1);
  const bool sameFallback =
      qorv::fallbackEncoding(page.substr(0, cut), true) == qorv::fallbackEncoding(page, false);
  qorv::PageHead early;
  parser.startPage();
  if (parser.parse(page.substr(0, cut), qorv::PageStart::More, early) && sameFallback)
    require(early == whole, "a head final early is the whole page's", page.substr(0, cut));

  // Read in steps, each going on from where the one before stopped, the
  // page gives the head it gives read at once.
  const std::size_t step = size < 2 ? 1 : 1 + data[1] % 64;
  qorv::PageHead stepped;
  parser.startPage();
  for (std::size_t given = 0;;) {
    given = std::min(size, given + step);
    const qorv::PageStart kind = given == size ? qorv::PageStart::Whole : qorv::PageStart::More;
    if (parser.parse(page.substr(0, given), kind, stepped)) {
      if (qorv::fallbackEncoding(page.substr(0, given), kind != qorv::PageStart::Whole) ==
          qorv::fallbackEncoding(page, false))
        require(stepped == whole, "a head read in steps is the one read at once");
      break;
    }
  }

  std::string buffer;
  qorv::PageHead read;
  OneFileFolder folder(page, size > 0 && data[size - 1] % 8 == 0);
  const qorv::Result<bool> readOk = qorv::readPageHead(folder, "page.html", parser, buffer, read);
  require(readOk.ok() && *readOk, "a page that reads gives a head");
  require(buffer.size() <= qorv::kMaxHeadBytes, "no more than the limit is read");

  const std::string pageUrl = "https://example.com/docs/page.html";
  const std::string site = "https://example.com/docs/";
  (void)qorv::isNoindex(whole);
  (void)qorv::isRedirectStub(whole, pageUrl);
  const qorv::CanonicalUrl canonical = qorv::canonicalUrl(whole, pageUrl, site);
  if (canonical.kind == qorv::CanonicalUrl::WithinSite) {
    require(!hasXmlSpecials(canonical.rowUrl), "a row's URL is XML-escaped", canonical.rowUrl);
    require(qorv::isWithinSite(qorv::urlOfRowText(canonical.rowUrl), site),
            "a canonical row lies within the site", canonical.rowUrl);
  }
  for (const qorv::LanguageAlternate& alternate : qorv::languageAlternates(whole, pageUrl))
    require(!hasXmlSpecials(alternate.url) && !hasXmlSpecials(alternate.hreflang),
            "alternates are XML-escaped", alternate.url);
  return 0;
}
