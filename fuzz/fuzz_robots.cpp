// The robots.txt parser and matcher: robots.txt is whatever the site's
// folder holds, written by anyone, and a crawler's rules must not be
// broken by it.

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/robotsrules.h"
#include "fuzz/property.h"

namespace {

using qorv::fuzz::require;

bool isUnreserved(unsigned char c) {
  return std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~';
}

/// `path` with every unreserved character written as "%XX", which RFC 9309
/// compares as the character itself.
std::string encodeUnreserved(std::string_view path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string encoded;
  for (const char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    if (!isUnreserved(byte) || byte >= 0x80) {
      encoded += c;
      continue;
    }
    encoded += '%';
    encoded += kHex[byte >> 4];
    encoded += kHex[byte & 15];
  }
  return encoded;
}

std::string upper(std::string_view text) {
  std::string result(text);
  for (char& c : result) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return result;
}

/// The paths to ask about: those after the zero byte, one a line, and the
/// values of the text's own lines, which its rules are most likely to match.
std::vector<std::string> pathsToAsk(std::string_view text, std::string_view given) {
  std::vector<std::string> paths{"/", "/robots.txt", "/index.html"};
  const auto addLines = [&paths](std::string_view lines, bool values) {
    for (std::size_t start = 0; start < lines.size() && paths.size() < 64;) {
      std::size_t end = lines.find_first_of("\r\n", start);
      if (end == std::string_view::npos) end = lines.size();
      std::string_view line = lines.substr(start, end - start);
      start = end + 1;
      if (values) {
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos) continue;
        line.remove_prefix(colon + 1);
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
          line.remove_prefix(1);
      }
      std::string path;
      for (const char c : line)
        if (c != '*' && c != '$' && c != '#') path += c;
      paths.push_back(path);
    }
  };
  addLines(given, false);
  addLines(text, true);
  return paths;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) { return 0; }

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The robot's name on the first line, robots.txt after it, then
  // optionally a zero byte and paths to ask about, one a line.
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t zero = input.find('\0');
  const std::string_view head = input.substr(0, zero);
  const std::string_view given =
      zero == std::string_view::npos ? std::string_view() : input.substr(zero + 1);
  const std::size_t lineEnd = head.find('\n');
  const std::string_view robot = head.substr(0, lineEnd);
  const std::string_view text =
      lineEnd == std::string_view::npos ? std::string_view() : head.substr(lineEnd + 1);

  const qorv::RobotsRules rules = qorv::RobotsRules::parse(text, robot);
  const qorv::RobotsRules shouted = qorv::RobotsRules::parse(text, upper(robot));
  // Line ends of another system: every LF a CRLF.
  std::string crlf;
  for (const char c : text) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  const qorv::RobotsRules windows = qorv::RobotsRules::parse(crlf, robot);
  require(windows.ruleCount() == rules.ruleCount(), "CRLF line ends read as LF ones");

  require(rules.allows("/robots.txt"), "robots.txt itself is always allowed");
  require(rules.allows("") == rules.allows("/"), "an empty path is the root");
  // One converter for all the paths, as a scan keeps one: what it keeps of
  // the last folder must never change an answer.
  qorv::RobotsPathForm form;
  for (const std::string& path : pathsToAsk(text, given)) {
    const bool allowed = rules.allows(path);
    require(rules.allows(form.of(path)) == allowed, "the converted path is the path", path);
    require(shouted.allows(path) == allowed, "the robot's name counts in any case", path);
    require(windows.allows(path) == allowed, "CRLF line ends read as LF ones", path);
    if (path.empty() || path.front() != '/')
      require(rules.allows("/" + path) == allowed, "a path is read from the host's root", path);
    // A path's query may hold anything, but its path part no "%" that is
    // not an escape; keep to paths whose encoding is unambiguous.
    if (path.find('%') == std::string::npos)
      require(rules.allows(encodeUnreserved(path)) == allowed,
              "an escaped unreserved character is the character", path);
  }
  return 0;
}
