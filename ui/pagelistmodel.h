#pragma once

#include <QAbstractTableModel>

#include "core/pagelist.h"

namespace qorv {

/// The page list as the main window's list shows it: five columns, a check
/// box per row for its tick, ticked rows in red. A view over the list, not
/// a copy of it. Rows added in a burst (a scan) are announced to the view
/// together on the next pass of the event loop, so that a large scan does
/// not lay the view out once per file.
class TPageListModel final : public QAbstractTableModel, private TPageListObserver {
 public:
  enum TColumn { UrlColumn, DateColumn, TimeColumn, ChangefreqColumn, PriorityColumn, ColumnCount };

  explicit TPageListModel(TPageList& pages, QObject* parent = nullptr);
  ~TPageListModel() override;

  /// Announces the rows added since the last announcement.
  void Flush();
  /// While held, added rows wait for an explicit `Flush`: a scan announces
  /// them a few times a second rather than on every pass of the event loop.
  void HoldRows(bool hold) { m_holding = hold; }

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  void RowsAboutToBeCleared() override;
  void RowsCleared() override;
  void RowAdded(std::size_t row) override;
  void RowChanged(std::size_t row) override;
  void AllRowsChanged() override;

  TPageList& m_pages;
  int m_shown = 0;  // rows the view knows of
  bool m_flushPosted = false;
  bool m_holding = false;
};

}  // namespace qorv
