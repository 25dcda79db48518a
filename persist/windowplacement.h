#pragma once

#include <string>

#include "persist/inifile.h"

namespace qorv {

/// The main window's state and outer geometry, in screen pixels.
struct WindowState {
  bool maximized = false;
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  friend bool operator==(const WindowState&, const WindowState&) = default;
};

struct ScreenSize {
  int width = 0;
  int height = 0;
};

/// The main window's normal size, also its minimum size and its size in
/// the placement defaults.
inline constexpr int kNormalWindowWidth = 630;
inline constexpr int kNormalWindowHeight = 460;

/// Offset that centres `window` pixels on `screen` pixels, truncated toward
/// zero: negative when the window is larger than the screen.
constexpr int centredOffset(int screen, int window) { return (screen - window) / 2; }

/// Where the main window opens, kept in section "Window" of "qorv.ini".
/// Values are used as stored, never clamped to the screen.
class WindowPlacement {
 public:
  static constexpr const char* kSection = "Window";

  /// What to apply to the window: a maximized window gets the normal size,
  /// centred, as its normal state. A missing position centres the size the
  /// window takes, which is never below the normal size: a stored size
  /// below it is returned as stored, and the window's minimum enlarges it.
  static WindowState restore(const IniStore& store, ScreenSize screen);
  /// Writes Maximized, Left, Top, Height and Width in that order; a
  /// maximized window is written as its centred normal size.
  static void save(IniStore& store, const WindowState& state, ScreenSize screen);

  explicit WindowPlacement(std::string iniPath) : m_path(std::move(iniPath)) {}
  WindowState restore(ScreenSize screen) const;
  /// Into "qorv.ini", replacing it in one piece (see writeAtOnce).
  void save(const WindowState& state, ScreenSize screen) const;

 private:
  std::string m_path;
};

}  // namespace qorv
