#pragma once

#include "ui/fixeddialog.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace qorv {

struct TGeneratorSettings;
class TVocabularyBox;

/// The settings dialog. Its controls are the live generator settings: a
/// change in a control is a change of the setting at once, and there is no
/// copy and no cancel (Esc does nothing; every way of closing keeps all).
class TSetBox final : public TFixedDialog {
 public:
  TSetBox(TGeneratorSettings& settings, QWidget* parent = nullptr);

  /// The settings were set elsewhere (a project): the controls show them.
  void SettingsChanged();

  QGroupBox* GroupBox5;
  QGroupBox* GroupBox6;
  QLabel* Label8;
  QLineEdit* Edit1;
  QLabel* Label9;
  QLineEdit* Edit2;
  QGroupBox* GroupBox2;
  QLabel* Label4;
  TVocabularyBox* ComboBox2;
  QLabel* Label5;
  TVocabularyBox* ComboBox3;
  QGroupBox* GroupBox4;
  QLabel* Label6;
  TVocabularyBox* ComboBox4;
  QLabel* Label7;
  TVocabularyBox* ComboBox5;
  QGroupBox* GroupBox1;
  QGroupBox* GroupBox3;
  QRadioButton* RadioButton1;
  QLabel* Label1;
  QRadioButton* RadioButton2;
  QLabel* Label2;
  QLabel* Label3;
  TVocabularyBox* ComboBox1;
  QCheckBox* CheckBox1;
  QPushButton* OKBtn;

 private:
  TGeneratorSettings& m_settings;
  bool m_showing = false;
};

extern TSetBox* SetBox;

}  // namespace qorv
