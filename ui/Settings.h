#pragma once

#include <QDialog>

namespace qorv {

struct TGeneratorSettings;

/// The settings dialog. Its controls are the live generator settings: no
/// copy, no cancel.
class TSetBox final : public QDialog {
 public:
  TSetBox(TGeneratorSettings& settings, QWidget* parent = nullptr);

  /// The settings were set from elsewhere (a project): show them.
  void SettingsChanged();

 private:
  TGeneratorSettings& m_settings;
};

extern TSetBox* SetBox;

}  // namespace qorv
