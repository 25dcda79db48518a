#include "persist/windowplacement.h"

namespace qorv {

TWindowState TWindowPlacementStore::Restore(const TCustomIniFile& store, TScreenSize screen) {
  TWindowState state;
  state.Maximized = store.ReadBool(kSection, "Maximized", false);
  if (state.Maximized) {
    state.Height = kNormalWindowHeight;
    state.Width = kNormalWindowWidth;
  } else {
    state.Height = store.ReadInteger(kSection, "Height", kNormalWindowHeight);
    state.Width = store.ReadInteger(kSection, "Width", kNormalWindowWidth);
  }
  const int centredLeft = CentredOffset(screen.Width, state.Width);
  const int centredTop = CentredOffset(screen.Height, state.Height);
  state.Left = state.Maximized ? centredLeft : store.ReadInteger(kSection, "Left", centredLeft);
  state.Top = state.Maximized ? centredTop : store.ReadInteger(kSection, "Top", centredTop);
  return state;
}

void TWindowPlacementStore::Save(TCustomIniFile& store, const TWindowState& state,
                                 TScreenSize screen) {
  TWindowState written = state;
  if (state.Maximized) {
    written.Width = kNormalWindowWidth;
    written.Height = kNormalWindowHeight;
    written.Left = CentredOffset(screen.Width, kNormalWindowWidth);
    written.Top = CentredOffset(screen.Height, kNormalWindowHeight);
  }
  store.WriteBool(kSection, "Maximized", written.Maximized);
  store.WriteInteger(kSection, "Left", written.Left);
  store.WriteInteger(kSection, "Top", written.Top);
  store.WriteInteger(kSection, "Height", written.Height);
  store.WriteInteger(kSection, "Width", written.Width);
}

TWindowState TWindowPlacementStore::Restore(TScreenSize screen) const {
  return Restore(TIniFile(m_path), screen);
}

void TWindowPlacementStore::Save(const TWindowState& state, TScreenSize screen) const {
  WriteAtOnce(m_path, [&](TCustomIniFile& store) { Save(store, state, screen); });
}

}  // namespace qorv
