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

struct TQorvContext;
class TPageListModel;

/// The main window: the folder and URL of a run, the scan and generate
/// buttons, and the site map list with a check box per row. Its menus reach
/// every other command. It holds no business logic of its own: it hands the
/// work to the core and shows the results.
class TForm1 final : public QMainWindow, private TScanInputs, private TProjectWindow {
 public:
  explicit TForm1(TQorvContext& context);
  ~TForm1() override;

  // Controls, named as in the window's design.
  QFrame* Bevel1;
  QLabel* Label1;
  QLineEdit* BrowseEdit1;
  QAction* BrowseButton;
  QLabel* Label2;
  QLineEdit* Edit1;
  QPushButton* Button1;
  QPushButton* Button2;
  QLabel* Label3;
  QTreeView* ListView1;

  QMenu* Prog;
  QAction* Novprojekt1;
  QAction* Otvoriprojekt1;
  QAction* Uloiprojekt1;
  QAction* Koniec;
  QMenu* Vber1;
  QAction* VybravetkoMenu1;
  QAction* InvertovavberMenu1;
  QAction* ZruivberMenu1;
  QAction* Editova1;
  QMenu* Nastavenie1;
  QAction* Nastaveniegenertora1;
  QMenu* Pomoc;
  QAction* Oprograme;
  QMenu* PopupMenu1;
  QAction* Oznaivetko1;
  QAction* Invertovavber1;
  QAction* Zruioznaenie1;
  QAction* Editova2;

  TPageList& Pages() { return m_pages; }
  TPageListModel& Model() { return *m_model; }
  TSiteScanner& Scanner() { return m_scanner; }
  const TLocaleFormats& Formats() const { return m_formats; }
  /// The row the edit command works on, if one is selected.
  std::optional<std::size_t> SelectedRow() const;

  // Handlers, named after control and event.
  void FormCreate();
  void FormShow();
  void FormResize();
  void FormClose();
  void BrowseEdit1Change();
  void BrowseButtonClick();
  void Button1Click();
  void Button2Click();
  void ListView1DblClick();
  void Oznaivetko1Click();
  void Invertovavber1Click();
  void Zruioznaenie1Click();
  void Novprojekt1Click();
  void Otvoriprojekt1Click();
  void Uloiprojekt1Click();
  void KoniecClick();
  void Nastaveniegenertora1Click();
  void OprogrameClick();

 protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void CreateControls();
  void CreateMenus();
  void LetEventsRun();
  TScreenSize PrimaryScreen() const;
  std::string PlacementPath() const;
  void TickCommand(void (TPageList::*command)());

  // TScanInputs and TProjectWindow: the two texts, as the core reads them.
  std::string LocalFolder() const override;
  std::string SiteUrl() const override;
  void SetLocalFolder(const std::string& folder) override;
  void SetSiteUrl(const std::string& url) override;
  void ClearPages() override;

  TQorvContext& m_context;
  TLocaleFormats m_formats;
  TPageList m_pages;
  TPageListModel* m_model;
  TSiteScanner m_scanner;
  TProjectFile m_project;
  bool m_shown = false;
  bool m_closing = false;
  qint64 m_lastEvents = 0;
  qint64 m_lastRows = 0;
};

/// The program's main window, created first at start-up.
extern TForm1* Form1;

}  // namespace qorv
