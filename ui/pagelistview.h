#pragma once

#include <QTreeView>

namespace qorv {

class PageListModel;

/// The main window's site map list: one row per page, whole rows selected,
/// one at most, never sorted. Space ticks or unticks the selected row and
/// Enter asks for it to be edited, so that the list needs no mouse. Its rows
/// are drawn in colours readable on its background, also when the desktop
/// changes its theme.
class PageListView final : public QTreeView {
  Q_OBJECT

 public:
  PageListView(PageListModel* model, QWidget* parent);

 signals:
  /// Enter or Return: the selected row is to be edited.
  void editRequested();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void toggleSelectedTick();
  void followPalette();

  PageListModel* m_pages;
};

}  // namespace qorv
