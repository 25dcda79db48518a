#include "ui/pagelistmodel.h"

#include <QBrush>
#include <QTimer>

#include "ui/text.h"

namespace qorv {

PageListModel::PageListModel(PageList& pages, QObject* parent)
    : QAbstractTableModel(parent), m_pages(pages), m_shown(static_cast<int>(pages.size())) {
  m_pages.setObserver(this);
}

PageListModel::~PageListModel() { m_pages.setObserver(nullptr); }

void PageListModel::flush() {
  m_flushPosted = false;
  const int count = int(m_pages.size());
  if (count <= m_shown) return;
  beginInsertRows(QModelIndex(), m_shown, count - 1);
  m_shown = count;
  endInsertRows();
}

void PageListModel::setRowColours(const RowColours& colours) {
  if (colours.unticked == m_colours.unticked && colours.ticked == m_colours.ticked) return;
  m_colours = colours;
  if (m_shown > 0)
    emit dataChanged(index(0, 0), index(m_shown - 1, ColumnCount - 1), {Qt::ForegroundRole});
}

int PageListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : m_shown;
}

int PageListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : ColumnCount;
}

QVariant PageListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= m_shown) return {};
  const PageEntry& row = m_pages.at(std::size_t(index.row()));
  switch (role) {
    case Qt::DisplayRole:
      switch (index.column()) {
        case UrlColumn:
          return toQString(row.url);
        case DateColumn:
          return toQString(row.dateText);
        case TimeColumn:
          return toQString(row.timeText);
        case ChangefreqColumn:
          return toQString(row.changefreq);
        case PriorityColumn:
          return toQString(row.priority);
        default:
          return {};
      }
    case Qt::CheckStateRole:
      if (index.column() != UrlColumn) return {};
      return row.included ? Qt::Checked : Qt::Unchecked;
    case Qt::ForegroundRole:
      return QBrush(row.included ? m_colours.ticked : m_colours.unticked);
    default:
      return {};
  }
}

bool PageListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || role != Qt::CheckStateRole || index.column() != UrlColumn) return false;
  m_pages.setIncluded(std::size_t(index.row()), value.value<Qt::CheckState>() == Qt::Checked);
  return true;
}

Qt::ItemFlags PageListModel::flags(const QModelIndex& index) const {
  Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  if (index.column() == UrlColumn) flags |= Qt::ItemIsUserCheckable;
  return flags;
}

QVariant PageListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  switch (section) {
    case UrlColumn:
      return QStringLiteral("Url");
    case DateColumn:
      return QStringLiteral("Dátum");
    case TimeColumn:
      return QStringLiteral("Čas");
    case ChangefreqColumn:
      return QStringLiteral("Changefreq");
    case PriorityColumn:
      return QStringLiteral("Priority");
    default:
      return {};
  }
}

void PageListModel::rowsAboutToBeCleared() { beginResetModel(); }

void PageListModel::rowsCleared() {
  m_shown = 0;
  endResetModel();
}

void PageListModel::rowAdded(std::size_t) {
  if (m_flushPosted || m_holding) return;
  m_flushPosted = true;
  QTimer::singleShot(0, this, [this] { flush(); });
}

void PageListModel::rowChanged(std::size_t row) {
  flush();
  emit dataChanged(index(int(row), 0), index(int(row), ColumnCount - 1));
}

void PageListModel::allRowsChanged() {
  flush();
  if (m_shown > 0) emit dataChanged(index(0, 0), index(m_shown - 1, ColumnCount - 1));
}

}  // namespace qorv
