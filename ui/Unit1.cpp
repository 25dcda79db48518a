#include "ui/Unit1.h"

#include <QAction>
#include <QCloseEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTreeView>
#include <chrono>

#include "core/sitemapwriter.h"
#include "platform/productversiontext.h"
#include "ui/About.h"
#include "ui/Edit.h"
#include "ui/Settings.h"
#include "ui/controls.h"
#include "ui/pagelistmodel.h"
#include "ui/qorvapp.h"

namespace qorv {

TForm1* Form1 = nullptr;

namespace {

/// The busy pointer for the length of a command, also when it fails.
class TBusyCursor {
 public:
  TBusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
  ~TBusyCursor() { QGuiApplication::restoreOverrideCursor(); }
  TBusyCursor(const TBusyCursor&) = delete;
  TBusyCursor& operator=(const TBusyCursor&) = delete;
};

QString Text(const std::string& text) {
  return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

/// Message boxes break lines at "\n"; the core's messages use "\r".
QString MessageText(std::string text) {
  for (char& c : text) {
    if (c == '\r') c = '\n';
  }
  return Text(text);
}

constexpr int kListTop = 126;
constexpr int kButtonWidth = 148;
constexpr int kTagColumnWidth = 80;
/// Events run at least this often while a scan works, so the window stays
/// responsive without a repaint per file.
constexpr std::chrono::milliseconds kEventInterval{20};
/// The list shows the new rows this often: it grows visibly, without laying
/// out a long list fifty times a second.
constexpr std::chrono::milliseconds kRowsInterval{100};

}  // namespace

TForm1::TForm1(TQorvContext& context)
    : m_context(context),
      m_formats(context.LocaleFormats()),
      m_model(new TPageListModel(m_pages, this)),
      m_scanner(context.Settings, m_pages, *this, m_formats),
      m_project(context.Settings, *this) {
  setWindowTitle(kApplicationTitle);
  setMinimumSize(kNormalWindowWidth, kNormalWindowHeight);
  resize(kNormalWindowWidth, kNormalWindowHeight);
  CreateControls();
  CreateMenus();
  m_scanner.OnFileDone = [this] { LetEventsRun(); };
  FormCreate();
}

TForm1::~TForm1() = default;

void TForm1::CreateControls() {
  auto* client = new QWidget(this);
  setCentralWidget(client);

  Bevel1 = new QFrame(client);
  Bevel1->setFrameStyle(QFrame::HLine | QFrame::Sunken);
  Bevel1->setGeometry(0, 0, 610, 2);

  Label1 = PlaceLabel(QStringLiteral("Lokálny adresár webu"), client, 7, 21);
  BrowseEdit1 = new QLineEdit(client);
  BrowseEdit1->setGeometry(7, 35, 274, 21);
  BrowseEdit1->setToolTip(QStringLiteral("Určenie lokálneho adresára webu"));
  BrowseButton = BrowseEdit1->addAction(style()->standardIcon(QStyle::SP_DirOpenIcon),
                                        QLineEdit::TrailingPosition);

  Label2 = PlaceLabel(QStringLiteral("Url webu"), client, 7, 63);
  Edit1 = new QLineEdit(QStringLiteral("http://"), client);
  Edit1->setGeometry(7, 77, 274, 21);
  Edit1->setToolTip(QStringLiteral("URL webu, ktorou budú v mape webu nahradené lokálne zložky"));

  Button1 = new QPushButton(QStringLiteral("Zobraziť mapu webu"), client);
  Button1->setGeometry(301, 73, kButtonWidth, 25);
  Button1->setToolTip(QStringLiteral("Zobrazenie mapy webu, z ktorej bude generovaný SITEMAP.XML"));
  Button2 = new QPushButton(QStringLiteral("Generovať Tessaly"), client);
  Button2->setGeometry(469, 73, kButtonWidth, 25);
  Button2->setToolTip(QStringLiteral("Vygenerovanie súboru SITEMAP.XML pre službu Tessaly"));

  Label3 = PlaceLabel(QStringLiteral("Mapa webu"), client, 7, 112);

  ListView1 = new QTreeView(client);
  ListView1->setGeometry(7, kListTop, 610, 281);
  ListView1->setModel(m_model);
  ListView1->setRootIsDecorated(false);
  ListView1->setItemsExpandable(false);
  ListView1->setUniformRowHeights(true);  // keeps 100,000 rows cheap
  ListView1->setAllColumnsShowFocus(true);
  ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
  ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
  ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  ListView1->setSortingEnabled(false);
  ListView1->setContextMenuPolicy(Qt::CustomContextMenu);
  QHeaderView* header = ListView1->header();
  header->setSectionsClickable(false);
  header->setSectionsMovable(false);
  header->setStretchLastSection(false);
  header->setSectionResizeMode(TPageListModel::UrlColumn, QHeaderView::Stretch);
  for (int column = TPageListModel::DateColumn; column < TPageListModel::ColumnCount; ++column) {
    header->setSectionResizeMode(column, QHeaderView::Fixed);
    header->resizeSection(column, kTagColumnWidth);
  }

  setTabOrder(BrowseEdit1, Edit1);
  setTabOrder(Edit1, Button1);
  setTabOrder(Button1, Button2);
  setTabOrder(Button2, ListView1);

  connect(BrowseEdit1, &QLineEdit::textChanged, this, Guarded([this] { BrowseEdit1Change(); }));
  connect(BrowseButton, &QAction::triggered, this, Guarded([this] { BrowseButtonClick(); }));
  connect(Button1, &QPushButton::clicked, this, Guarded([this] { Button1Click(); }));
  connect(Button2, &QPushButton::clicked, this, Guarded([this] { Button2Click(); }));
  connect(ListView1, &QTreeView::doubleClicked, this, Guarded([this] { ListView1DblClick(); }));
}

void TForm1::CreateMenus() {
  const auto add = [this](QMenu* menu, const QString& caption, const QKeySequence& shortcut,
                          void (TForm1::*handler)()) {
    QAction* action = menu->addAction(caption);
    action->setShortcut(shortcut);
    connect(action, &QAction::triggered, this, Guarded([this, handler] { (this->*handler)(); }));
    return action;
  };

  Prog = menuBar()->addMenu(QStringLiteral("&Projekt"));
  Novprojekt1 = add(Prog, QStringLiteral("&Nový"), QKeySequence(Qt::CTRL | Qt::Key_N),
                    &TForm1::Novprojekt1Click);
  Otvoriprojekt1 = add(Prog, QStringLiteral("&Otvoriť..."), QKeySequence(Qt::CTRL | Qt::Key_O),
                       &TForm1::Otvoriprojekt1Click);
  Prog->addSeparator();
  Uloiprojekt1 = add(Prog, QStringLiteral("&Uložiť..."), QKeySequence(Qt::CTRL | Qt::Key_S),
                     &TForm1::Uloiprojekt1Click);
  Prog->addSeparator();
  Koniec = add(Prog, QStringLiteral("&Koniec"), QKeySequence(Qt::ALT | Qt::Key_F4),
               &TForm1::KoniecClick);

  Vber1 = menuBar()->addMenu(QStringLiteral("&Stránka"));
  VybravetkoMenu1 =
      add(Vber1, QStringLiteral("&Vybrať všetky"), QKeySequence(), &TForm1::Oznaivetko1Click);
  InvertovavberMenu1 =
      add(Vber1, QStringLiteral("&Invertovať výber"), QKeySequence(), &TForm1::Invertovavber1Click);
  ZruivberMenu1 =
      add(Vber1, QStringLiteral("&Zrušiť výber"), QKeySequence(), &TForm1::Zruioznaenie1Click);
  Vber1->addSeparator();
  Editova1 = add(Vber1, QStringLiteral("&Editovať..."), QKeySequence(Qt::CTRL | Qt::Key_E),
                 &TForm1::ListView1DblClick);

  Nastavenie1 = menuBar()->addMenu(QStringLiteral("&Nastavenie"));
  Nastaveniegenertora1 = add(Nastavenie1, QStringLiteral("&Nastavenie..."), QKeySequence(),
                             &TForm1::Nastaveniegenertora1Click);

  Pomoc = menuBar()->addMenu(QStringLiteral("P&omoc"));
  Oprograme = add(Pomoc, QStringLiteral("&O programe..."), QKeySequence(), &TForm1::OprogrameClick);

  // The context menu's shortcut is shown only: the menu bar's Ctrl+E is the
  // one that acts, so the key never triggers the command twice.
  PopupMenu1 = new QMenu(this);
  Oznaivetko1 =
      add(PopupMenu1, QStringLiteral("Vybrať všetky"), QKeySequence(), &TForm1::Oznaivetko1Click);
  Invertovavber1 = add(PopupMenu1, QStringLiteral("Invertovať výber"), QKeySequence(),
                       &TForm1::Invertovavber1Click);
  Zruioznaenie1 =
      add(PopupMenu1, QStringLiteral("Zrušiť výber"), QKeySequence(), &TForm1::Zruioznaenie1Click);
  PopupMenu1->addSeparator();
  Editova2 =
      add(PopupMenu1, QStringLiteral("Editovať"), QKeySequence(), &TForm1::ListView1DblClick);
  Editova2->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
  Editova2->setShortcutContext(Qt::WidgetShortcut);
  connect(ListView1, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { PopupMenu1->popup(ListView1->viewport()->mapToGlobal(at)); });
}

void TForm1::FormCreate() {
  setWindowTitle(windowTitle() + QLatin1Char(' ') + Text(ProductVersionText(m_context.Version)));
  const TWindowState state = TWindowPlacementStore(PlacementPath()).Restore(PrimaryScreen());
  resize(state.Width, state.Height);
  move(state.Left, state.Top);
  if (state.Maximized) setWindowState(windowState() | Qt::WindowMaximized);
}

void TForm1::FormShow() {
  BrowseEdit1->setFocus();
  BrowseEdit1->setText(QStringLiteral("/"));
}

void TForm1::FormResize() {
  ListView1->resize(width() - 20, height() - kListTop - 53);
  Bevel1->resize(width(), Bevel1->height());
  Button2->move(ListView1->width() - Button2->width(), Button2->y());
}

void TForm1::FormClose() {
  TWindowState state;
  state.Maximized = isMaximized();
  state.Left = x();
  state.Top = y();
  state.Width = width();
  state.Height = height();
  TWindowPlacementStore(PlacementPath()).Save(state, PrimaryScreen());
}

void TForm1::BrowseEdit1Change() {
  const bool hasFolder = !BrowseEdit1->text().isEmpty();
  Button1->setEnabled(hasFolder);
  Button2->setEnabled(hasFolder);
}

void TForm1::BrowseButtonClick() {
  if (!BrowseEdit1->hasFocus()) BrowseEdit1->setFocus();
  const QString folder = m_context.Services.ChooseFolder(this);
  if (!folder.isEmpty()) BrowseEdit1->setText(folder);
}

void TForm1::Button1Click() {
  // One scan at a time: this one would clear the rows the running one fills.
  if (m_scanner.IsRunning()) return;
  {
    TBusyCursor busy;
    struct THeldRows {
      TPageListModel& Model;
      explicit THeldRows(TPageListModel& model) : Model(model) { Model.HoldRows(true); }
      ~THeldRows() {
        Model.HoldRows(false);
        Model.Flush();
      }
    } heldRows(*m_model);
    m_scanner.Run();
  }
  if (m_scanner.OverlongCount() > 0 && !m_closing)
    m_context.Services.ShowMessage(this, Text(OverlongWarning(m_scanner.OverlongCount())));
}

void TForm1::Button2Click() {
  if (m_scanner.IsRunning()) return;
  TSitemapResult result;
  {
    TBusyCursor busy;
    result =
        TSitemapWriter(m_formats).WriteSitemap(m_scanner.ScanFolder(), m_pages, m_context.Settings);
  }
  m_context.Services.ShowMessage(this, MessageText(TSitemapWriter::ReportText(result)));
}

std::optional<std::size_t> TForm1::SelectedRow() const {
  const QModelIndexList rows = ListView1->selectionModel()->selectedRows();
  if (rows.isEmpty()) return std::nullopt;
  return std::size_t(rows.constFirst().row());
}

void TForm1::ListView1DblClick() {
  if (EditBox) EditBox->EditRow(SelectedRow());
}

void TForm1::TickCommand(void (TPageList::*command)()) {
  TBusyCursor busy;
  if (m_pages.Count() > 0) (m_pages.*command)();
}

void TForm1::Oznaivetko1Click() { TickCommand(&TPageList::SelectAll); }
void TForm1::Invertovavber1Click() { TickCommand(&TPageList::InvertAll); }
void TForm1::Zruioznaenie1Click() { TickCommand(&TPageList::ClearAll); }

void TForm1::Novprojekt1Click() {
  if (m_scanner.IsRunning()) return;
  m_project.New();
  if (SetBox) SetBox->SettingsChanged();
}

void TForm1::Otvoriprojekt1Click() {
  const QString name = m_context.Services.OpenProjectName(this, Text(m_context.SettingsFolder));
  if (name.isEmpty()) return;
  m_project.Open(name.toStdString());
  if (SetBox) SetBox->SettingsChanged();
}

void TForm1::Uloiprojekt1Click() {
  const QString name = m_context.Services.SaveProjectName(this, Text(m_context.SettingsFolder));
  if (name.isEmpty()) return;
  m_project.Save(name.toStdString());
}

void TForm1::KoniecClick() { close(); }

void TForm1::Nastaveniegenertora1Click() {
  if (SetBox) SetBox->exec();
}

void TForm1::OprogrameClick() {
  if (AboutBox) AboutBox->exec();
}

void TForm1::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (m_shown) return;
  m_shown = true;
  FormShow();
}

void TForm1::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  FormResize();
}

void TForm1::closeEvent(QCloseEvent* event) {
  m_closing = true;
  // A scan in progress ends at its next file; the program ends after it.
  if (m_scanner.IsRunning()) m_scanner.RequestStop();
  try {
    FormClose();
  } catch (const std::exception& error) {
    // The placement is lost, but the window still closes once told so.
    TQorvApplication::Instance()->AppException(this, error);
  }
  event->accept();
}

void TForm1::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() == QEvent::LocaleChange) m_formats = m_context.LocaleFormats();
}

void TForm1::LetEventsRun() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  const qint64 ms = std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
  if (ms - m_lastEvents < kEventInterval.count()) return;
  m_lastEvents = ms;
  if (ms - m_lastRows >= kRowsInterval.count()) {
    m_lastRows = ms;
    m_model->Flush();
  }
  QCoreApplication::processEvents();
}

TScreenSize TForm1::PrimaryScreen() const {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return {kNormalWindowWidth, kNormalWindowHeight};
  return {screen->geometry().width(), screen->geometry().height()};
}

std::string TForm1::PlacementPath() const { return m_context.SettingsFolder + "qorv.ini"; }

std::string TForm1::LocalFolder() const { return BrowseEdit1->text().toStdString(); }
std::string TForm1::SiteUrl() const { return Edit1->text().toStdString(); }
void TForm1::SetLocalFolder(const std::string& folder) { BrowseEdit1->setText(Text(folder)); }
void TForm1::SetSiteUrl(const std::string& url) { Edit1->setText(Text(url)); }
void TForm1::ClearPages() { m_pages.Clear(); }

}  // namespace qorv
