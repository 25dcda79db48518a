#pragma once

#include <string>

#include "persist/inifile.h"

namespace qorv {

/// The main window's state and outer geometry, in screen pixels.
struct TWindowState {
  bool Maximized = false;
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
  friend bool operator==(const TWindowState&, const TWindowState&) = default;
};

struct TScreenSize {
  int Width = 0;
  int Height = 0;
};

/// The main window's normal size, also its size in the placement defaults.
inline constexpr int kNormalWindowWidth = 630;
inline constexpr int kNormalWindowHeight = 460;

/// Offset that centres `window` pixels on `screen` pixels, truncated toward
/// zero: negative when the window is larger than the screen.
constexpr int CentredOffset(int screen, int window) { return (screen - window) / 2; }

/// Where the main window opens, kept in section "Window" of "qorv.ini".
/// Values are used as stored, never clamped to the screen.
class TWindowPlacementStore {
 public:
  static constexpr const char* kSection = "Window";

  /// What to apply to the window: a maximized window gets the normal size,
  /// centred, as its normal state.
  static TWindowState Restore(const TCustomIniFile& store, TScreenSize screen);
  /// Writes Maximized, Left, Top, Height and Width in that order; a
  /// maximized window is written as its centred normal size.
  static void Save(TCustomIniFile& store, const TWindowState& state, TScreenSize screen);

  explicit TWindowPlacementStore(std::string iniPath) : m_path(std::move(iniPath)) {}
  TWindowState Restore(TScreenSize screen) const;
  /// Into "qorv.ini", replacing it in one piece (see WriteAtOnce).
  void Save(const TWindowState& state, TScreenSize screen) const;

 private:
  std::string m_path;
};

}  // namespace qorv
