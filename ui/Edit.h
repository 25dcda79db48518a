#pragma once

#include <cstddef>
#include <optional>

#include "ui/fixeddialog.h"

class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimeEdit;

namespace qorv {

class VocabularyBox;

/// The page edit dialog: the date, time and tags of one row of the main
/// window's list. OK writes them into the row; Storno, Esc and the close box
/// change nothing.
class PageEditDialog final : public FixedDialog {
 public:
  explicit PageEditDialog(QWidget* parent = nullptr);

  /// The edit command on the main window's selected row (none: a message).
  void editRow(std::optional<std::size_t> row);
  void storeRow();

  QGroupBox* m_tagsGroup;
  QLabel* m_lastmodLabel;
  QDateEdit* m_dateEdit;
  QTimeEdit* m_timeEdit;
  QLabel* m_changefreqLabel;
  VocabularyBox* m_changefreqBox;
  QLabel* m_priorityLabel;
  VocabularyBox* m_priorityBox;
  QPushButton* m_okButton;
  QPushButton* m_cancelButton;
  QGroupBox* m_urlGroup;
  QLineEdit* m_urlEdit;

 private:
  bool fill(std::size_t row);
  std::optional<std::size_t> m_row;
};

extern PageEditDialog* EditBox;

}  // namespace qorv
