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

#include "ui/Unit1.h"
#include "ui/qorvapp.h"
#include "ui/qorvshell.h"

using qorv::bench::ResetPeak;
using qorv::bench::StatusKiB;

int main(int argc, char** argv) {
  qorv::TQorvApplication app(argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: ui_scan TREE URL\n");
    return 2;
  }
  QTemporaryDir settings;
  app.Context().SettingsFolder = settings.path().toStdString() + "/";
  app.Context().Services.ShowMessage = [](QWidget*, const QString&) {};
  qorv::CreateWindows(app);
  qorv::Form1->show();
  if (!QTest::qWaitForWindowExposed(qorv::Form1)) return 1;
  qorv::Form1->BrowseEdit1->setText(QString::fromLocal8Bit(argv[1]));
  qorv::Form1->Edit1->setText(QString::fromLocal8Bit(argv[2]));
  QCoreApplication::processEvents();

  ResetPeak();
  const long before = StatusKiB("VmRSS:");
  const auto start = std::chrono::steady_clock::now();
  qorv::Form1->Button1->click();
  QCoreApplication::processEvents();  // the list shows the last rows
  const auto took = std::chrono::steady_clock::now() - start;
  const long peak = StatusKiB("VmHWM:");

  std::printf(
      "rows %zu scan_ms %lld growth_kib %ld\n", qorv::Form1->Pages().Count(),
      static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(took).count()),
      peak - before);
  qorv::DestroyWindows();
  return 0;
}
