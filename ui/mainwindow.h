#pragma once

#include <QMainWindow>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "core/pagelist.h"
#include "core/sitemapjob.h"
#include "core/throttle.h"
#include "persist/projectfile.h"
#include "persist/windowplacement.h"
#include "platform/localeformats.h"

class QAction;
class QFrame;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QToolButton;

namespace qorv {

struct AppContext;
class AboutDialog;
class LeftOutDialog;
class PageEditDialog;
class PageListModel;
class PageListView;
class SearchEngineDialog;
class SettingsDialog;

/// The main window: the folder and URL of a run, the scan and generate
/// buttons, and the site map list with a check box per row. Its menus reach
/// every other command. It holds no business logic of its own: it hands the
/// work to the core and shows the results. It owns its dialogs, which
/// keep their values and places from one showing to the next.
class MainWindow final : public QMainWindow, private ProjectInputs {
  Q_OBJECT

 public:
  explicit MainWindow(AppContext& context, QWidget* parent = nullptr);
  ~MainWindow() override;

  PageList& pages() { return m_pages; }
  /// The scan behind the window's scan command.
  SiteScanner& scanner() { return m_job.scanner(); }
  /// The row the edit command works on, if one is selected.
  std::optional<std::size_t> selectedRow() const;

 protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private slots:
  void scanSite();
  void generateSitemap();
  void editSelectedPage();
  void includeAllPages();
  void invertIncludedPages();
  void excludeAllPages();
  void newProject();
  void openProject();
  void saveProject();
  void showSettingsDialog();
  void showSearchEngineDialog();
  void showAboutDialog();
  void showLeftOutDialog();
  void chooseFolder();
  void updateCommandButtons();

 private:
  void createControls();
  void createMenus();
  void restorePlacement();
  void savePlacement();
  void onFirstShow();
  void layoutControls();
  void letEventsRun();
  ScreenSize primaryScreenSize() const;
  std::string placementPath() const;
  bool isMenuShortcut(const QKeyEvent& key) const;
  void runTickCommand(void (PageList::*command)());
  /// The left-out list's commands are offered when the last scan, ended,
  /// left something out.
  void updateLeftOutCommands();
  /// A slot of this window whose errors reach the unexpected-error handler.
  auto guarded(void (MainWindow::*slot)());

  // ProjectInputs: the two texts, as the core reads them.
  std::string localFolder() const override;
  std::string siteUrl() const override;
  void setLocalFolder(const std::string& folder) override;
  void setSiteUrl(const std::string& url) override;
  void clearPages() override;

  AppContext& m_context;
  LocaleFormats m_formats;
  PageList m_pages;
  PageListModel* m_model;
  SitemapJob m_job;
  ProjectFile m_project;
  bool m_shown = false;
  bool m_closing = false;
  /// Events run at least this often while a scan works, so the window stays
  /// responsive without a repaint per file; the list shows new rows less often.
  Throttle m_eventThrottle{std::chrono::milliseconds(20)};
  Throttle m_rowsThrottle{kProgressInterval};

  QFrame* m_topLine;
  QLabel* m_folderLabel;
  QLineEdit* m_folderEdit;
  QAction* m_browseAction;
  QToolButton* m_browseButton = nullptr;
  QLabel* m_urlLabel;
  QLineEdit* m_urlEdit;
  QPushButton* m_scanButton;
  QPushButton* m_generateButton;
  QLabel* m_pageListLabel;
  PageListView* m_pageListView;

  QMenu* m_projectMenu;
  QAction* m_newProjectAction;
  QAction* m_openProjectAction;
  QAction* m_saveProjectAction;
  QAction* m_exitAction;
  QMenu* m_pageMenu;
  QAction* m_includeAllAction;
  QAction* m_invertIncludedAction;
  QAction* m_excludeAllAction;
  QAction* m_editPageAction;
  QAction* m_leftOutAction;
  QMenu* m_settingsMenu;
  QAction* m_settingsAction;
  QAction* m_searchEngineAction;
  QMenu* m_helpMenu;
  QAction* m_aboutAction;
  QMenu* m_pageContextMenu;
  QAction* m_contextIncludeAllAction;
  QAction* m_contextInvertIncludedAction;
  QAction* m_contextExcludeAllAction;
  QAction* m_contextEditPageAction;
  QAction* m_contextLeftOutAction;

  AboutDialog* m_aboutDialog;
  SettingsDialog* m_settingsDialog;
  PageEditDialog* m_pageEditDialog;
  SearchEngineDialog* m_searchEngineDialog;
  LeftOutDialog* m_leftOutDialog;
  /// Of the last write since the last scan: the left-out dialog lists them.
  std::vector<std::string> m_withoutReturnLinks;
};

}  // namespace qorv
