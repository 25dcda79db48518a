#include "ui/mainwindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QToolButton>

#include "core/projectsettings.h"
#include "platform/productversiontext.h"
#include "ui/aboutdialog.h"
#include "ui/appcontext.h"
#include "ui/controls.h"
#include "ui/leftoutdialog.h"
#include "ui/pageeditdialog.h"
#include "ui/pagelistmodel.h"
#include "ui/pagelistview.h"
#include "ui/searchenginedialog.h"
#include "ui/settingsdialog.h"
#include "ui/text.h"

namespace qorv {

namespace {

/// The busy pointer for the length of a command, also when it fails.
class BusyCursor {
 public:
  BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
  ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;
};

/// Rows added while held are shown in bursts, not one by one.
class HeldRows {
 public:
  explicit HeldRows(PageListModel& model) : m_model(model) { m_model.holdRows(true); }
  ~HeldRows() {
    m_model.holdRows(false);
    m_model.flush();
  }
  HeldRows(const HeldRows&) = delete;
  HeldRows& operator=(const HeldRows&) = delete;

 private:
  PageListModel& m_model;
};

constexpr int kListTop = 126;
constexpr int kButtonWidth = 148;

}  // namespace

MainWindow::MainWindow(AppContext& context, QWidget* parent)
    : QMainWindow(parent),
      m_context(context),
      m_formats(context.localeFormats()),
      m_model(new PageListModel(m_pages, this)),
      m_job(context.settings, m_pages, *this, m_formats),
      m_project(context.settings, *this) {
  setObjectName(QStringLiteral("mainWindow"));
  setWindowTitle(kApplicationTitle);
  setMinimumSize(kNormalWindowWidth, kNormalWindowHeight);
  resize(kNormalWindowWidth, kNormalWindowHeight);
  createControls();
  createMenus();
  // The scan spreads over every processor; its rows are still made here,
  // and the events run between them and while it waits for its workers.
  m_job.scanner().threads = 0;
  m_job.scanner().onFileDone = [this] { letEventsRun(); };
  m_job.scanner().whileBusy = [this] { letEventsRun(); };
  m_job.scanner().onWaiting = [this] { letEventsRun(); };
  restorePlacement();
  // The dialogs come after the window is placed, in this order, and live
  // as long as it does.
  m_aboutDialog = new AboutDialog(context.version, context.services, this);
  m_settingsDialog = new SettingsDialog(context.settings, this);
  m_pageEditDialog = new PageEditDialog(this);
  m_searchEngineDialog = new SearchEngineDialog(context.settings, this);
  m_leftOutDialog = new LeftOutDialog(this);
}

MainWindow::~MainWindow() {
  // The child widgets, the list and its model among them, go only after
  // the page list they show: part them from it while it still exists.
  m_pageListView->setModel(nullptr);
  delete m_model;
}

auto MainWindow::guarded(void (MainWindow::*slot)()) {
  return guardedSlot(m_context.reportError, [this, slot] { (this->*slot)(); });
}

void MainWindow::createControls() {
  auto* client = new QWidget(this);
  setCentralWidget(client);

  m_topLine = named(new QFrame(client), "m_topLine");
  m_topLine->setFrameStyle(QFrame::HLine | QFrame::Sunken);
  m_topLine->setGeometry(0, 0, 610, 2);

  m_folderLabel =
      named(placeLabel(QStringLiteral("Lokálny adresár webu"), client, 7, 21), "m_folderLabel");
  m_folderEdit = labelled(m_folderLabel, named(new QLineEdit(client), "m_folderEdit"));
  m_folderEdit->setGeometry(7, 35, 274, 21);
  m_folderEdit->setToolTip(QStringLiteral("Určenie lokálneho adresára webu"));
  m_browseAction = named(m_folderEdit->addAction(style()->standardIcon(QStyle::SP_DirOpenIcon),
                                                 QLineEdit::TrailingPosition),
                         "m_browseAction");
  // The button inside the box takes no focus: its key, which nothing else
  // uses, reaches it from the keyboard.
  m_browseAction->setText(QStringLiteral("Vybrať priečinok"));
  m_browseAction->setShortcut(QKeySequence(Qt::Key_F4));
  m_browseAction->setToolTip(QStringLiteral("%1 (%2)").arg(
      m_browseAction->text(), m_browseAction->shortcut().toString(QKeySequence::NativeText)));
  for (auto* button : m_folderEdit->findChildren<QToolButton*>())
    if (button->defaultAction() == m_browseAction) m_browseButton = named(button, "m_browseButton");
  if (m_browseButton) m_browseButton->setAccessibleName(m_browseAction->text());

  m_urlLabel = named(placeLabel(QStringLiteral("Url webu"), client, 7, 63), "m_urlLabel");
  m_urlEdit =
      labelled(m_urlLabel, named(new QLineEdit(toQString(kNewProjectUrl), client), "m_urlEdit"));
  m_urlEdit->setGeometry(7, 77, 274, 21);
  m_urlEdit->setToolTip(
      QStringLiteral("URL webu, ktorou budú v mape webu nahradené lokálne zložky"));

  m_scanButton = captioned(
      named(new QPushButton(QStringLiteral("Zobraziť mapu webu"), client), "m_scanButton"));
  m_scanButton->setGeometry(301, 73, kButtonWidth, 25);
  m_scanButton->setToolTip(
      QStringLiteral("Zobrazenie mapy webu, z ktorej bude generovaný SITEMAP.XML"));
  m_generateButton = captioned(
      named(new QPushButton(QStringLiteral("Generovať Tessaly"), client), "m_generateButton"));
  m_generateButton->setGeometry(469, 73, kButtonWidth, 25);
  m_generateButton->setToolTip(
      QStringLiteral("Vygenerovanie súboru SITEMAP.XML pre službu Tessaly"));

  m_pageListLabel =
      named(placeLabel(QStringLiteral("Mapa webu"), client, 7, 112), "m_pageListLabel");
  m_pageListView =
      labelled(m_pageListLabel, named(new PageListView(m_model, client), "m_pageListView"));
  m_pageListView->setGeometry(7, kListTop, 610, 281);

  setTabOrder(m_folderEdit, m_urlEdit);
  setTabOrder(m_urlEdit, m_scanButton);
  setTabOrder(m_scanButton, m_generateButton);
  setTabOrder(m_generateButton, m_pageListView);

  connect(m_folderEdit, &QLineEdit::textChanged, this, &MainWindow::updateCommandButtons);
  connect(m_browseAction, &QAction::triggered, this, guarded(&MainWindow::chooseFolder));
  connect(m_scanButton, &QPushButton::clicked, this, guarded(&MainWindow::scanSite));
  connect(m_generateButton, &QPushButton::clicked, this, guarded(&MainWindow::generateSitemap));
  connect(m_pageListView, &QTreeView::doubleClicked, this, guarded(&MainWindow::editSelectedPage));
  connect(m_pageListView, &PageListView::editRequested, this,
          guarded(&MainWindow::editSelectedPage));
  // A double click below the rows edits too; the view reports only those on a row.
  m_pageListView->viewport()->installEventFilter(this);
  // The text boxes would take the menus' shortcuts for their own key bindings
  // (Ctrl+E: end of line).
  m_folderEdit->installEventFilter(this);
  m_urlEdit->installEventFilter(this);
}

void MainWindow::createMenus() {
  const auto add = [this](QMenu* menu, const QString& caption, const QKeySequence& shortcut,
                          void (MainWindow::*slot)(), const char* memberName) {
    QAction* action = named(menu->addAction(caption), memberName);
    action->setShortcut(shortcut);
    if (slot) connect(action, &QAction::triggered, this, guarded(slot));
    return action;
  };

  m_projectMenu = named(menuBar()->addMenu(QStringLiteral("&Projekt")), "m_projectMenu");
  m_newProjectAction =
      add(m_projectMenu, QStringLiteral("&Nový"), QKeySequence(Qt::CTRL | Qt::Key_N),
          &MainWindow::newProject, "m_newProjectAction");
  m_openProjectAction =
      add(m_projectMenu, QStringLiteral("&Otvoriť..."), QKeySequence(Qt::CTRL | Qt::Key_O),
          &MainWindow::openProject, "m_openProjectAction");
  m_projectMenu->addSeparator();
  m_saveProjectAction =
      add(m_projectMenu, QStringLiteral("&Uložiť..."), QKeySequence(Qt::CTRL | Qt::Key_S),
          &MainWindow::saveProject, "m_saveProjectAction");
  m_projectMenu->addSeparator();
  m_exitAction = add(m_projectMenu, QStringLiteral("&Koniec"), QKeySequence(Qt::ALT | Qt::Key_F4),
                     nullptr, "m_exitAction");
  connect(m_exitAction, &QAction::triggered, this, &QWidget::close);

  m_pageMenu = named(menuBar()->addMenu(QStringLiteral("&Stránka")), "m_pageMenu");
  m_includeAllAction = add(m_pageMenu, QStringLiteral("&Vybrať všetky"), QKeySequence(),
                           &MainWindow::includeAllPages, "m_includeAllAction");
  m_invertIncludedAction = add(m_pageMenu, QStringLiteral("&Invertovať výber"), QKeySequence(),
                               &MainWindow::invertIncludedPages, "m_invertIncludedAction");
  m_excludeAllAction = add(m_pageMenu, QStringLiteral("&Zrušiť výber"), QKeySequence(),
                           &MainWindow::excludeAllPages, "m_excludeAllAction");
  m_pageMenu->addSeparator();
  m_editPageAction =
      add(m_pageMenu, QStringLiteral("&Editovať..."), QKeySequence(Qt::CTRL | Qt::Key_E),
          &MainWindow::editSelectedPage, "m_editPageAction");
  m_pageMenu->addSeparator();
  m_leftOutAction = add(m_pageMenu, QStringLiteral("&Vynechané stránky..."), QKeySequence(),
                        &MainWindow::showLeftOutDialog, "m_leftOutAction");

  m_settingsMenu = named(menuBar()->addMenu(QStringLiteral("&Nastavenie")), "m_settingsMenu");
  m_settingsAction = add(m_settingsMenu, QStringLiteral("&Nastavenie..."), QKeySequence(),
                         &MainWindow::showSettingsDialog, "m_settingsAction");
  m_searchEngineAction = add(m_settingsMenu, QStringLiteral("Pre &vyhľadávače..."), QKeySequence(),
                             &MainWindow::showSearchEngineDialog, "m_searchEngineAction");

  m_helpMenu = named(menuBar()->addMenu(QStringLiteral("P&omoc")), "m_helpMenu");
  m_aboutAction = add(m_helpMenu, QStringLiteral("&O programe..."), QKeySequence(),
                      &MainWindow::showAboutDialog, "m_aboutAction");

  // The context menu's shortcut is shown only: the menu bar's Ctrl+E is the
  // one that acts, so the key never triggers the command twice.
  m_pageContextMenu = named(new QMenu(this), "m_pageContextMenu");
  m_contextIncludeAllAction =
      add(m_pageContextMenu, QStringLiteral("Vybrať všetky"), QKeySequence(),
          &MainWindow::includeAllPages, "m_contextIncludeAllAction");
  m_contextInvertIncludedAction =
      add(m_pageContextMenu, QStringLiteral("Invertovať výber"), QKeySequence(),
          &MainWindow::invertIncludedPages, "m_contextInvertIncludedAction");
  m_contextExcludeAllAction = add(m_pageContextMenu, QStringLiteral("Zrušiť výber"), QKeySequence(),
                                  &MainWindow::excludeAllPages, "m_contextExcludeAllAction");
  m_pageContextMenu->addSeparator();
  m_contextEditPageAction = add(m_pageContextMenu, QStringLiteral("Editovať"), QKeySequence(),
                                &MainWindow::editSelectedPage, "m_contextEditPageAction");
  m_contextEditPageAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
  m_contextEditPageAction->setShortcutContext(Qt::WidgetShortcut);
  m_pageContextMenu->addSeparator();
  m_contextLeftOutAction =
      add(m_pageContextMenu, QStringLiteral("&Vynechané stránky..."), QKeySequence(),
          &MainWindow::showLeftOutDialog, "m_contextLeftOutAction");
  updateLeftOutCommands();
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
  // The top of the user's own files, whatever the box holds.
  const QString folder = m_context.services.chooseFolder(this, QDir::homePath());
  if (!folder.isEmpty()) m_folderEdit->setText(folder);
}

void MainWindow::scanSite() {
  // One scan at a time: this one would clear the rows the running one fills.
  if (m_job.scanner().isRunning()) return;
  {
    // The list is the scan's to fill until it ends.
    m_leftOutAction->setEnabled(false);
    m_contextLeftOutAction->setEnabled(false);
    m_withoutReturnLinks.clear();
    BusyCursor busy;
    HeldRows heldRows(*m_model);
    try {
      m_job.scan();
    } catch (...) {
      updateLeftOutCommands();
      throw;
    }
  }
  updateLeftOutCommands();
  const std::string warning = m_job.scanWarning();
  if (!warning.empty() && !m_closing) m_context.services.showMessage(this, toQString(warning));
}

void MainWindow::generateSitemap() {
  if (m_job.scanner().isRunning()) return;
  SitemapResult result;
  {
    BusyCursor busy;
    result = m_job.write();
  }
  m_withoutReturnLinks = result.withoutReturnLinks;
  updateLeftOutCommands();
  m_context.services.showMessage(this, toQString(m_job.completionMessage(result)));
}

std::optional<std::size_t> MainWindow::selectedRow() const {
  const QModelIndexList rows = m_pageListView->selectionModel()->selectedRows();
  if (rows.isEmpty()) return std::nullopt;
  return static_cast<std::size_t>(rows.constFirst().row());
}

void MainWindow::editSelectedPage() {
  const std::optional<std::size_t> row = selectedRow();
  if (!row || !m_pageEditDialog->editRow(m_pages, *row, m_formats))
    m_context.services.showMessage(this, QStringLiteral("Nie je vybraná stránka."));
}

void MainWindow::runTickCommand(void (PageList::*command)()) {
  BusyCursor busy;
  if (m_pages.size() > 0) (m_pages.*command)();
}

void MainWindow::updateLeftOutCommands() {
  const bool offered = !m_job.scanner().isRunning() &&
                       (!m_job.scanner().leftOut().empty() || !m_withoutReturnLinks.empty());
  m_leftOutAction->setEnabled(offered);
  m_contextLeftOutAction->setEnabled(offered);
}

void MainWindow::showLeftOutDialog() {
  if (m_job.scanner().isRunning()) return;
  m_leftOutDialog->showList(m_job.scanner().leftOut(), m_withoutReturnLinks);
}

void MainWindow::includeAllPages() { runTickCommand(&PageList::includeAll); }
void MainWindow::invertIncludedPages() { runTickCommand(&PageList::invertIncluded); }
void MainWindow::excludeAllPages() { runTickCommand(&PageList::excludeAll); }

void MainWindow::newProject() {
  if (m_job.scanner().isRunning()) return;
  m_project.startNew();
  m_settingsDialog->showSettings();
  m_searchEngineDialog->showSettings();
}

void MainWindow::openProject() {
  const QString name =
      m_context.services.openProjectName(this, toQString(m_context.settingsFolder));
  if (name.isEmpty()) return;
  m_project.open(name.toStdString());
  m_settingsDialog->showSettings();
  m_searchEngineDialog->showSettings();
}

void MainWindow::saveProject() {
  const QString name =
      m_context.services.saveProjectName(this, toQString(m_context.settingsFolder));
  if (name.isEmpty()) return;
  m_project.save(name.toStdString());
}

void MainWindow::showSettingsDialog() { m_settingsDialog->exec(); }

void MainWindow::showSearchEngineDialog() { m_searchEngineDialog->exec(); }

void MainWindow::showAboutDialog() { m_aboutDialog->exec(); }

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
  if (m_job.scanner().isRunning()) m_job.scanner().requestStop();
  try {
    savePlacement();
  } catch (const std::exception& error) {
    // The placement is lost, but the window still closes once told so.
    m_context.reportError(error);
  }
  event->accept();
}

void MainWindow::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() == QEvent::LocaleChange) m_formats = m_context.localeFormats();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::ShortcutOverride &&
      isMenuShortcut(*static_cast<QKeyEvent*>(event))) {
    // Left unaccepted, the key goes on to the menu's shortcut.
    return true;
  }
  const bool press = event->type() == QEvent::MouseButtonPress;
  if ((press || event->type() == QEvent::MouseButtonDblClick) &&
      watched == m_pageListView->viewport()) {
    const auto* click = static_cast<QMouseEvent*>(event);
    if (click->button() == Qt::LeftButton &&
        !m_pageListView->indexAt(click->position().toPoint()).isValid()) {
      // A click below the rows keeps the selected row, which a double click
      // there edits, as a double click on it does.
      if (!press) {
        const auto edit = guarded(&MainWindow::editSelectedPage);
        edit();
      }
      return true;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

bool MainWindow::isMenuShortcut(const QKeyEvent& key) const {
  const QKeySequence pressed(key.keyCombination());
  for (const QMenu* menu : {m_projectMenu, m_pageMenu, m_settingsMenu, m_helpMenu}) {
    for (const QAction* action : menu->actions())
      if (action->shortcuts().contains(pressed)) return true;
  }
  return false;
}

void MainWindow::letEventsRun() {
  if (!m_eventThrottle.due()) return;
  if (m_rowsThrottle.due()) m_model->flush();
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
void MainWindow::clearPages() {
  m_pages.clear();
  m_job.scanner().clearLeftOut();
  m_withoutReturnLinks.clear();
  updateLeftOutCommands();
}

}  // namespace qorv
