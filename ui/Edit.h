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

class TVocabularyBox;

/// The page edit dialog: the date, time and tags of one row of the main
/// window's list. OK writes them into the row; Storno, Esc and the close box
/// change nothing.
class TEditBox final : public TFixedDialog {
 public:
  explicit TEditBox(QWidget* parent = nullptr);

  /// The edit command on the main window's selected row (none: a message).
  void EditRow(std::optional<std::size_t> row);
  void OKBtnClick();

  QGroupBox* GroupBox2;
  QLabel* Label3;
  QDateEdit* DateTimePicker1;
  QTimeEdit* DateTimePicker2;
  QLabel* Label4;
  TVocabularyBox* ComboBox1;
  QLabel* Label5;
  TVocabularyBox* ComboBox2;
  QPushButton* OKBtn;
  QPushButton* CancelBtn;
  QGroupBox* GroupBox1;
  QLineEdit* Edit1;

 private:
  bool Fill(std::size_t row);
  std::optional<std::size_t> m_row;
};

extern TEditBox* EditBox;

}  // namespace qorv
