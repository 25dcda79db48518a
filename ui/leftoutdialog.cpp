#include "ui/leftoutdialog.h"

#include <QAbstractTableModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QStringListModel>
#include <QTreeView>
#include <QVBoxLayout>

#include "core/leftout.h"
#include "core/urltext.h"
#include "ui/controls.h"
#include "ui/text.h"

namespace qorv {

/// The entries of a left-out list, a view over it rather than a copy: a
/// scan may leave out tens of thousands of pages.
class LeftOutModel final : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum Column { PathColumn, ReasonColumn, ColumnCount };

  using QAbstractTableModel::QAbstractTableModel;

  void show(const LeftOutList* leftOut) {
    beginResetModel();
    m_leftOut = leftOut;
    endResetModel();
  }

  int rowCount(const QModelIndex& parent = QModelIndex()) const override {
    if (parent.isValid() || !m_leftOut) return 0;
    return static_cast<int>(m_leftOut->size());
  }
  int columnCount(const QModelIndex& parent = QModelIndex()) const override {
    return parent.isValid() ? 0 : ColumnCount;
  }
  QVariant data(const QModelIndex& index, int role) const override {
    if (!m_leftOut || (role != Qt::DisplayRole && role != Qt::ToolTipRole)) return {};
    const LeftOutEntry& entry = m_leftOut->entries().at(static_cast<std::size_t>(index.row()));
    return toQString(index.column() == PathColumn ? std::string_view(entry.path)
                                                  : reasonLabel(entry.reason));
  }
  Qt::ItemFlags flags(const QModelIndex& index) const override {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
  }
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    return section == PathColumn ? QStringLiteral("Cesta") : QStringLiteral("Dôvod");
  }

 private:
  const LeftOutList* m_leftOut = nullptr;
};

LeftOutDialog::LeftOutDialog(QWidget* parent)
    // Esc closes it as OK does: it only shows.
    : FixedDialog(parent, QStringLiteral("Vynechané stránky"), QSize(560, 360), true),
      m_model(new LeftOutModel(this)),
      m_returnLinksModel(new QStringListModel(this)) {
  setObjectName(QStringLiteral("leftOutDialog"));

  m_totalLabel = named(new QLabel(this), "m_totalLabel");
  m_totalLabel->setTextFormat(Qt::PlainText);
  m_leftOutView = named(new QTreeView(this), "m_leftOutView");
  m_leftOutView->setModel(m_model);
  m_leftOutView->setRootIsDecorated(false);
  m_leftOutView->setUniformRowHeights(true);
  m_leftOutView->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_leftOutView->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_leftOutView->setSelectionMode(QAbstractItemView::SingleSelection);
  m_leftOutView->setSortingEnabled(false);
  m_leftOutView->header()->setStretchLastSection(false);
  m_leftOutView->header()->setSectionResizeMode(LeftOutModel::PathColumn, QHeaderView::Stretch);
  m_leftOutView->header()->setSectionResizeMode(LeftOutModel::ReasonColumn,
                                                QHeaderView::ResizeToContents);
  // The count line above says what the list holds; the window's title
  // names it.
  m_totalLabel->setBuddy(m_leftOutView);
  m_leftOutView->setAccessibleName(windowTitle());

  m_returnLinksLabel = named(new QLabel(this), "m_returnLinksLabel");
  m_returnLinksLabel->setTextFormat(Qt::PlainText);
  m_returnLinksView = named(new QListView(this), "m_returnLinksView");
  m_returnLinksView->setModel(m_returnLinksModel);
  m_returnLinksView->setUniformItemSizes(true);
  m_returnLinksView->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_returnLinksLabel->setBuddy(m_returnLinksView);
  m_returnLinksView->setAccessibleName(QStringLiteral("Jazykové verzie bez spätného odkazu"));

  m_okButton = captioned(named(new QPushButton(QStringLiteral("OK"), this), "m_okButton"));
  m_okButton->setDefault(true);
  m_okButton->setAutoDefault(true);
  connect(m_okButton, &QPushButton::clicked, this, &QDialog::accept);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(m_okButton);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_totalLabel);
  layout->addWidget(m_leftOutView, 1);
  layout->addWidget(m_returnLinksLabel);
  layout->addWidget(m_returnLinksView, 1);
  layout->addLayout(buttons);

  setTabOrder(m_leftOutView, m_returnLinksView);
  setTabOrder(m_returnLinksView, m_okButton);
}

LeftOutDialog::~LeftOutDialog() = default;

void LeftOutDialog::showList(const LeftOutList& leftOut,
                             const std::vector<std::string>& withoutReturnLinks) {
  m_totalLabel->setText(toQString(leftOutTotalLine(leftOut)));
  m_leftOutView->setAccessibleDescription(m_totalLabel->text());
  m_model->show(&leftOut);
  QStringList urls;
  urls.reserve(static_cast<qsizetype>(withoutReturnLinks.size()));
  for (const std::string& url : withoutReturnLinks) urls << toQString(urlOfRowText(url));
  m_returnLinksModel->setStringList(urls);
  const QString count = QStringLiteral("Jazykové verzie bez spätného odkazu: %1").arg(urls.size());
  m_returnLinksLabel->setText(count);
  m_returnLinksView->setAccessibleDescription(count);
  // Without such pages the dialog is what it always was.
  m_returnLinksLabel->setVisible(!urls.isEmpty());
  m_returnLinksView->setVisible(!urls.isEmpty());
  m_leftOutView->scrollToTop();
  m_okButton->setFocus();
  exec();
  // The list may change once the dialog is gone: the view lets go of it.
  m_model->show(nullptr);
}

}  // namespace qorv

#include "leftoutdialog.moc"
