#include "ui/pagelistmodel.h"

#include <QBrush>
#include <QTimer>

namespace qorv {

namespace {

QString Text(const std::string& text) {
  return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

}  // namespace

TPageListModel::TPageListModel(TPageList& pages, QObject* parent)
    : QAbstractTableModel(parent), m_pages(pages), m_shown(int(pages.Count())) {
  m_pages.SetObserver(this);
}

TPageListModel::~TPageListModel() { m_pages.SetObserver(nullptr); }

void TPageListModel::Flush() {
  m_flushPosted = false;
  const int count = int(m_pages.Count());
  if (count <= m_shown) return;
  beginInsertRows(QModelIndex(), m_shown, count - 1);
  m_shown = count;
  endInsertRows();
}

int TPageListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : m_shown;
}

int TPageListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : ColumnCount;
}

QVariant TPageListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= m_shown) return {};
  const TPageEntry& row = m_pages.Item(std::size_t(index.row()));
  switch (role) {
    case Qt::DisplayRole:
      switch (index.column()) {
        case UrlColumn:
          return Text(row.Url);
        case DateColumn:
          return Text(row.DateText);
        case TimeColumn:
          return Text(row.TimeText);
        case ChangefreqColumn:
          return Text(row.Changefreq);
        case PriorityColumn:
          return Text(row.Priority);
        default:
          return {};
      }
    case Qt::CheckStateRole:
      if (index.column() != UrlColumn) return {};
      return row.Included ? Qt::Checked : Qt::Unchecked;
    case Qt::ForegroundRole:
      return QBrush(row.Included ? QColor(255, 0, 0) : QColor(0, 0, 0));
    default:
      return {};
  }
}

bool TPageListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || role != Qt::CheckStateRole || index.column() != UrlColumn) return false;
  m_pages.SetIncluded(std::size_t(index.row()), value.value<Qt::CheckState>() == Qt::Checked);
  return true;
}

Qt::ItemFlags TPageListModel::flags(const QModelIndex& index) const {
  Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  if (index.column() == UrlColumn) flags |= Qt::ItemIsUserCheckable;
  return flags;
}

QVariant TPageListModel::headerData(int section, Qt::Orientation orientation, int role) const {
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

void TPageListModel::RowsAboutToBeCleared() { beginResetModel(); }

void TPageListModel::RowsCleared() {
  m_shown = 0;
  endResetModel();
}

void TPageListModel::RowAdded(std::size_t) {
  if (m_flushPosted || m_holding) return;
  m_flushPosted = true;
  QTimer::singleShot(0, this, [this] { Flush(); });
}

void TPageListModel::RowChanged(std::size_t row) {
  Flush();
  emit dataChanged(index(int(row), 0), index(int(row), ColumnCount - 1));
}

void TPageListModel::AllRowsChanged() {
  Flush();
  if (m_shown > 0) emit dataChanged(index(0, 0), index(m_shown - 1, ColumnCount - 1));
}

}  // namespace qorv
