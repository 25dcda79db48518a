#include "core/robotsrules.h"

#include <algorithm>

namespace qorv {

namespace {

enum class Octet : unsigned char { Keep, Encode, Percent };

// RFC 3986's unreserved and reserved characters stand as they are in a URL;
// everything else must be percent-encoded there.
constexpr std::array<Octet, 256> makeOctets() {
  std::array<Octet, 256> octets{};
  for (int c = 0; c < 256; ++c) {
    const bool letterOrDigit =
        (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
    const bool other = std::string_view("-._~:/?#[]@!$&'()*+,;=").find(static_cast<char>(c)) !=
                       std::string_view::npos;
    octets[static_cast<std::size_t>(c)] =
        c == '%' ? Octet::Percent : (letterOrDigit || other ? Octet::Keep : Octet::Encode);
  }
  return octets;
}

constexpr std::array<Octet, 256> kOctets = makeOctets();

Octet classOf(char c) { return kOctets[static_cast<unsigned char>(c)]; }

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool isUpperHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }

bool isUnreserved(int c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '~';
}

// "%2A" and "%24" decode too: the RFC writes them in a rule to match the
// characters "*" and "$", which unencoded would be the wildcard and the end.
bool decodes(int c) { return isUnreserved(c) || c == '*' || c == '$'; }

/// The octet "%XY" at `pos` stands for, or -1 when there is no such escape.
int escapedAt(std::string_view text, std::size_t pos) {
  if (pos + 2 >= text.size()) return -1;
  const int high = hexValue(text[pos + 1]);
  const int low = hexValue(text[pos + 2]);
  return high < 0 || low < 0 ? -1 : high * 16 + low;
}

void appendPercent(std::string& out, int octet) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  out += '%';
  out += kHex[(octet >> 4) & 0x0F];
  out += kHex[octet & 0x0F];
}

void appendComparedForm(std::string& out, std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    switch (classOf(c)) {
      case Octet::Keep:
        out += c;
        break;
      case Octet::Encode:
        appendPercent(out, static_cast<unsigned char>(c));
        break;
      case Octet::Percent: {
        const int octet = escapedAt(text, i);
        if (octet < 0) {
          appendPercent(out, '%');
        } else {
          if (decodes(octet))
            out += static_cast<char>(octet);
          else
            appendPercent(out, octet);
          i += 2;
        }
        break;
      }
    }
  }
}

bool inComparedForm(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    switch (classOf(text[i])) {
      case Octet::Keep:
        break;
      case Octet::Encode:
        return false;
      case Octet::Percent: {
        const int octet = escapedAt(text, i);
        if (octet < 0 || decodes(octet) || !isUpperHexDigit(text[i + 1]) ||
            !isUpperHexDigit(text[i + 2]))
          return false;
        i += 2;
        break;
      }
    }
  }
  return true;
}

std::string_view trimBlanks(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool equalsInAnyCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

void addOctets(std::array<std::uint64_t, 4>& set, std::string_view text) {
  for (const char c : text) {
    const auto octet = static_cast<unsigned char>(c);
    set[octet >> 6] |= std::uint64_t{1} << (octet & 63);
  }
}

std::string_view productToken(std::string_view name) {
  std::size_t end = 0;
  while (end < name.size()) {
    const char c = name[end];
    if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == '-')) break;
    ++end;
  }
  return name.substr(0, end);
}

}  // namespace

RobotsRules::Rule RobotsRules::makeRule(std::string_view value, bool allow) {
  Rule rule;
  rule.allow = allow;
  std::string_view path = value;
  if (path.back() == '$') {
    rule.anchoredAtEnd = true;
    path.remove_suffix(1);
  }
  std::string piece;
  if (path.empty() || (path.front() != '/' && path.front() != '*')) piece += '/';
  for (;;) {
    const std::size_t star = path.find('*');
    appendComparedForm(piece, path.substr(0, star));
    rule.length += piece.size();
    if (!rule.pieces.empty()) addOctets(rule.octets, piece);
    rule.pieces.push_back(std::move(piece));
    piece.clear();
    if (star == std::string_view::npos) break;
    ++rule.length;
    path.remove_prefix(star + 1);
  }
  if (rule.anchoredAtEnd) ++rule.length;
  return rule;
}

RobotsRules RobotsRules::parse(std::string_view text, std::string_view robotName) {
  if (text.size() > kRobotsTxtLimit) {
    // Only whole lines: the one the limit cuts could say the opposite of
    // what the site meant.
    text = text.substr(0, kRobotsTxtLimit);
    const std::size_t lastEnd = text.find_last_of("\r\n");
    text = lastEnd == std::string_view::npos ? std::string_view() : text.substr(0, lastEnd + 1);
  }
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);

  const std::string_view robot = productToken(trimBlanks(robotName));
  // Each group is kept only as far as it concerns this robot: by its name,
  // or as a "*" group, should no group name it.
  std::vector<Rule> named;
  std::vector<Rule> anyRobot;
  bool nameFound = false;
  bool inGroup = false;
  bool afterRule = false;
  bool groupNamesRobot = false;
  bool groupIsAny = false;

  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    line = line.substr(0, line.find('#'));
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    const std::string_view key = trimBlanks(line.substr(0, colon));
    const std::string_view value = trimBlanks(line.substr(colon + 1));

    if (equalsInAnyCase(key, "user-agent")) {
      if (!inGroup || afterRule) {
        inGroup = true;
        afterRule = false;
        groupNamesRobot = false;
        groupIsAny = false;
      }
      if (value == "*") {
        groupIsAny = true;
      } else if (!robot.empty() && equalsInAnyCase(productToken(value), robot)) {
        groupNamesRobot = true;
        nameFound = true;
      }
      continue;
    }
    const bool allow = equalsInAnyCase(key, "allow");
    if (!allow && !equalsInAnyCase(key, "disallow")) continue;
    if (!inGroup) continue;  // a rule before any "user-agent" line belongs to no robot
    afterRule = true;
    if ((!groupNamesRobot && !groupIsAny) || value.empty()) continue;

    Rule rule = makeRule(value, allow);
    if (groupNamesRobot) named.push_back(rule);
    if (groupIsAny) anyRobot.push_back(std::move(rule));
  }

  RobotsRules rules;
  rules.m_rules = nameFound ? std::move(named) : std::move(anyRobot);
  std::stable_sort(rules.m_rules.begin(), rules.m_rules.end(), [](const Rule& a, const Rule& b) {
    return a.length != b.length ? a.length > b.length : a.allow && !b.allow;
  });
  for (std::uint32_t i = 0; i < rules.m_rules.size(); ++i) {
    const Rule& rule = rules.m_rules[i];
    (rule.pieces.size() == 1 && !rule.anchoredAtEnd ? rules.m_prefixes : rules.m_others)
        .push_back(i);
  }
  const auto textOf = [&rules](std::uint32_t i) -> const std::string& {
    return rules.m_rules[i].pieces.front();
  };
  // By text, and of equal texts only the first in precedence: "allow".
  std::stable_sort(rules.m_prefixes.begin(), rules.m_prefixes.end(),
                   [&](std::uint32_t a, std::uint32_t b) { return textOf(a) < textOf(b); });
  rules.m_prefixes.erase(
      std::unique(rules.m_prefixes.begin(), rules.m_prefixes.end(),
                  [&](std::uint32_t a, std::uint32_t b) { return textOf(a) == textOf(b); }),
      rules.m_prefixes.end());
  return rules;
}

bool RobotsRules::matches(const Rule& rule, std::string_view path) {
  // Fixed runs between stars: taking each run at its first place after the
  // one before leaves the most room for the rest, so no going back is
  // needed; only the last run of a "$" rule must sit at the very end.
  const std::vector<std::string>& pieces = rule.pieces;
  if (path.substr(0, pieces.front().size()) != pieces.front()) return false;
  std::size_t pos = pieces.front().size();
  if (pieces.size() == 1) return !rule.anchoredAtEnd || pos == path.size();
  for (std::size_t i = 1; i + 1 < pieces.size(); ++i) {
    const std::size_t found = path.find(pieces[i], pos);
    if (found == std::string_view::npos) return false;
    pos = found + pieces[i].size();
  }
  const std::string& last = pieces.back();
  if (!rule.anchoredAtEnd) return path.find(last, pos) != std::string_view::npos;
  return path.size() - pos >= last.size() && path.substr(path.size() - last.size()) == last;
}

std::size_t RobotsRules::longestPrefix(std::string_view path) const {
  // The greatest rule text not after `key` is the longest rule that is a
  // prefix of `key`, if it is a prefix at all; if not, every such rule is a
  // prefix of what the two have in common, and the search goes on with that.
  std::string_view key = path;
  for (;;) {
    const auto after = std::upper_bound(
        m_prefixes.begin(), m_prefixes.end(), key,
        [this](std::string_view k, std::uint32_t i) { return k < m_rules[i].pieces.front(); });
    if (after == m_prefixes.begin()) return kNoRule;
    const std::uint32_t rank = *(after - 1);
    const std::string_view text = m_rules[rank].pieces.front();
    std::size_t common = 0;
    while (common < text.size() && common < key.size() && text[common] == key[common]) ++common;
    if (common == text.size()) return rank;
    key = key.substr(0, common);
  }
}

bool RobotsRules::decide(std::string_view path) const {
  if (path == "/robots.txt") return true;
  const std::size_t prefix = longestPrefix(path);
  OctetSet pathOctets{};
  bool octetsKnown = false;
  for (const std::uint32_t i : m_others) {
    if (i > prefix) break;  // the prefix rule wins over this one and all after it
    const Rule& rule = m_rules[i];
    if (rule.pieces.size() > 1) {
      // A rule with stars looks for its runs anywhere in the path, and one
      // such as "/*.pdf$" is tried on every path: first a test that most
      // paths fail at the cost of four "and"s, the octets the runs need.
      if (!octetsKnown) {
        addOctets(pathOctets, path);
        octetsKnown = true;
      }
      std::uint64_t missing = 0;
      for (std::size_t w = 0; w < pathOctets.size(); ++w)
        missing |= rule.octets[w] & ~pathOctets[w];
      if (missing != 0) continue;
    }
    if (matches(rule, path)) return rule.allow;
  }
  return prefix == kNoRule || m_rules[prefix].allow;
}

bool RobotsRules::allows(std::string_view path) const {
  if (m_rules.empty()) return true;
  if (!path.empty() && path.front() == '/' && inComparedForm(path)) return decide(path);
  // Per thread, so that the buffer's memory is taken once and matching
  // stays safe to run from several threads.
  thread_local std::string compared;
  compared.clear();
  if (path.empty() || path.front() != '/') compared += '/';
  appendComparedForm(compared, path);
  return decide(compared);
}

std::string_view pathFromHostRoot(std::string_view url) {
  url = url.substr(0, url.find('#'));
  if (url.substr(0, 2) != "//" && url.substr(0, 1) == "/") return url;
  std::size_t hostStart = 0;
  const std::size_t schemeEnd = url.find("://");
  const auto isSchemeChar = [](char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' ||
           c == '-' || c == '.';
  };
  if (schemeEnd != std::string_view::npos && schemeEnd > 0 &&
      std::all_of(url.begin(), url.begin() + static_cast<std::ptrdiff_t>(schemeEnd), isSchemeChar))
    hostStart = schemeEnd + 3;
  else if (url.substr(0, 2) == "//")
    hostStart = 2;
  const std::size_t pathStart = url.find_first_of("/?", hostStart);
  return pathStart == std::string_view::npos ? std::string_view() : url.substr(pathStart);
}

}  // namespace qorv
