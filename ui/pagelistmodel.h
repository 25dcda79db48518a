#pragma once

#include <QAbstractTableModel>

#include "core/pagelist.h"
#include "ui/contrast.h"

namespace qorv {

/// The page list as the main window's list shows it: five columns, a check
/// box per row for its tick, ticked rows in red (see `setRowColours`). A view over the list, not
/// a copy of it. Rows added in a burst (a scan) are announced to the view
/// together on the next pass of the event loop, so that a large scan does
/// not lay the view out once per file.
class PageListModel final : public QAbstractTableModel, private PageListObserver {
  Q_OBJECT

 public:
  enum Column { UrlColumn, DateColumn, TimeColumn, ChangefreqColumn, PriorityColumn, ColumnCount };

  explicit PageListModel(PageList& pages, QObject* parent = nullptr);
  ~PageListModel() override;

  /// Announces the rows added since the last announcement.
  void flush();
  /// While held, added rows wait for an explicit `flush`: a scan announces
  /// them a few times a second rather than on every pass of the event loop.
  void holdRows(bool hold) { m_holding = hold; }
  /// The text colours of unticked and ticked rows, which follow the
  /// background of the view (`rowColoursOn`); the rows shown are redrawn.
  void setRowColours(const RowColours& colours);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  void rowsAboutToBeCleared() override;
  void rowsCleared() override;
  void rowAdded(std::size_t row) override;
  void rowChanged(std::size_t row) override;
  void allRowsChanged() override;

  PageList& m_pages;
  int m_shown = 0;  // rows the view knows of
  bool m_flushPosted = false;
  bool m_holding = false;
  RowColours m_colours = rowColoursOn(Qt::white, Qt::black);
};

}  // namespace qorv
