#pragma once

#include "ui/fixeddialog.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace qorv {

struct GeneratorSettings;
class VocabularyBox;

/// The settings dialog. Its controls are the live generator settings: a
/// change in a control is a change of the setting at once, and there is no
/// copy and no cancel (Esc does nothing; every way of closing keeps all).
class SettingsDialog final : public FixedDialog {
  Q_OBJECT

 public:
  SettingsDialog(GeneratorSettings& settings, QWidget* parent);

  /// The settings were set elsewhere (a project): the controls show them.
  void showSettings();

 private:
  GeneratorSettings& m_settings;
  bool m_showing = false;

  QGroupBox* m_siteMapGroup;
  QGroupBox* m_folderScanGroup;
  QLabel* m_fileMaskLabel;
  QLineEdit* m_fileMaskEdit;
  QLabel* m_indexFileLabel;
  QLineEdit* m_indexFileEdit;
  QGroupBox* m_rootTagsGroup;
  QLabel* m_rootChangefreqLabel;
  VocabularyBox* m_rootChangefreqBox;
  QLabel* m_rootPriorityLabel;
  VocabularyBox* m_rootPriorityBox;
  QGroupBox* m_otherTagsGroup;
  QLabel* m_otherChangefreqLabel;
  VocabularyBox* m_otherChangefreqBox;
  QLabel* m_otherPriorityLabel;
  VocabularyBox* m_otherPriorityBox;
  QGroupBox* m_generationGroup;
  QGroupBox* m_lastmodFormatGroup;
  QRadioButton* m_shortLastmodRadio;
  QLabel* m_shortLastmodExample;
  QRadioButton* m_longLastmodRadio;
  QLabel* m_longLastmodExample;
  QLabel* m_timeZoneLabel;
  VocabularyBox* m_timeZoneBox;
  QCheckBox* m_compactCheckBox;
  QPushButton* m_okButton;
};

}  // namespace qorv
