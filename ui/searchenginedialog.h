#pragma once

#include "ui/fixeddialog.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace qorv {

struct GeneratorSettings;

/// The settings for search engines of today: the schema, letters outside
/// ASCII, parts under an index, gzip copies and the robots.txt line; under
/// "Adresy", URLs without ".html" and the stylesheet the files name for
/// browsers; and what the scan leaves out: pages robots.txt forbids, paths
/// the exclude patterns name, pages by what their heads say.
/// Like
/// the settings dialog, its controls are the live settings, with no copy
/// and no cancel.
class SearchEngineDialog final : public FixedDialog {
  Q_OBJECT

 public:
  SearchEngineDialog(GeneratorSettings& settings, QWidget* parent);

  /// The settings were set elsewhere (a project): the controls show them.
  void showSettings();

 private:
  GeneratorSettings& m_settings;
  bool m_showing = false;

  QLabel* m_schemaLabel;
  QComboBox* m_schemaBox;
  QCheckBox* m_encodeNonAsciiCheckBox;
  QCheckBox* m_splitIndexCheckBox;
  QCheckBox* m_gzipCheckBox;
  QCheckBox* m_robotsTxtCheckBox;
  QGroupBox* m_addressGroup;
  QCheckBox* m_dropExtensionCheckBox;
  QCheckBox* m_hreflangCheckBox;
  QLabel* m_stylesheetLabel;
  QLineEdit* m_stylesheetEdit;
  QCheckBox* m_writeStylesheetCheckBox;
  QGroupBox* m_leaveOutGroup;
  QCheckBox* m_obeyRobotsCheckBox;
  QLabel* m_robotsAgentLabel;
  QLineEdit* m_robotsAgentEdit;
  QLabel* m_excludeLabel;
  QLineEdit* m_excludeEdit;
  QCheckBox* m_skipNoindexCheckBox;
  QCheckBox* m_skipRedirectsCheckBox;
  QCheckBox* m_useCanonicalCheckBox;
  QGroupBox* m_lastmodGroup;
  QComboBox* m_lastmodSourceBox;
  QPushButton* m_okButton;
};

}  // namespace qorv
