// The file mask matcher: masks and names both come from users (a project
// file may hold any mask) and from the folder tree.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/errors.h"
#include "core/unicodecase.h"
#include "core/utf8.h"
#include "core/wildcard.h"
#include "fuzz/property.h"

namespace {

using qorv::fuzz::require;

std::vector<char32_t> characters(std::string_view text) {
  std::vector<char32_t> characters;
  for (std::size_t pos = 0; pos < text.size();) characters.push_back(qorv::decodeUtf8(text, pos));
  return characters;
}

/// The rule itself, as a table over mask and name prefixes: slow but plain.
bool referenceMatch(std::string_view maskText, std::string_view nameText) {
  if (maskText == "*") return true;
  if (nameText.empty()) return false;
  const std::vector<char32_t> mask = characters(maskText);
  const std::vector<char32_t> name = characters(nameText);
  // matches[j]: whether the mask so far matches the first j characters.
  std::vector<unsigned char> matches(name.size() + 1, 0);
  matches[0] = 1;
  for (const char32_t m : mask) {
    std::vector<unsigned char> next(name.size() + 1, 0);
    for (std::size_t j = 0; j <= name.size(); ++j) {
      if (m == U'*')
        next[j] = matches[j] || (j > 0 && next[j - 1]);
      else if (j > 0)
        next[j] = matches[j - 1] && (m == U'?' || m == name[j - 1]);
    }
    matches.swap(next);
  }
  return matches[name.size()] != 0;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) { return 0; }

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The mask, a zero byte, the name; without a zero byte, the mask alone
  // against itself, which also finds self-similar slow cases.
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t zero = input.find('\0');
  const std::string_view maskText = input.substr(0, zero);
  const std::string_view nameText =
      zero == std::string_view::npos ? maskText : input.substr(zero + 1);
  // Both sides are upper-cased first, as the walk does.
  const std::string mask = qorv::toUpper(maskText);
  const std::string name = qorv::toUpper(nameText);

  bool matched = false;
  try {
    matched = qorv::wildcardMatch(mask, name);
  } catch (const qorv::EmptyMaskError&) {
    require(mask.empty(), "only an empty mask is an error", mask);
    return 0;
  }
  require(!mask.empty(), "an empty mask is an error");
  // The table costs mask x name for every input; past a size it would only
  // slow the search down, while the matcher still runs against the time limit.
  if (mask.size() * name.size() <= 100000)
    require(matched == referenceMatch(mask, name), "the matcher follows the rule",
            mask + std::string(1, '\0') + name);
  return 0;
}
