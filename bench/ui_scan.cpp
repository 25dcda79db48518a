// A scan through the main window, headless: the button, the page list model
// and the list view, on a given tree. Prints the time the scan took, how much
// the process grew for it, the longest time the window went without
// processing events while it scanned, and then how long ticking every row
// ("Vybrať všetky") and scrolling to the last row took, each from the command
// to the next processed event.
//
//   QT_QPA_PLATFORM=offscreen ui_scan TREE URL

#include <QAction>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>

#include "bench/procstatus.h"

#include "ui/application.h"
#include "ui/mainwindow.h"

using qorv::bench::resetPeak;
using qorv::bench::statusKiB;

namespace {

using Clock = std::chrono::steady_clock;

long long millisecondsSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

/// Runs `command`, then events until a timer posted after it fires: the
/// time from the command to the next processed event, repaints included.
long long untilNextEvent(const std::function<void()>& command) {
  const Clock::time_point start = Clock::now();
  command();
  bool fired = false;
  QTimer::singleShot(0, [&fired] { fired = true; });
  while (!fired) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  return millisecondsSince(start);
}

}  // namespace

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
  auto* view = window.findChild<QTreeView*>(QStringLiteral("m_pageListView"));
  auto* includeAll = window.findChild<QAction*>(QStringLiteral("m_includeAllAction"));
  QCoreApplication::processEvents();

  // A timer that fires on every pass of the event loop: the gaps between its
  // firings are the times the window processed no events.
  QTimer beat;
  beat.setInterval(0);
  Clock::time_point lastBeat = Clock::now();
  long long longestGap = 0;
  QObject::connect(&beat, &QTimer::timeout, [&] {
    longestGap = std::max(longestGap, millisecondsSince(lastBeat));
    lastBeat = Clock::now();
  });

  resetPeak();
  const long before = statusKiB("VmRSS:");
  const Clock::time_point start = Clock::now();
  lastBeat = start;
  beat.start();
  scanButton->click();
  QCoreApplication::processEvents();  // the list shows the last rows
  longestGap = std::max(longestGap, millisecondsSince(lastBeat));
  beat.stop();
  const long long took = millisecondsSince(start);
  const long peak = statusKiB("VmHWM:");

  const long long tick = untilNextEvent([&] { includeAll->trigger(); });
  const long long scroll = untilNextEvent([&] {
    view->setFocus();
    QTest::keyClick(view, Qt::Key_End, Qt::ControlModifier);
  });

  std::printf("rows %zu scan_ms %lld growth_kib %ld gap_ms %lld tick_ms %lld scroll_ms %lld\n",
              window.pages().size(), took, peak - before, longestGap, tick, scroll);
  return 0;
}
