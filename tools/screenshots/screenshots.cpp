// Takes pictures of the windows as a user sees them, for the README and for
// a look at texts, fonts and layout:
//
//   qorv-screenshots OUTPUT_FOLDER SITE_FOLDER
//
// Run it under a real window system; scripts/screenshots does so with Xvfb.

#include <QAbstractItemModel>
#include <QAction>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <cstdio>

#include <QTimer>
#include <functional>

#include "ui/About.h"
#include "ui/Edit.h"
#include "ui/Settings.h"
#include "ui/Unit1.h"
#include "ui/qorvapp.h"
#include "ui/qorvshell.h"

namespace {

bool Save(QWidget* window, const QString& folder, const QString& name) {
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
/// once it is up, then closes it.
bool SaveModal(const std::function<void()>& open, const QString& folder, const QString& name) {
  bool saved = false;
  QTimer::singleShot(0, [&] {
    QWidget* dialog = QApplication::activeModalWidget();
    if (!dialog) return;
    saved = Save(dialog, folder, name);
    dialog->close();
  });
  open();
  return saved;
}

}  // namespace

int main(int argc, char** argv) {
  qorv::TQorvApplication app(argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: qorv-screenshots OUTPUT_FOLDER SITE_FOLDER\n");
    return 2;
  }
  const QString output = QString::fromLocal8Bit(argv[1]);
  const QString site = QDir(QString::fromLocal8Bit(argv[2])).absolutePath();
  QDir().mkpath(output);

  QTemporaryDir settings;
  qorv::TQorvContext& context = app.Context();
  context.SettingsFolder = QDir(settings.path()).absolutePath().toStdString() + "/";
  context.Services.ShowMessage = [](QWidget*, const QString& text) {
    std::printf("message: %s\n", qPrintable(text));
  };

  qorv::CreateWindows(app);
  qorv::TForm1* form = qorv::Form1;
  form->show();
  if (!QTest::qWaitForWindowExposed(form)) return 1;

  form->BrowseEdit1->setText(site);
  form->Edit1->setText(QStringLiteral("https://www.example.com/"));
  form->Button1->click();
  // Some rows ticked, one selected, as in daily use.
  form->Oznaivetko1->trigger();
  QAbstractItemModel* model = form->ListView1->model();
  for (const int row : {3, 4, 7})
    model->setData(model->index(row, 0), Qt::Unchecked, Qt::CheckStateRole);
  form->ListView1->setCurrentIndex(model->index(2, 0));
  bool saved = Save(form, output, QStringLiteral("main-window.png"));
  saved &=
      SaveModal([form] { form->ListView1DblClick(); }, output, QStringLiteral("edit-dialog.png"));
  saved &= SaveModal([form] { form->Nastaveniegenertora1Click(); }, output,
                     QStringLiteral("settings-dialog.png"));
  saved &= SaveModal([form] { form->OprogrameClick(); }, output, QStringLiteral("about-box.png"));

  qorv::DestroyWindows();
  return saved ? 0 : 1;
}
