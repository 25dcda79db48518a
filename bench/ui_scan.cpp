// A scan through the main window, headless: the button, the page list model
// and the list view, on a given tree. Prints the time the scan took and how
// much the process grew for it.
//
//   QT_QPA_PLATFORM=offscreen ui_scan TREE URL

#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

#include "bench/procstatus.h"

#include "ui/application.h"
#include "ui/mainwindow.h"

using qorv::bench::resetPeak;
using qorv::bench::statusKiB;

int main(int argc, char** argv) {
  qorv::Application app(argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: ui_scan TREE URL\n");
    return 2;
  }
  QTemporaryDir settings;
  app.context().settingsFolder = settings.path().toStdString() + "/";
  app.context().services.showMessage = [](QWidget*, const QString&) {};
  qorv::MainWindow window(app.context());
  window.show();
  if (!QTest::qWaitForWindowExposed(&window)) return 1;
  window.findChild<QLineEdit*>(QStringLiteral("m_folderEdit"))
      ->setText(QString::fromLocal8Bit(argv[1]));
  window.findChild<QLineEdit*>(QStringLiteral("m_urlEdit"))
      ->setText(QString::fromLocal8Bit(argv[2]));
  auto* scanButton = window.findChild<QPushButton*>(QStringLiteral("m_scanButton"));
  QCoreApplication::processEvents();

  resetPeak();
  const long before = statusKiB("VmRSS:");
  const auto start = std::chrono::steady_clock::now();
  scanButton->click();
  QCoreApplication::processEvents();  // the list shows the last rows
  const auto took = std::chrono::steady_clock::now() - start;
  const long peak = statusKiB("VmHWM:");

  std::printf(
      "rows %zu scan_ms %lld growth_kib %ld\n", window.pages().size(),
      static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(took).count()),
      peak - before);
  return 0;
}
