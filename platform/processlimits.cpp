#include "platform/processlimits.h"

#include <algorithm>
#include <limits>
#include <thread>

#include "platform/systemcalls.h"

namespace qorv {

unsigned usableProcessorCount() {
  cpu_set_t set;
  CPU_ZERO(&set);
  // More processors than a cpu_set_t holds (1024) fail the call; the
  // machine's count is the next best answer then.
  if (sys::processorAffinity(&set) != 0) return std::max(1u, std::thread::hardware_concurrency());
  return static_cast<unsigned>(std::max(1, CPU_COUNT(&set)));
}

std::size_t openFileLimit() {
  rlimit limit{};
  if (sys::openFileLimit(&limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
    return std::numeric_limits<std::size_t>::max();
  return static_cast<std::size_t>(limit.rlim_cur);
}

}  // namespace qorv
