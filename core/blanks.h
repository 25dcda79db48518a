#pragma once

#include <string_view>

namespace qorv {

/// `text` without the spaces and tabs at its ends: what the line formats
/// read here (INI files, robots.txt) take for blanks around a name or a
/// value.
constexpr std::string_view trimBlanks(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace qorv
