// Content memory files: they live in the user's data folder or wherever a
// project names, and a crash, a full disk or a person's editor may have
// left anything there. A file either loads whole, and then writes back to
// the same bytes, or counts as damaged and gives nothing at all.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/contentmemory.h"
#include "fuzz/property.h"
#include "platform/contentdigest.h"

namespace {

using qorv::ContentMemory;
using qorv::fuzz::require;

constexpr std::string_view kFolder = "/srv/site/public";

/// The folder a memory file names, read as the format gives it; nothing
/// when the start is not that of a memory file.
std::optional<std::string> namedFolder(std::string_view bytes) {
  constexpr std::string_view kStart = "Quorvex content memory 1\nfolder ";
  if (bytes.substr(0, kStart.size()) != kStart) return std::nullopt;
  bytes.remove_prefix(kStart.size());
  std::size_t length = 0;
  std::size_t digits = 0;
  while (digits < bytes.size() && digits < 12 && bytes[digits] >= '0' && bytes[digits] <= '9')
    length = length * 10 + static_cast<std::size_t>(bytes[digits++] - '0');
  if (digits == 0 || digits >= bytes.size() || bytes[digits] != ' ') return std::nullopt;
  bytes.remove_prefix(digits + 1);
  if (length > bytes.size()) return std::nullopt;
  return std::string(bytes.substr(0, length));
}

/// What loading `bytes` for `folder` must give: the whole memory, which
/// writes back to exactly those bytes and recalls each file's moment for
/// its digest alone, or nothing at all.
ContentMemory::Load requireWholeOrNothing(const std::string& bytes, std::string_view folder) {
  ContentMemory memory;
  const ContentMemory::Load load = memory.read(bytes, folder);
  if (load != ContentMemory::Load::Loaded) {
    require(memory.size() == 0 && memory.entries().empty(), "a memory not loaded holds nothing");
    return load;
  }
  const std::vector<qorv::MemoryEntry> entries = memory.entries();
  require(entries.size() == memory.size(), "a loaded memory gives every entry");
  require(qorv::formatContentMemory(entries, folder) == bytes,
          "a loaded memory writes back to its bytes", bytes);
  for (const qorv::MemoryEntry& entry : entries) {
    require(memory.recall(entry.path, entry.digest) == entry.moment, "each file is recalled",
            entry.path);
    qorv::ContentDigest other = entry.digest;
    other.low ^= 1;
    require(!memory.recall(entry.path, other), "a changed file is not recalled", entry.path);
  }
  return load;
}

/// A memory made of the input: paths and moments of any bytes, as the
/// writer may be given them, read back as they were.
void requireFormattedReadsBack(std::string_view input) {
  std::vector<qorv::MemoryEntry> entries;
  while (input.size() >= 4) {
    const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(input[at]); };
    qorv::RememberedMoment moment{
        {{1 + (byte(0) << 5 | byte(1) >> 3) % 9999, 1 + byte(1) % 12, 1 + byte(2) % 28},
         {byte(3) % 24, byte(2) % 60, byte(0) % 60}},
        (byte(3) & 0x80) != 0};
    input.remove_prefix(4);
    const std::size_t end = std::min(input.find('\0'), input.size());
    const std::string path(input.substr(0, end));
    input.remove_prefix(std::min(end + 1, input.size()));
    if (path.empty()) continue;
    entries.push_back({path, qorv::digestBytes(path.substr(0, path.size() / 2)), moment});
  }
  const std::string bytes = qorv::formatContentMemory(entries, kFolder);
  require(requireWholeOrNothing(bytes, kFolder) == ContentMemory::Load::Loaded,
          "what the writer writes loads", bytes);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) { return 0; }

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The first byte picks how the rest is taken: as a memory file as it is;
  // as its body, sealed with the right checksum so that the reading of the
  // lines is reached; or as entries for the writer. The second byte picks a
  // byte of an accepted file to change.
  std::string_view input(reinterpret_cast<const char*>(data), size);
  if (input.size() < 2) return 0;
  const unsigned mode = static_cast<unsigned char>(input[0]) % 3;
  const std::size_t changed = static_cast<unsigned char>(input[1]);
  input.remove_prefix(2);
  if (mode == 2) {
    requireFormattedReadsBack(input);
    return 0;
  }
  std::string bytes(input);
  if (mode == 1) bytes += "end " + qorv::digestText(qorv::digestBytes(bytes)) + "\n";

  const ContentMemory::Load load = requireWholeOrNothing(bytes, kFolder);
  if (load == ContentMemory::Load::Foreign) {
    const std::optional<std::string> own = namedFolder(bytes);
    require(own && *own != kFolder, "a foreign memory names another folder");
    require(requireWholeOrNothing(bytes, *own) == ContentMemory::Load::Loaded,
            "a foreign memory is whole, and loads for its own folder", *own);
  }
  if (load == ContentMemory::Load::Loaded && !bytes.empty()) {
    std::string damaged = bytes;
    damaged[changed % damaged.size()] ^= 0x20;
    require(requireWholeOrNothing(damaged, kFolder) == ContentMemory::Load::Damaged,
            "a changed byte damages the file", damaged);
  }
  return 0;
}
