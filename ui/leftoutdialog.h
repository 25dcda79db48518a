#pragma once

#include "ui/fixeddialog.h"

class QLabel;
class QPushButton;
class QTreeView;

namespace qorv {

class LeftOutList;
class LeftOutModel;

/// What the last scan left out of the sitemap, and why: a count by reason
/// above a list of paths (relative to the scan folder) and reasons, read
/// only, in walk order.
class LeftOutDialog final : public FixedDialog {
  Q_OBJECT

 public:
  explicit LeftOutDialog(QWidget* parent);
  ~LeftOutDialog() override;

  /// Shows `leftOut` modally until OK, Enter or Esc; the list must not
  /// change meanwhile (no scan runs while a modal dialog is up).
  void showList(const LeftOutList& leftOut);

 private:
  LeftOutModel* m_model;
  QLabel* m_totalLabel;
  QTreeView* m_leftOutView;
  QPushButton* m_okButton;
};

}  // namespace qorv
