#pragma once

#include <QString>
#include <string_view>

namespace qorv {

/// The core's texts are UTF-8; this is how they enter the toolkit.
inline QString toQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace qorv
