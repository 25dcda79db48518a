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

MainWindow* Form1 = nullptr;

namespace {

/// The busy pointer for the length of a command, also when it fails.
class BusyCursor {
 public:
  BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
  ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;
};

QString toQString(const std::string& text) {
  return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

/// Message boxes break lines at "\n"; the core's messages use "\r".
QString messageText(std::string text) {
  for (char& c : text) {
    if (c == '\r') c = '\n';
  }
  return toQString(text);
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

MainWindow::MainWindow(AppContext& context)
    : m_context(context),
      m_formats(context.localeFormats()),
      m_model(new PageListModel(m_pages, this)),
      m_scanner(context.settings, m_pages, *this, m_formats),
      m_project(context.settings, *this) {
  setWindowTitle(kApplicationTitle);
  setMinimumSize(kNormalWindowWidth, kNormalWindowHeight);
  resize(kNormalWindowWidth, kNormalWindowHeight);
  createControls();
  createMenus();
  m_scanner.onFileDone = [this] { letEventsRun(); };
  restorePlacement();
}

MainWindow::~MainWindow() = default;

void MainWindow::createControls() {
  auto* client = new QWidget(this);
  setCentralWidget(client);

  m_topLine = new QFrame(client);
  m_topLine->setFrameStyle(QFrame::HLine | QFrame::Sunken);
  m_topLine->setGeometry(0, 0, 610, 2);

  m_folderLabel = placeLabel(QStringLiteral("Lokálny adresár webu"), client, 7, 21);
  m_folderEdit = new QLineEdit(client);
  m_folderEdit->setGeometry(7, 35, 274, 21);
  m_folderEdit->setToolTip(QStringLiteral("Určenie lokálneho adresára webu"));
  m_browseAction = m_folderEdit->addAction(style()->standardIcon(QStyle::SP_DirOpenIcon),
                                           QLineEdit::TrailingPosition);

  m_urlLabel = placeLabel(QStringLiteral("Url webu"), client, 7, 63);
  m_urlEdit = new QLineEdit(QStringLiteral("http://"), client);
  m_urlEdit->setGeometry(7, 77, 274, 21);
  m_urlEdit->setToolTip(
      QStringLiteral("URL webu, ktorou budú v mape webu nahradené lokálne zložky"));

  m_scanButton = new QPushButton(QStringLiteral("Zobraziť mapu webu"), client);
  m_scanButton->setGeometry(301, 73, kButtonWidth, 25);
  m_scanButton->setToolTip(
      QStringLiteral("Zobrazenie mapy webu, z ktorej bude generovaný SITEMAP.XML"));
  m_generateButton = new QPushButton(QStringLiteral("Generovať Tessaly"), client);
  m_generateButton->setGeometry(469, 73, kButtonWidth, 25);
  m_generateButton->setToolTip(
      QStringLiteral("Vygenerovanie súboru SITEMAP.XML pre službu Tessaly"));

  m_pageListLabel = placeLabel(QStringLiteral("Mapa webu"), client, 7, 112);

  m_pageListView = new QTreeView(client);
  m_pageListView->setGeometry(7, kListTop, 610, 281);
  m_pageListView->setModel(m_model);
  m_pageListView->setRootIsDecorated(false);
  m_pageListView->setItemsExpandable(false);
  m_pageListView->setUniformRowHeights(true);  // keeps 100,000 rows cheap
  m_pageListView->setAllColumnsShowFocus(true);
  m_pageListView->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_pageListView->setSelectionMode(QAbstractItemView::SingleSelection);
  m_pageListView->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_pageListView->setSortingEnabled(false);
  m_pageListView->setContextMenuPolicy(Qt::CustomContextMenu);
  QHeaderView* header = m_pageListView->header();
  header->setSectionsClickable(false);
  header->setSectionsMovable(false);
  header->setStretchLastSection(false);
  header->setSectionResizeMode(PageListModel::UrlColumn, QHeaderView::Stretch);
  for (int column = PageListModel::DateColumn; column < PageListModel::ColumnCount; ++column) {
    header->setSectionResizeMode(column, QHeaderView::Fixed);
    header->resizeSection(column, kTagColumnWidth);
  }

  setTabOrder(m_folderEdit, m_urlEdit);
  setTabOrder(m_urlEdit, m_scanButton);
  setTabOrder(m_scanButton, m_generateButton);
  setTabOrder(m_generateButton, m_pageListView);

  connect(m_folderEdit, &QLineEdit::textChanged, this, guarded([this] { updateCommandButtons(); }));
  connect(m_browseAction, &QAction::triggered, this, guarded([this] { chooseFolder(); }));
  connect(m_scanButton, &QPushButton::clicked, this, guarded([this] { scanSite(); }));
  connect(m_generateButton, &QPushButton::clicked, this, guarded([this] { generateSitemap(); }));
  connect(m_pageListView, &QTreeView::doubleClicked, this, guarded([this] { editSelectedPage(); }));
}

void MainWindow::createMenus() {
  const auto add = [this](QMenu* menu, const QString& caption, const QKeySequence& shortcut,
                          void (MainWindow::*handler)()) {
    QAction* action = menu->addAction(caption);
    action->setShortcut(shortcut);
    connect(action, &QAction::triggered, this, guarded([this, handler] { (this->*handler)(); }));
    return action;
  };

  m_projectMenu = menuBar()->addMenu(QStringLiteral("&Projekt"));
  m_newProjectAction = add(m_projectMenu, QStringLiteral("&Nový"),
                           QKeySequence(Qt::CTRL | Qt::Key_N), &MainWindow::newProject);
  m_openProjectAction = add(m_projectMenu, QStringLiteral("&Otvoriť..."),
                            QKeySequence(Qt::CTRL | Qt::Key_O), &MainWindow::openProject);
  m_projectMenu->addSeparator();
  m_saveProjectAction = add(m_projectMenu, QStringLiteral("&Uložiť..."),
                            QKeySequence(Qt::CTRL | Qt::Key_S), &MainWindow::saveProject);
  m_projectMenu->addSeparator();
  m_exitAction = add(m_projectMenu, QStringLiteral("&Koniec"), QKeySequence(Qt::ALT | Qt::Key_F4),
                     &MainWindow::exitProgram);

  m_pageMenu = menuBar()->addMenu(QStringLiteral("&Stránka"));
  m_includeAllAction = add(m_pageMenu, QStringLiteral("&Vybrať všetky"), QKeySequence(),
                           &MainWindow::includeAllPages);
  m_invertIncludedAction = add(m_pageMenu, QStringLiteral("&Invertovať výber"), QKeySequence(),
                               &MainWindow::invertIncludedPages);
  m_excludeAllAction = add(m_pageMenu, QStringLiteral("&Zrušiť výber"), QKeySequence(),
                           &MainWindow::excludeAllPages);
  m_pageMenu->addSeparator();
  m_editPageAction = add(m_pageMenu, QStringLiteral("&Editovať..."),
                         QKeySequence(Qt::CTRL | Qt::Key_E), &MainWindow::editSelectedPage);

  m_settingsMenu = menuBar()->addMenu(QStringLiteral("&Nastavenie"));
  m_settingsAction = add(m_settingsMenu, QStringLiteral("&Nastavenie..."), QKeySequence(),
                         &MainWindow::showSettingsDialog);

  m_helpMenu = menuBar()->addMenu(QStringLiteral("P&omoc"));
  m_aboutAction = add(m_helpMenu, QStringLiteral("&O programe..."), QKeySequence(),
                      &MainWindow::showAboutDialog);

  // The context menu's shortcut is shown only: the menu bar's Ctrl+E is the
  // one that acts, so the key never triggers the command twice.
  m_pageContextMenu = new QMenu(this);
  m_contextIncludeAllAction = add(m_pageContextMenu, QStringLiteral("Vybrať všetky"),
                                  QKeySequence(), &MainWindow::includeAllPages);
  m_contextInvertIncludedAction = add(m_pageContextMenu, QStringLiteral("Invertovať výber"),
                                      QKeySequence(), &MainWindow::invertIncludedPages);
  m_contextExcludeAllAction = add(m_pageContextMenu, QStringLiteral("Zrušiť výber"), QKeySequence(),
                                  &MainWindow::excludeAllPages);
  m_pageContextMenu->addSeparator();
  m_contextEditPageAction = add(m_pageContextMenu, QStringLiteral("Editovať"), QKeySequence(),
                                &MainWindow::editSelectedPage);
  m_contextEditPageAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
  m_contextEditPageAction->setShortcutContext(Qt::WidgetShortcut);
  connect(m_pageListView, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    m_pageContextMenu->popup(m_pageListView->viewport()->mapToGlobal(at));
  });
}

void MainWindow::restorePlacement() {
  setWindowTitle(windowTitle() + QLatin1Char(' ') +
                 toQString(productVersionText(m_context.version)));
  const WindowState state = WindowPlacement(placementPath()).restore(primaryScreenSize());
  resize(state.width, state.height);
  move(state.left, state.top);
  if (state.maximized) setWindowState(windowState() | Qt::WindowMaximized);
}

void MainWindow::onFirstShow() {
  m_folderEdit->setFocus();
  m_folderEdit->setText(QStringLiteral("/"));
}

void MainWindow::layoutControls() {
  m_pageListView->resize(width() - 20, height() - kListTop - 53);
  m_topLine->resize(width(), m_topLine->height());
  m_generateButton->move(m_pageListView->width() - m_generateButton->width(),
                         m_generateButton->y());
}

void MainWindow::savePlacement() {
  WindowState state;
  state.maximized = isMaximized();
  state.left = x();
  state.top = y();
  state.width = width();
  state.height = height();
  WindowPlacement(placementPath()).save(state, primaryScreenSize());
}

void MainWindow::updateCommandButtons() {
  const bool hasFolder = !m_folderEdit->text().isEmpty();
  m_scanButton->setEnabled(hasFolder);
  m_generateButton->setEnabled(hasFolder);
}

void MainWindow::chooseFolder() {
  if (!m_folderEdit->hasFocus()) m_folderEdit->setFocus();
  const QString folder = m_context.services.chooseFolder(this);
  if (!folder.isEmpty()) m_folderEdit->setText(folder);
}

void MainWindow::scanSite() {
  // One scan at a time: this one would clear the rows the running one fills.
  if (m_scanner.isRunning()) return;
  {
    BusyCursor busy;
    struct HeldRows {
      PageListModel& model;
      explicit HeldRows(PageListModel& model) : model(model) { model.holdRows(true); }
      ~HeldRows() {
        model.holdRows(false);
        model.flush();
      }
    } heldRows(*m_model);
    m_scanner.run();
  }
  if (m_scanner.overlongCount() > 0 && !m_closing)
    m_context.services.showMessage(this, toQString(overlongWarning(m_scanner.overlongCount())));
}

void MainWindow::generateSitemap() {
  if (m_scanner.isRunning()) return;
  SitemapResult result;
  {
    BusyCursor busy;
    result =
        SitemapWriter(m_formats).writeSitemap(m_scanner.scanFolder(), m_pages, m_context.settings);
  }
  m_context.services.showMessage(this, messageText(SitemapWriter::reportText(result)));
}

std::optional<std::size_t> MainWindow::selectedRow() const {
  const QModelIndexList rows = m_pageListView->selectionModel()->selectedRows();
  if (rows.isEmpty()) return std::nullopt;
  return std::size_t(rows.constFirst().row());
}

void MainWindow::editSelectedPage() {
  if (EditBox) EditBox->editRow(selectedRow());
}

void MainWindow::runTickCommand(void (PageList::*command)()) {
  BusyCursor busy;
  if (m_pages.size() > 0) (m_pages.*command)();
}

void MainWindow::includeAllPages() { runTickCommand(&PageList::includeAll); }
void MainWindow::invertIncludedPages() { runTickCommand(&PageList::invertIncluded); }
void MainWindow::excludeAllPages() { runTickCommand(&PageList::excludeAll); }

void MainWindow::newProject() {
  if (m_scanner.isRunning()) return;
  m_project.startNew();
  if (SetBox) SetBox->showSettings();
}

void MainWindow::openProject() {
  const QString name =
      m_context.services.openProjectName(this, toQString(m_context.settingsFolder));
  if (name.isEmpty()) return;
  m_project.open(name.toStdString());
  if (SetBox) SetBox->showSettings();
}

void MainWindow::saveProject() {
  const QString name =
      m_context.services.saveProjectName(this, toQString(m_context.settingsFolder));
  if (name.isEmpty()) return;
  m_project.save(name.toStdString());
}

void MainWindow::exitProgram() { close(); }

void MainWindow::showSettingsDialog() {
  if (SetBox) SetBox->exec();
}

void MainWindow::showAboutDialog() {
  if (AboutBox) AboutBox->exec();
}

void MainWindow::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (m_shown) return;
  m_shown = true;
  onFirstShow();
}

void MainWindow::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  layoutControls();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  m_closing = true;
  // A scan in progress ends at its next file; the program ends after it.
  if (m_scanner.isRunning()) m_scanner.requestStop();
  try {
    savePlacement();
  } catch (const std::exception& error) {
    // The placement is lost, but the window still closes once told so.
    Application::instance()->reportUnexpectedError(this, error);
  }
  event->accept();
}

void MainWindow::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() == QEvent::LocaleChange) m_formats = m_context.localeFormats();
}

void MainWindow::letEventsRun() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  const qint64 ms = std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
  if (ms - m_lastEvents < kEventInterval.count()) return;
  m_lastEvents = ms;
  if (ms - m_lastRows >= kRowsInterval.count()) {
    m_lastRows = ms;
    m_model->flush();
  }
  QCoreApplication::processEvents();
}

ScreenSize MainWindow::primaryScreenSize() const {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return {kNormalWindowWidth, kNormalWindowHeight};
  return {screen->geometry().width(), screen->geometry().height()};
}

std::string MainWindow::placementPath() const { return m_context.settingsFolder + "qorv.ini"; }

std::string MainWindow::localFolder() const { return m_folderEdit->text().toStdString(); }
std::string MainWindow::siteUrl() const { return m_urlEdit->text().toStdString(); }
void MainWindow::setLocalFolder(const std::string& folder) {
  m_folderEdit->setText(toQString(folder));
}
void MainWindow::setSiteUrl(const std::string& url) { m_urlEdit->setText(toQString(url)); }
void MainWindow::clearPages() { m_pages.clear(); }

}  // namespace qorv
