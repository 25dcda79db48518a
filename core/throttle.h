#pragma once

#include <chrono>
#include <functional>

namespace qorv {

/// Lets something happen at most once per interval: a progress line, a pass
/// of the event loop, a repaint of a growing list. Work that runs per file
/// asks it every time and acts only when it says so.
class Throttle {
 public:
  using Clock = std::chrono::steady_clock;

  explicit Throttle(std::chrono::milliseconds interval,
                    std::function<Clock::time_point()> now = &Clock::now)
      : m_interval(interval), m_now(std::move(now)) {}

  /// True the first time, then once the interval has passed since the last true.
  bool due() {
    const Clock::time_point now = m_now();
    if (m_started && now - m_last < m_interval) return false;
    m_started = true;
    m_last = now;
    return true;
  }

 private:
  std::chrono::milliseconds m_interval;
  std::function<Clock::time_point()> m_now;
  Clock::time_point m_last{};
  bool m_started = false;
};

/// How often a running scan shows its progress: the list grows and the count
/// moves visibly, without redrawing for every file.
inline constexpr std::chrono::milliseconds kProgressInterval{100};

}  // namespace qorv
