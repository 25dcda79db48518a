#include "persist/windowplacement.h"

#include <algorithm>

namespace qorv {

WindowState WindowPlacement::restore(const IniStore& store, ScreenSize screen) {
  WindowState state;
  state.maximized = store.readBool(kSection, "Maximized", false);
  if (state.maximized) {
    state.height = kNormalWindowHeight;
    state.width = kNormalWindowWidth;
  } else {
    state.height = store.readInteger(kSection, "Height", kNormalWindowHeight);
    state.width = store.readInteger(kSection, "Width", kNormalWindowWidth);
  }
  const int centredLeft = centredOffset(screen.width, std::max(state.width, kNormalWindowWidth));
  const int centredTop = centredOffset(screen.height, std::max(state.height, kNormalWindowHeight));
  state.left = state.maximized ? centredLeft : store.readInteger(kSection, "Left", centredLeft);
  state.top = state.maximized ? centredTop : store.readInteger(kSection, "Top", centredTop);
  return state;
}

void WindowPlacement::save(IniStore& store, const WindowState& state, ScreenSize screen) {
  WindowState written = state;
  if (state.maximized) {
    written.width = kNormalWindowWidth;
    written.height = kNormalWindowHeight;
    written.left = centredOffset(screen.width, kNormalWindowWidth);
    written.top = centredOffset(screen.height, kNormalWindowHeight);
  }
  store.writeBool(kSection, "Maximized", written.maximized);
  store.writeInteger(kSection, "Left", written.left);
  store.writeInteger(kSection, "Top", written.top);
  store.writeInteger(kSection, "Height", written.height);
  store.writeInteger(kSection, "Width", written.width);
}

WindowState WindowPlacement::restore(ScreenSize screen) const {
  return restore(IniFile(m_path), screen);
}

void WindowPlacement::save(const WindowState& state, ScreenSize screen) const {
  writeAtOnce(m_path, [&](IniStore& store) { save(store, state, screen); });
}

}  // namespace qorv
