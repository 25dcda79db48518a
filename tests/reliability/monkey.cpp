// A random user for the desktop program: the real main window and its
// dialogs, driven in-process with Qt Test events for a given time. Random
// clicks on every control and menu item, random text (letters outside
// ASCII among them) typed into every box, dialogs opened and closed, scans
// of small real trees with odd names, generates, project saves and opens,
// resizes and exits, in orders no test imagined.
//
//   qorv_monkey SECONDS [--seed S]
//
// Confined to the working folder, which must be a fresh temporary one (the
// script tests/reliability/monkey makes it, and sets HOME to it): the
// settings folder, the trees and the project files are made there, the
// folder box is set to one of those trees whenever the scan button is
// pressed, and the folder chooser, the project file dialogs and links go
// through the desktop services seam to paths inside it. Exiting closes the
// window, which is then made anew, as a restarted program would be.
//
// Prints the seed first, so that a run can be repeated, and the figures at
// the end. Exits 0 when the time is up; a crash or a sanitizer report ends
// it otherwise.

#include <unistd.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDialog>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QWheelEvent>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "ui/application.h"
#include "ui/mainwindow.h"

namespace qorv::monkey {

namespace {

using Clock = std::chrono::steady_clock;

int millisecondsOf(Clock::duration duration) {
  return static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(duration).count());
}

void writeFile(const std::string& path, const std::string& content = "<html></html>\n") {
  std::error_code error;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
  std::ofstream(path, std::ios::binary) << content;
}

/// A small site with the names a real one should not have but may: blanks,
/// "&<>\"'", letters outside ASCII, bytes that are not UTF-8, line breaks, a
/// leading "-", long names, links to folders, to nothing and round in a
/// circle, and a page whose URL passes the length limit.
void makeOddTree(const std::string& root) {
  const std::vector<std::string> names = {
      "index.htm",
      "a page & more.htm",
      "<tag>\"quoted\"'s.html",
      "cenník.htm",
      "Über uns/index.htm",
      "日本語/ページ.htm",
      "emoji 😀/smile.html",
      "-leading.htm",
      "line\nbreak.htm",
      "tab\there.htm",
      "bad\xff\xfe bytes.htm",
      std::string(246, 'n') + ".htm",
      "deep/a/b/c/d/e/f/g/h/page.htm",
      "mixed/INDEX.HTM",
      "mixed/page.HtMl",
      "mixed/notes.txt",
      "mixed/image.png",
      "100%/50% off.htm",
      "q?x=1&y=2.htm",
      "spaces  double /  page  .htm",
  };
  for (const std::string& name : names) writeFile(std::string(root).append("/").append(name));
  std::string longFolder = root;
  for (int i = 0; i < 8; ++i) longFolder.append("/").append(240, static_cast<char>('k' + i));
  writeFile(longFolder + "/too long.htm");
  for (int i = 0; i < 40; ++i) writeFile(root + "/many/p" + std::to_string(i) + ".htm");
  // Whether these exist is all the tree needs; a second run finds them made.
  [[maybe_unused]] const int linked = symlink("mixed", (root + "/link to mixed").c_str()) +
                                      symlink("..", (root + "/deep/a/up").c_str()) +
                                      symlink("nowhere.htm", (root + "/dangling.htm").c_str()) +
                                      symlink("loop.htm", (root + "/loop.htm").c_str());
}

/// A site large enough that a scan takes a while, so that the user acts
/// while it runs.
void makeBigTree(const std::string& root) {
  for (int folder = 0; folder < 100; ++folder)
    for (int file = 0; file < 100; ++file)
      writeFile(root + "/f" + std::to_string(folder) + "/page " + std::to_string(file) + ".htm");
}

/// Pieces of what a user types or pastes: ASCII, Slovak, other scripts,
/// emoji, right to left, combining marks, a zero-width space, numbers at
/// and past the limits, dates, tags.
const std::vector<QString>& textPieces() {
  static const std::vector<QString> kPieces = {
      QStringLiteral("a"),
      QStringLiteral("Z"),
      QStringLiteral("0"),
      QStringLiteral("9"),
      QStringLiteral(" "),
      QStringLiteral("/"),
      QStringLiteral("\\"),
      QStringLiteral(";"),
      QStringLiteral("*"),
      QStringLiteral("?"),
      QStringLiteral("."),
      QStringLiteral("&"),
      QStringLiteral("<"),
      QStringLiteral("%"),
      QStringLiteral("\""),
      QStringLiteral("http://"),
      QStringLiteral("*.htm"),
      QStringLiteral("index.htm"),
      QStringLiteral("ľščťžýáíé"),
      QStringLiteral("ĽŠČŤŽÝÁÍÉÔ"),
      QStringLiteral("日本語"),
      QStringLiteral("😀"),
      QStringLiteral("👩‍👩‍👧"),
      QStringLiteral("مرحبا"),
      QStringLiteral("e\u0301"),
      QStringLiteral("\u200b"),
      QStringLiteral("-1"),
      QStringLiteral("2147483648"),
      QStringLiteral("31.12.9999"),
      QStringLiteral("0:00:00"),
      QStringLiteral("$1F"),
      QStringLiteral("none"),
      QStringLiteral("daily"),
      QStringLiteral("0.5"),
      QStringLiteral("+01:00"),
      QStringLiteral(";;"),
  };
  return kPieces;
}

/// Keys a user presses, with and without modifiers.
struct Key {
  Qt::Key key;
  Qt::KeyboardModifiers modifiers;
};

const std::vector<Key>& keys() {
  static const std::vector<Key> kKeys = {
      {Qt::Key_Tab, Qt::NoModifier},    {Qt::Key_Backtab, Qt::ShiftModifier},
      {Qt::Key_Return, Qt::NoModifier}, {Qt::Key_Enter, Qt::KeypadModifier},
      {Qt::Key_Escape, Qt::NoModifier}, {Qt::Key_Space, Qt::NoModifier},
      {Qt::Key_Up, Qt::NoModifier},     {Qt::Key_Down, Qt::NoModifier},
      {Qt::Key_Left, Qt::NoModifier},   {Qt::Key_Right, Qt::NoModifier},
      {Qt::Key_PageUp, Qt::NoModifier}, {Qt::Key_PageDown, Qt::NoModifier},
      {Qt::Key_Home, Qt::NoModifier},   {Qt::Key_End, Qt::NoModifier},
      {Qt::Key_Delete, Qt::NoModifier}, {Qt::Key_Backspace, Qt::NoModifier},
      {Qt::Key_F4, Qt::NoModifier},     {Qt::Key_A, Qt::ControlModifier},
      {Qt::Key_E, Qt::ControlModifier}, {Qt::Key_N, Qt::ControlModifier},
      {Qt::Key_O, Qt::ControlModifier}, {Qt::Key_S, Qt::ControlModifier},
      {Qt::Key_Z, Qt::ControlModifier}, {Qt::Key_V, Qt::ControlModifier},
      {Qt::Key_P, Qt::AltModifier},     {Qt::Key_S, Qt::AltModifier},
      {Qt::Key_N, Qt::AltModifier},     {Qt::Key_O, Qt::AltModifier},
      {Qt::Key_F4, Qt::AltModifier},    {Qt::Key_Up, Qt::AltModifier},
      {Qt::Key_Down, Qt::AltModifier},  {Qt::Key_End, Qt::ShiftModifier},
  };
  return kKeys;
}

class Monkey;
Monkey* running = nullptr;

class Monkey final : public QObject {
 public:
  Monkey(Application& app, int seconds, std::uint64_t seed)
      : m_app(app), m_seconds(seconds), m_random(seed) {}

  int run();
  void noteQtMessage() { ++m_qtMessages; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void prepareFolder();
  void makeWindow();
  void report() const;

  void tick();
  void noteEvent();
  void actOnPopup(QWidget* popup);
  void actOnDialog(QDialog* dialog);
  void actOnWindow();
  void clickSomewhere(QWidget* top);
  void clickControl(QWidget* top);
  void typeText(QWidget* top);
  void pressKey(QWidget* top);
  void openMenu();
  void triggerAction();
  void useList();
  void resizeWindow();
  void finish();

  std::size_t below(std::size_t bound) {
    return bound == 0 ? 0 : std::uniform_int_distribution<std::size_t>(0, bound - 1)(m_random);
  }
  bool chance(int percent) { return static_cast<int>(below(100)) < percent; }
  template <class T>
  T pick(const std::vector<T>& items) {
    return items[below(items.size())];
  }
  QString randomText();
  std::vector<QWidget*> visibleWidgets(QWidget* top) const;
  QPoint randomPointIn(const QWidget* widget);
  void click(QWidget* widget, QPoint at, Qt::MouseButton button = Qt::LeftButton,
             bool twice = false);
  void contextMenu(QWidget* widget, QPoint at);
  void key(QWidget* widget, Key pressed);
  QString scanFolderChoice();
  QString projectFileChoice(bool opening);
  void checkConfined(const std::string& path, const char* what) const;

  Application& m_app;
  int m_seconds;
  std::mt19937_64 m_random;
  std::string m_work;  // the working folder, ending in "/"
  MainWindow* m_window = nullptr;
  QTimer m_beats;
  Clock::time_point m_start;
  Clock::time_point m_end;
  Clock::time_point m_lastBeat;
  int m_depth = 0;
  bool m_measuring = false;
  bool m_finishing = false;
  bool m_done = false;
  const char* m_doing = "starting";

  long m_events = 0;
  long m_ticks = 0;
  long m_ticksWhileScanning = 0;
  long m_scans = 0;
  long m_filesScanned = 0;
  long m_generated = 0;
  long m_generateClicks = 0;
  long m_projectSaves = 0;
  long m_projectOpens = 0;
  long m_exits = 0;
  long m_resizes = 0;
  long m_messages = 0;
  long m_links = 0;
  long m_qtMessages = 0;
  int m_deepest = 0;
  int m_longestGap = 0;
  const char* m_longestGapDuring = "";
  std::map<std::string, long> m_shown;
};

void countQtMessages(QtMsgType type, const QMessageLogContext&, const QString& text) {
  if (type == QtDebugMsg || type == QtInfoMsg) return;
  if (running) running->noteQtMessage();
  std::fprintf(stderr, "monkey: Qt: %s\n", qPrintable(text));
  if (type == QtFatalMsg) std::abort();
}

int Monkey::run() {
  prepareFolder();
  AppContext& context = m_app.context();
  context.settingsFolder = m_work + "settings/";
  const UiServices desktop = UiServices::desktop();
  // Message boxes stay real: the user has to close them like any dialog.
  context.services.showMessage = [this, desktop](QWidget* parent, const QString& text) {
    ++m_messages;
    if (text.startsWith(QStringLiteral("Tessaly vytvorená"))) ++m_generated;
    desktop.showMessage(parent, text);
  };
  context.services.chooseFolder = [this](QWidget*, const QString&) {
    return chance(20) ? QString() : scanFolderChoice();
  };
  context.services.openProjectName = [this](QWidget*, const QString&) {
    QString name = projectFileChoice(true);
    if (!name.isEmpty()) ++m_projectOpens;
    return name;
  };
  context.services.saveProjectName = [this](QWidget*, const QString&) {
    QString name = projectFileChoice(false);
    if (!name.isEmpty()) ++m_projectSaves;
    return name;
  };
  context.services.openUrl = [this](const QUrl&) { ++m_links; };
  // Exiting closes the window; the monkey then makes it anew.
  m_app.setQuitOnLastWindowClosed(false);
  m_app.installEventFilter(this);
  makeWindow();

  m_start = Clock::now();
  m_end = m_start + std::chrono::seconds(m_seconds);
  m_lastBeat = m_start;
  m_measuring = true;
  // Keeps events coming while nothing else happens.
  m_beats.setInterval(5);
  connect(&m_beats, &QTimer::timeout, this, [] {});
  m_beats.start();
  QTimer::singleShot(0, this, [this] { tick(); });
  QApplication::exec();
  report();
  return 0;
}

void Monkey::prepareFolder() {
  // The folder the script made; nothing is written outside it.
  m_work = std::filesystem::current_path().string() + "/";
  std::filesystem::create_directories(m_work + "settings");
  std::filesystem::create_directories(m_work + "projects/folder.prj");
  std::filesystem::create_directories(m_work + "trees/empty");
  makeOddTree(m_work + "trees/odd");
  makeBigTree(m_work + "trees/big");
  writeFile(m_work + "trees/file.htm");
  std::string garbage;
  for (int i = 0; i < 3000; ++i) garbage += static_cast<char>(below(256));
  writeFile(m_work + "projects/garbage.prj", garbage);
  writeFile(m_work + "projects/other sections.prj",
            "[Notes]\r\nWho=me\r\n[Project]\r\nLocalFolder=/\r\nURL=http://old/\r\n");
}

void Monkey::makeWindow() {
  m_window = new MainWindow(m_app.context());
  SiteScanner& scanner = m_window->scanner();
  const auto now = scanner.now;
  scanner.now = [this, now] {
    ++m_scans;
    return now();
  };
  const auto fileDone = scanner.onFileDone;
  scanner.onFileDone = [this, fileDone] {
    ++m_filesScanned;
    fileDone();
  };
  // The folder box holds a tree of the working folder whenever a scan may
  // start: pressing the button comes before every click, by mouse or key.
  auto* scanButton = m_window->findChild<QPushButton*>(QStringLiteral("m_scanButton"));
  auto* folderEdit = m_window->findChild<QLineEdit*>(QStringLiteral("m_folderEdit"));
  connect(scanButton, &QPushButton::pressed, this,
          [this, folderEdit] { folderEdit->setText(scanFolderChoice()); });
  auto* generateButton = m_window->findChild<QPushButton*>(QStringLiteral("m_generateButton"));
  connect(generateButton, &QPushButton::pressed, this, [this] {
    ++m_generateClicks;
    const std::string folder = m_window->scanner().scanFolder();
    checkConfined(folder.empty() ? m_work : folder, "a generate");
  });
  m_window->show();
}

void Monkey::checkConfined(const std::string& path, const char* what) const {
  const std::string absolute = path.empty() || path[0] != '/' ? m_work + path : path;
  const std::string normal = std::filesystem::path(absolute).lexically_normal().string();
  if (normal.rfind(m_work, 0) != 0 && normal + "/" != m_work) {
    std::fprintf(stderr, "monkey: %s would reach outside %s: %s\n", what, m_work.c_str(),
                 path.c_str());
    std::abort();
  }
}

QString Monkey::scanFolderChoice() {
  static const std::vector<const char*> kFolders = {
      "trees/odd",   "trees/odd",   "trees/odd",      "trees/odd/",      "trees/big",
      "trees/big",   "trees/empty", "trees/missing",  "trees/file.htm",  "trees/odd/mixed",
      "trees//odd/", "trees/odd/.", "trees/odd/many", "trees/odd/deep/a"};
  const std::string folder = pick(kFolders);
  // Absolute mostly, as a chooser gives it; now and then relative to the
  // working folder, as typed.
  const std::string path = chance(85) ? m_work + folder : folder;
  checkConfined(path, "a scan");
  return QString::fromStdString(path);
}

QString Monkey::projectFileChoice(bool opening) {
  if (chance(15)) return {};
  static const std::vector<const char*> kFiles = {
      "projects/p0.prj",        "projects/p1.prj",      "projects/p2.prj",
      "projects/p2.prj",        "projects/garbage.prj", "projects/folder.prj",
      "projects/missing.prj",   "projects/ľšč 😀.prj",   "projects/other sections.prj",
      "projects/no/folder.prj", "settings/qorv.ini"};
  std::string file = pick(kFiles);
  if (!opening && file == "projects/missing.prj") file = "projects/p3.prj";
  const std::string path = m_work + file;
  checkConfined(path, "a project file");
  return QString::fromStdString(path);
}

bool Monkey::eventFilter(QObject* watched, QEvent* event) {
  // Every event the application handles, the monkey's own among them, is a
  // sign of life; the heartbeat keeps them coming while it idles.
  noteEvent();
  if (event->type() == QEvent::Show) {
    if (qobject_cast<QMessageBox*>(watched))
      ++m_shown["message box"];
    else if (qobject_cast<QDialog*>(watched))
      ++m_shown[watched->objectName().toStdString()];
    else if (qobject_cast<QMenu*>(watched))
      ++m_shown["menu"];
  }
  return false;
}

void Monkey::noteEvent() {
  const Clock::time_point now = Clock::now();
  if (!m_measuring) return;
  const int gap = millisecondsOf(now - m_lastBeat);
  m_lastBeat = now;
  if (gap > m_longestGap && !m_done) {
    m_longestGap = gap;
    m_longestGapDuring = m_doing;
  }
}

void Monkey::tick() {
  if (m_done) return;
  // The next step first: it comes inside whatever loop this one opens (a
  // dialog, a menu, a scan letting events run), as the user's next click does.
  QTimer::singleShot(0, this, [this] { tick(); });
  ++m_ticks;
  ++m_depth;
  m_deepest = std::max(m_deepest, m_depth);
  struct Leave {
    int& depth;
    ~Leave() { --depth; }
  } leave{m_depth};

  if (!m_finishing && Clock::now() >= m_end) m_finishing = true;
  if (m_finishing) {
    finish();
    return;
  }
  if (m_window->scanner().isRunning()) ++m_ticksWhileScanning;
  QWidget* popup = QApplication::activePopupWidget();
  QWidget* modal = QApplication::activeModalWidget();
  if (!m_window->isVisible()) {
    // Closed by the user: started anew once nothing of the old one runs.
    if (m_depth == 1 && !popup && !modal && !m_window->scanner().isRunning()) {
      ++m_exits;
      m_doing = "restarting";
      delete m_window;
      makeWindow();
    }
    return;
  }
  // Deep in nested loops, the user closes things rather than open more.
  if (m_depth > 6) {
    if (popup)
      popup->close();
    else if (auto* dialog = qobject_cast<QDialog*>(modal))
      dialog->reject();
    return;
  }
  if (popup)
    actOnPopup(popup);
  else if (auto* dialog = qobject_cast<QDialog*>(modal))
    actOnDialog(dialog);
  else if (!modal)
    actOnWindow();
}

void Monkey::finish() {
  m_doing = "finishing";
  if (QWidget* popup = QApplication::activePopupWidget()) {
    popup->close();
  } else if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
    dialog->reject();
  } else if (m_window->scanner().isRunning()) {
    m_window->scanner().requestStop();
  } else if (m_depth == 1) {
    m_done = true;
    if (m_window->isVisible()) m_window->close();
    delete m_window;
    m_window = nullptr;
    QApplication::quit();
  }
}

std::vector<QWidget*> Monkey::visibleWidgets(QWidget* top) const {
  std::vector<QWidget*> widgets;
  for (QWidget* widget : top->findChildren<QWidget*>()) {
    if (widget->isVisible() && widget->window() == top->window() && widget->width() > 0 &&
        widget->height() > 0)
      widgets.push_back(widget);
  }
  if (widgets.empty()) widgets.push_back(top);
  return widgets;
}

QPoint Monkey::randomPointIn(const QWidget* widget) {
  return {static_cast<int>(below(static_cast<std::size_t>(std::max(widget->width(), 1)))),
          static_cast<int>(below(static_cast<std::size_t>(std::max(widget->height(), 1))))};
}

void Monkey::click(QWidget* widget, QPoint at, Qt::MouseButton button, bool twice) {
  if (twice) {
    QTest::mouseDClick(widget, button, Qt::NoModifier, at);
    m_events += 4;
  } else {
    QTest::mouseClick(widget, button, chance(10) ? Qt::ShiftModifier : Qt::NoModifier, at);
    m_events += 2;
  }
}

void Monkey::contextMenu(QWidget* widget, QPoint at) {
  QContextMenuEvent event(QContextMenuEvent::Mouse, at, widget->mapToGlobal(at));
  QCoreApplication::sendEvent(widget, &event);
  ++m_events;
}

void Monkey::key(QWidget* widget, Key pressed) {
  QTest::keyClick(widget, pressed.key, pressed.modifiers);
  m_events += 2;
}

QString Monkey::randomText() {
  QString text;
  const std::size_t pieces = 1 + below(chance(5) ? 60 : 6);
  for (std::size_t i = 0; i < pieces; ++i) {
    if (chance(70)) {
      text += pick(textPieces());
    } else {
      // Any letter of a few blocks: Latin-1, Latin Extended-A, Cyrillic, CJK.
      static const std::vector<std::pair<char32_t, char32_t>> kBlocks = {
          {0x20, 0x7e}, {0xa0, 0xff}, {0x100, 0x17f}, {0x400, 0x4ff}, {0x4e00, 0x4fff}};
      const auto [first, last] = pick(kBlocks);
      const char32_t letter = first + static_cast<char32_t>(below(last - first + 1));
      text += QString::fromUcs4(&letter, 1);
    }
  }
  return text;
}

void Monkey::actOnPopup(QWidget* popup) {
  m_doing = "using a popup";
  auto* menu = qobject_cast<QMenu*>(popup);
  if (chance(25)) {
    key(popup, {Qt::Key_Escape, Qt::NoModifier});
  } else if (menu && chance(70)) {
    std::vector<QAction*> actions;
    for (QAction* action : menu->actions())
      if (action->isVisible() && !action->isSeparator()) actions.push_back(action);
    if (actions.empty()) return;
    QAction* action = pick(actions);
    m_doing = "choosing a menu item";
    click(popup, menu->actionGeometry(action).center());
  } else if (chance(80)) {
    QWidget* target = pick(visibleWidgets(popup));
    click(target, randomPointIn(target), Qt::LeftButton, chance(10));
  } else {
    key(popup, pick(keys()));
  }
}

void Monkey::actOnDialog(QDialog* dialog) {
  m_doing = "using a dialog";
  // A window system without a window manager activates nothing by itself.
  if (QApplication::activeWindow() != dialog) QApplication::setActiveWindow(dialog);
  if (chance(12)) {
    m_doing = "closing a dialog";
    std::vector<QPushButton*> buttons;
    for (QPushButton* button : dialog->findChildren<QPushButton*>())
      if (button->isVisible()) buttons.push_back(button);
    if (!buttons.empty() && chance(60)) {
      QPushButton* button = pick(buttons);
      click(button, button->rect().center());
    } else if (chance(50)) {
      key(dialog, {Qt::Key_Escape, Qt::NoModifier});
    } else {
      dialog->reject();
    }
    return;
  }
  const std::size_t choice = below(100);
  if (choice < 35)
    clickSomewhere(dialog);
  else if (choice < 60)
    clickControl(dialog);
  else if (choice < 80)
    typeText(dialog);
  else
    pressKey(dialog);
}

void Monkey::actOnWindow() {
  if (QApplication::activeWindow() != m_window) QApplication::setActiveWindow(m_window);
  const std::size_t choice = below(100);
  if (choice < 18) {
    clickSomewhere(m_window);
  } else if (choice < 30) {
    clickControl(m_window);
  } else if (choice < 40) {
    typeText(m_window);
  } else if (choice < 50) {
    pressKey(m_window);
  } else if (choice < 58) {
    openMenu();
  } else if (choice < 68) {
    triggerAction();
  } else if (choice < 75) {
    m_doing = "scanning";
    auto* button = m_window->findChild<QPushButton*>(QStringLiteral("m_scanButton"));
    if (button->isEnabled()) click(button, button->rect().center());
  } else if (choice < 80) {
    m_doing = "generating";
    auto* button = m_window->findChild<QPushButton*>(QStringLiteral("m_generateButton"));
    if (button->isEnabled()) click(button, button->rect().center());
  } else if (choice < 96) {
    useList();
  } else {
    resizeWindow();
  }
}

void Monkey::clickSomewhere(QWidget* top) {
  m_doing = "clicking";
  QWidget* target = pick(visibleWidgets(top));
  const QPoint at = randomPointIn(target);
  if (chance(8))
    contextMenu(target, at);
  else
    click(target, at, chance(8) ? Qt::RightButton : Qt::LeftButton, chance(8));
}

void Monkey::clickControl(QWidget* top) {
  m_doing = "clicking a control";
  std::vector<QWidget*> controls;
  for (QWidget* widget : visibleWidgets(top)) {
    if (qobject_cast<QAbstractButton*>(widget) || qobject_cast<QComboBox*>(widget) ||
        qobject_cast<QLineEdit*>(widget) || qobject_cast<QAbstractSpinBox*>(widget) ||
        qobject_cast<QAbstractItemView*>(widget))
      controls.push_back(widget);
  }
  if (controls.empty()) return;
  QWidget* control = pick(controls);
  // The generate and scan buttons have their own steps, which count them.
  if (control->objectName() == QStringLiteral("m_generateButton")) m_doing = "generating";
  if (control->objectName() == QStringLiteral("m_scanButton")) m_doing = "scanning";
  const QPoint at = chance(70) ? control->rect().center() : randomPointIn(control);
  click(control, at, Qt::LeftButton, chance(5));
}

void Monkey::typeText(QWidget* top) {
  m_doing = "typing";
  std::vector<QLineEdit*> boxes;
  for (QWidget* widget : visibleWidgets(top))
    if (auto* box = qobject_cast<QLineEdit*>(widget)) boxes.push_back(box);
  if (boxes.empty()) return;
  QLineEdit* box = pick(boxes);
  box->setFocus(Qt::OtherFocusReason);
  if (chance(40)) key(box, {Qt::Key_A, Qt::ControlModifier});
  const QString text = randomText();
  if (chance(15)) {
    // As an input method commits it, all at once.
    QInputMethodEvent event;
    event.setCommitString(text);
    QCoreApplication::sendEvent(box, &event);
    ++m_events;
    return;
  }
  // Key by key, each character (or surrogate pair) as the key's text.
  for (int i = 0; i < text.size(); ++i) {
    const int length = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
    QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, text.mid(i, length), Qt::NoModifier);
    m_events += 2;
    i += length - 1;
  }
  if (chance(20)) key(box, {Qt::Key_Return, Qt::NoModifier});
}

void Monkey::pressKey(QWidget* top) {
  m_doing = "pressing a key";
  QWidget* target = QApplication::focusWidget();
  if (!target || target->window() != top->window()) target = top;
  key(target, pick(keys()));
}

void Monkey::openMenu() {
  m_doing = "opening a menu";
  QMenuBar* bar = m_window->menuBar();
  std::vector<QAction*> menus;
  for (QAction* action : bar->actions())
    if (action->menu()) menus.push_back(action);
  if (menus.empty()) return;
  click(bar, bar->actionGeometry(pick(menus)).center());
}

void Monkey::triggerAction() {
  // As a shortcut or a menu item would: every command of the menus and the
  // list's context menu.
  std::vector<QAction*> actions;
  for (QMenu* menu : m_window->findChildren<QMenu*>())
    for (QAction* action : menu->actions())
      if (!action->isSeparator() && !action->menu()) actions.push_back(action);
  if (actions.empty()) return;
  QAction* action = pick(actions);
  // Exits are rarer than the other commands, or the user would mostly restart.
  if (action->objectName() == QStringLiteral("m_exitAction") && !chance(25)) return;
  m_doing = "running a command";
  action->trigger();
  ++m_events;
}

void Monkey::useList() {
  m_doing = "using the list";
  auto* view = m_window->findChild<QTreeView*>(QStringLiteral("m_pageListView"));
  QWidget* viewport = view->viewport();
  const int rows = view->model()->rowCount();
  const std::size_t choice = below(100);
  if (choice < 25) {
    const QPoint at = randomPointIn(viewport);
    QWheelEvent wheel(at, viewport->mapToGlobal(at), QPoint(),
                      QPoint(0, (chance(50) ? -1 : 1) * 120 * static_cast<int>(1 + below(10))),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(viewport, &wheel);
    ++m_events;
  } else if (choice < 45 && rows > 0) {
    // A row's check box, at the left of its first column.
    const QModelIndex index = view->indexAt(randomPointIn(viewport));
    if (!index.isValid()) return;
    const QRect rect = view->visualRect(index.siblingAtColumn(0));
    click(viewport, QPoint(rect.left() + 4 + static_cast<int>(below(12)), rect.center().y()));
  } else if (choice < 60 && rows > 0) {
    m_doing = "editing a row";
    const QModelIndex index = view->indexAt(randomPointIn(viewport));
    if (index.isValid()) click(viewport, view->visualRect(index).center(), Qt::LeftButton, true);
  } else if (choice < 70) {
    contextMenu(viewport, randomPointIn(viewport));
  } else if (choice < 80) {
    const auto positions = static_cast<std::size_t>(view->verticalScrollBar()->maximum()) + 1;
    view->verticalScrollBar()->setValue(static_cast<int>(below(positions)));
    ++m_events;
  } else {
    view->setFocus(Qt::OtherFocusReason);
    key(view, pick(keys()));
  }
}

void Monkey::resizeWindow() {
  m_doing = "resizing";
  ++m_resizes;
  ++m_events;
  const std::size_t choice = below(10);
  if (choice < 2) {
    m_window->showMaximized();
  } else if (choice < 4) {
    m_window->showNormal();
  } else {
    m_window->resize(50 + static_cast<int>(below(2500)), 50 + static_cast<int>(below(1700)));
  }
}

void Monkey::report() const {
  const double seconds =
      std::chrono::duration_cast<std::chrono::duration<double>>(Clock::now() - m_start).count();
  std::printf(
      "monkey: %.0f s, %ld events sent in %ld steps (%ld while a scan ran; nested up to %d "
      "deep)\n",
      seconds, m_events, m_ticks, m_ticksWhileScanning, m_deepest);
  std::printf("monkey: %ld scans (%ld files), %ld generates written of %ld clicks\n", m_scans,
              m_filesScanned, m_generated, m_generateClicks);
  std::printf("monkey: %ld project saves, %ld project opens, %ld exits, %ld resizes, %ld links\n",
              m_projectSaves, m_projectOpens, m_exits, m_resizes, m_links);
  std::string shown;
  for (const auto& [name, count] : m_shown) shown += " " + name + " " + std::to_string(count);
  std::printf("monkey: shown:%s\n", shown.c_str());
  // What the unexpected-error handler logged, by class.
  std::map<std::string, long> errors;
  std::ifstream log(m_work + "settings/error.log");
  for (std::string line; std::getline(log, line);) {
    const std::size_t start = line.find(" : ");
    const std::size_t end = line.find(" - ", start == std::string::npos ? 0 : start);
    if (start != std::string::npos && end != std::string::npos)
      ++errors[line.substr(start + 3, end - start - 3)];
  }
  std::string logged;
  for (const auto& [name, count] : errors) logged += " " + name + " " + std::to_string(count);
  std::printf("monkey: %ld messages shown; unexpected errors logged:%s\n", m_messages,
              logged.empty() ? " none" : logged.c_str());
  std::printf("monkey: %ld Qt warnings; longest time without an event handled: %d ms (%s)\n",
              m_qtMessages, m_longestGap, m_longestGapDuring);
}

}  // namespace

}  // namespace qorv::monkey

int main(int argc, char** argv) {
  int seconds = 60;
  std::uint64_t seed = std::random_device{}();
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--seed" && i + 1 < argc)
      seed = std::strtoull(argv[++i], nullptr, 10);
    else if (!arg.empty() && arg[0] != '-')
      seconds = std::atoi(arg.c_str());
  }
  std::printf("monkey: seed %llu, %d s (repeat with: tests/reliability/monkey %d --seed %llu)\n",
              static_cast<unsigned long long>(seed), seconds, seconds,
              static_cast<unsigned long long>(seed));
  std::fflush(stdout);
  qInstallMessageHandler(qorv::monkey::countQtMessages);
  qorv::Application app(argc, argv);
  qorv::monkey::Monkey monkey(app, seconds, seed);
  qorv::monkey::running = &monkey;
  const int status = monkey.run();
  qorv::monkey::running = nullptr;
  return status;
}
