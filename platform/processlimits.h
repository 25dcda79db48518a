#pragma once

#include <cstddef>

namespace qorv {

/// The processors this process may run on (its affinity mask, which
/// `taskset` and container limits narrow), at least 1.
unsigned usableProcessorCount();

/// The most descriptors this process may hold open at once (the soft
/// RLIMIT_NOFILE); a large number when there is no limit or it cannot be told.
std::size_t openFileLimit();

}  // namespace qorv
