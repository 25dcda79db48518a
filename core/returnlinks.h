#pragma once

#include <cstddef>
#include <vector>

#include "core/pagelist.h"

namespace qorv {

/// The written rows (`isWrittenRow`) whose language versions search engines
/// refuse for want of a return link, in list order: a row with alternates
/// that leave out its own URL, or that name another written row whose
/// alternates do not name it back. An alternate outside the list cannot
/// be checked and counts as linking back. URLs are compared as `sameUrl`
/// does; of rows with the same URL, the first answers for them.
std::vector<std::size_t> rowsWithoutReturnLinks(const PageList& pages);

}  // namespace qorv
