#include "ui/pagelistview.h"

#include <QHeaderView>
#include <QKeyEvent>

#include "ui/pagelistmodel.h"

namespace qorv {

namespace {

constexpr int kTagColumnWidth = 80;

}  // namespace

PageListView::PageListView(PageListModel* model, QWidget* parent)
    : QTreeView(parent), m_pages(model) {
  setModel(model);
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setUniformRowHeights(true);  // keeps 100,000 rows cheap
  setAllColumnsShowFocus(true);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSortingEnabled(false);
  setContextMenuPolicy(Qt::CustomContextMenu);
  QHeaderView* columns = header();
  columns->setSectionsClickable(false);
  columns->setSectionsMovable(false);
  columns->setStretchLastSection(false);
  columns->setSectionResizeMode(PageListModel::UrlColumn, QHeaderView::Stretch);
  for (int column = PageListModel::DateColumn; column < PageListModel::ColumnCount; ++column) {
    columns->setSectionResizeMode(column, QHeaderView::Fixed);
    columns->resizeSection(column, kTagColumnWidth);
  }
  followPalette();
}

void PageListView::keyPressEvent(QKeyEvent* event) {
  Qt::KeyboardModifiers modifiers = event->modifiers();
  modifiers.setFlag(Qt::KeypadModifier, false);
  if (modifiers == Qt::NoModifier) {
    switch (event->key()) {
      case Qt::Key_Space:
        toggleSelectedTick();
        event->accept();
        return;
      case Qt::Key_Return:
      case Qt::Key_Enter:
        // Handled here rather than through `activated`, which some desktops
        // send on a single click.
        emit editRequested();
        event->accept();
        return;
      default:
        break;
    }
  }
  QTreeView::keyPressEvent(event);
}

void PageListView::toggleSelectedTick() {
  QModelIndexList rows = selectionModel()->selectedRows();
  if (rows.isEmpty()) {
    // Tab into the list marks a row without selecting it: Space is meant
    // for the row the user sees marked.
    const QModelIndex current = currentIndex();
    if (!current.isValid()) return;
    selectionModel()->select(current,
                             QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    rows = selectionModel()->selectedRows();
  }
  const QModelIndex tick = rows.constFirst().siblingAtColumn(PageListModel::UrlColumn);
  const bool ticked = tick.data(Qt::CheckStateRole).value<Qt::CheckState>() == Qt::Checked;
  m_pages->setData(tick, ticked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
}

void PageListView::changeEvent(QEvent* event) {
  QTreeView::changeEvent(event);
  if (event->type() == QEvent::PaletteChange) followPalette();
}

void PageListView::followPalette() {
  m_pages->setRowColours(
      rowColoursOn(palette().color(QPalette::Base), palette().color(QPalette::Text)));
}

}  // namespace qorv
