// Takes pictures of the windows as a user sees them, for the README and for
// a look at texts, fonts and layout:
//
//   qorv-screenshots OUTPUT_FOLDER SITE_FOLDER
//
// Run it under a real window system; scripts/screenshots does so with Xvfb.

#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <cstdio>

#include <QTimer>
#include <functional>

#include "ui/application.h"
#include "ui/mainwindow.h"

namespace {

bool save(QWidget* window, const QString& folder, const QString& name) {
  window->raise();
  window->activateWindow();
  QTest::qWait(300);
  const QString path = QDir(folder).filePath(name);
  if (!window->grab().save(path)) {
    std::fprintf(stderr, "qorv-screenshots: cannot write %s\n", qPrintable(path));
    return false;
  }
  std::printf("%s\n", qPrintable(path));
  return true;
}

/// Runs `open`, which shows a modal dialog, and saves the dialog's picture
/// once it is up, then closes it, so that `open` returns.
bool saveModal(const std::function<void()>& open, const QString& folder, const QString& name) {
  bool saved = false;
  // A file dialog comes up only once it has read its folder: watch for it.
  QTimer watch;
  watch.setInterval(50);
  QObject::connect(&watch, &QTimer::timeout, [&] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!dialog) return;
    watch.stop();
    saved = save(dialog, folder, name);
    dialog->reject();
  });
  watch.start();
  open();
  watch.stop();
  return saved;
}

}  // namespace

int main(int argc, char** argv) {
  qorv::Application app(argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: qorv-screenshots OUTPUT_FOLDER SITE_FOLDER\n");
    return 2;
  }
  const QString output = QString::fromLocal8Bit(argv[1]);
  const QString site = QDir(QString::fromLocal8Bit(argv[2])).absolutePath();
  QDir().mkpath(output);

  QTemporaryDir settings;
  qorv::AppContext& context = app.context();
  context.settingsFolder = QDir(settings.path()).absolutePath().toStdString() + "/";
  context.services.showMessage = [](QWidget*, const QString& text) {
    std::printf("message: %s\n", qPrintable(text));
  };

  qorv::MainWindow window(context);
  window.show();
  if (!QTest::qWaitForWindowExposed(&window)) return 1;
  const auto part = [&window](const char* name) {
    return window.findChild<QObject*>(QString::fromLatin1(name));
  };
  const auto trigger = [&part](const char* action) {
    if (auto* found = qobject_cast<QAction*>(part(action))) found->trigger();
  };

  qobject_cast<QLineEdit*>(part("m_folderEdit"))->setText(site);
  qobject_cast<QLineEdit*>(part("m_urlEdit"))->setText(QStringLiteral("https://www.example.com/"));
  qobject_cast<QPushButton*>(part("m_scanButton"))->click();
  // Some rows ticked, one selected, as in daily use.
  trigger("m_contextIncludeAllAction");
  auto* list = qobject_cast<QTreeView*>(part("m_pageListView"));
  QAbstractItemModel* model = list->model();
  for (const int row : {3, 4, 7})
    model->setData(model->index(row, 0), Qt::Unchecked, Qt::CheckStateRole);
  list->setCurrentIndex(model->index(2, 0));
  bool saved = save(&window, output, QStringLiteral("main-window.png"));
  saved &=
      saveModal([&] { trigger("m_editPageAction"); }, output, QStringLiteral("edit-dialog.png"));
  saved &= saveModal([&] { trigger("m_settingsAction"); }, output,
                     QStringLiteral("settings-dialog.png"));
  saved &= saveModal([&] { trigger("m_searchEngineAction"); }, output,
                     QStringLiteral("search-engines-dialog.png"));
  saved &= saveModal([&] { trigger("m_aboutAction"); }, output, QStringLiteral("about-box.png"));
  // The project save dialog, Qt's own in Slovak, on the settings folder where
  // it starts, with a project in it.
  QFile project(QDir(settings.path()).filePath(QStringLiteral("www.example.com.prj")));
  if (project.open(QIODevice::WriteOnly)) project.write("[Project]\r\n");
  project.close();
  saved &=
      saveModal([&] { trigger("m_saveProjectAction"); }, output, QStringLiteral("save-dialog.png"));

  // The main window once more on a dark desktop theme: the list and the
  // window as the tests set them, the window's texts and buttons to match.
  QPalette dark = QApplication::palette();
  dark.setColor(QPalette::Base, QColor(0x2b, 0x2b, 0x2b));
  dark.setColor(QPalette::Text, QColor(0xe0, 0xe0, 0xe0));
  dark.setColor(QPalette::Window, QColor(0x35, 0x35, 0x35));
  dark.setColor(QPalette::WindowText, QColor(0xe0, 0xe0, 0xe0));
  dark.setColor(QPalette::Button, QColor(0x35, 0x35, 0x35));
  dark.setColor(QPalette::ButtonText, QColor(0xe0, 0xe0, 0xe0));
  QApplication::setPalette(dark);
  saved &= save(&window, output, QStringLiteral("main-window-dark.png"));

  return saved ? 0 : 1;
}
