#pragma once

#include <QMainWindow>
#include <memory>
#include <optional>

#include "core/pagelist.h"
#include "core/sitescan.h"
#include "persist/projectfile.h"
#include "persist/windowplacement.h"
#include "platform/localeformats.h"

class QAction;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTreeView;

namespace qorv {

struct AppContext;
class PageListModel;

/// The main window: the folder and URL of a run, the scan and generate
/// buttons, and the site map list with a check box per row. Its menus reach
/// every other command. It holds no business logic of its own: it hands the
/// work to the core and shows the results.
class MainWindow final : public QMainWindow, private ScanInputs, private ProjectWindow {
 public:
  explicit MainWindow(AppContext& context);
  ~MainWindow() override;

  // Controls, named as in the window's design.
  QFrame* m_topLine;
  QLabel* m_folderLabel;
  QLineEdit* m_folderEdit;
  QAction* m_browseAction;
  QLabel* m_urlLabel;
  QLineEdit* m_urlEdit;
  QPushButton* m_scanButton;
  QPushButton* m_generateButton;
  QLabel* m_pageListLabel;
  QTreeView* m_pageListView;

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
  QMenu* m_settingsMenu;
  QAction* m_settingsAction;
  QMenu* m_helpMenu;
  QAction* m_aboutAction;
  QMenu* m_pageContextMenu;
  QAction* m_contextIncludeAllAction;
  QAction* m_contextInvertIncludedAction;
  QAction* m_contextExcludeAllAction;
  QAction* m_contextEditPageAction;

  PageList& pages() { return m_pages; }
  PageListModel& model() { return *m_model; }
  SiteScanner& scanner() { return m_scanner; }
  const LocaleFormats& formats() const { return m_formats; }
  /// The row the edit command works on, if one is selected.
  std::optional<std::size_t> selectedRow() const;

  // Handlers, named after control and event.
  void restorePlacement();
  void onFirstShow();
  void layoutControls();
  void savePlacement();
  void updateCommandButtons();
  void chooseFolder();
  void scanSite();
  void generateSitemap();
  void editSelectedPage();
  void includeAllPages();
  void invertIncludedPages();
  void excludeAllPages();
  void newProject();
  void openProject();
  void saveProject();
  void exitProgram();
  void showSettingsDialog();
  void showAboutDialog();

 protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void createControls();
  void createMenus();
  void letEventsRun();
  ScreenSize primaryScreenSize() const;
  std::string placementPath() const;
  void runTickCommand(void (PageList::*command)());

  // TScanInputs and TProjectWindow: the two texts, as the core reads them.
  std::string localFolder() const override;
  std::string siteUrl() const override;
  void setLocalFolder(const std::string& folder) override;
  void setSiteUrl(const std::string& url) override;
  void clearPages() override;

  AppContext& m_context;
  LocaleFormats m_formats;
  PageList m_pages;
  PageListModel* m_model;
  SiteScanner m_scanner;
  ProjectFile m_project;
  bool m_shown = false;
  bool m_closing = false;
  qint64 m_lastEvents = 0;
  qint64 m_lastRows = 0;
};

/// The program's main window, created first at start-up.
extern MainWindow* Form1;

}  // namespace qorv
