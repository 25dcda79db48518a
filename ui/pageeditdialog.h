#pragma once

#include <cstddef>

#include "core/pagedetails.h"
#include "ui/fixeddialog.h"

class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimeEdit;

namespace qorv {

class PageList;
struct LocaleFormats;
class VocabularyBox;

/// The page edit dialog: the date, time and tags of one row of a page list.
/// OK writes them into the row; Storno, Esc and the close box change nothing.
class PageEditDialog final : public FixedDialog {
  Q_OBJECT

 public:
  explicit PageEditDialog(QWidget* parent);

  /// Shows the dialog, modally, for row `row` of `pages`, its date and time
  /// read and written with `formats`, the focus on the date picker. False,
  /// showing nothing, when there is no such row or its texts do not read
  /// back.
  bool editRow(PageList& pages, std::size_t row, const LocaleFormats& formats);

 private slots:
  void storeRow();

 private:
  void showDetails(const PageEntry& row, const PageDetails& details, const LocaleFormats& formats);
  PageDetails editedDetails() const;

  // The row being edited, only while the dialog is open.
  PageList* m_pages = nullptr;
  std::size_t m_row = 0;
  const LocaleFormats* m_formats = nullptr;

  QGroupBox* m_urlGroup;
  QLineEdit* m_urlEdit;
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
};

}  // namespace qorv
