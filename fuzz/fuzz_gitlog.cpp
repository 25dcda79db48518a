// The git log that the git dates are read from: git's output is trusted no
// further than its form, and a repository's commits may hold any bytes
// (messages, names, a committer line of another program). Reading never
// crashes, and the answers do not depend on how the output is cut into
// the pieces a pipe delivers.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "fuzz/property.h"
#include "platform/lastcommits.h"

namespace {

using qorv::fuzz::require;

struct Outcome {
  bool whole = false;
  std::vector<std::tuple<std::string, std::int64_t, int, bool>> found;
  friend bool operator==(const Outcome&, const Outcome&) = default;
};

Outcome readInPieces(std::string_view log, std::size_t pieceSize) {
  qorv::LastCommitReader reader;
  while (!log.empty()) {
    const std::size_t size = std::min(pieceSize, log.size());
    reader.feed(log.substr(0, size));
    log.remove_prefix(size);
  }
  Outcome outcome;
  outcome.whole = reader.finish();
  if (!outcome.whole) return outcome;
  for (const auto& [path, found] : reader.takeFound())
    outcome.found.emplace_back(path, found.time.utcSeconds, found.time.offsetMinutes, found.inHead);
  std::sort(outcome.found.begin(), outcome.found.end());
  return outcome;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) { return 0; }

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The first byte is the size of the pieces to compare with the output
  // read whole; the rest is the output.
  std::string_view input(reinterpret_cast<const char*>(data), size);
  if (input.empty()) return 0;
  const std::size_t pieceSize = 1 + static_cast<unsigned char>(input[0]) % 64;
  input.remove_prefix(1);

  const Outcome whole = readInPieces(input, input.size() + 1);
  require(readInPieces(input, pieceSize) == whole, "pieces read as the whole output does");
  for (const auto& answer : whole.found)
    require(!std::get<0>(answer).empty(), "every answer names a path");
  return 0;
}
