// The application shell: the four windows, the caption, and the one
// handler that every unexpected error reaches.

#include <QDialog>
#include <QTimer>
#include <filesystem>
#include <stdexcept>

#include "core/errors.h"
#include "tests/ui/uitestsupport.h"
#include "ui/About.h"
#include "ui/Edit.h"
#include "ui/Settings.h"
#include "ui/Unit1.h"
#include "ui/errorlog.h"
#include "ui/qorvshell.h"

using namespace qorv;
using test::Environment;

namespace {

/// An object whose event handler fails, as any window's might.
class TFailingObject : public QObject {
 public:
  bool event(QEvent* event) override {
    if (event->type() == QEvent::User) throw EConvertError("'x' is not a valid date");
    return QObject::event(event);
  }
};

std::string Log() { return test::ReadFile(Environment->Settings / "error.log"); }

}  // namespace

class ShellTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    Environment->Messages.clear();
    std::remove((Environment->Settings / "error.log").c_str());
  }

  void windowsAreCreatedOnceInTheirOrderWithTheDialogsHidden() {
    CreateWindows(Environment->App);
    QVERIFY(Form1 && AboutBox && SetBox && EditBox);
    QList<QDialog*> dialogs = Form1->findChildren<QDialog*>(Qt::FindDirectChildrenOnly);
    QCOMPARE(dialogs, (QList<QDialog*>{AboutBox, SetBox, EditBox}));
    for (QDialog* dialog : dialogs) QVERIFY(!dialog->isVisible());
    QCOMPARE(AboutBox->windowTitle(), QStringLiteral("O programe"));
    QCOMPARE(SetBox->windowTitle(), QStringLiteral("Nastavenie"));
    QCOMPARE(EditBox->windowTitle(), QStringLiteral("Editácia"));
    DestroyWindows();
  }

  void captionWithoutAVersionEndsInABlank() {
    const auto version = Environment->App.Context().Version;
    Environment->App.Context().Version.reset();
    CreateWindows(Environment->App);
    QCOMPARE(Form1->windowTitle(), QStringLiteral("Quorvex "));
    DestroyWindows();
    Environment->App.Context().Version = version;
  }

  void errorInAnEventHandlerIsLoggedAndShown() {
    TFailingObject failing;
    QEvent event(QEvent::User);
    QCoreApplication::sendEvent(&failing, &event);
    QCOMPARE(Environment->Messages,
             QStringList{QStringLiteral("V programe došlo k nečakanej chybe.")});
    const std::string log = Log();
    QVERIFY2(log.size() > 2 && log.substr(log.size() - 2) == "\r\n", log.c_str());
    QVERIFY2(log.find(" : EConvertError - 'x' is not a valid date\r\n") != std::string::npos,
             log.c_str());
  }

  void errorInASlotConnectedToASignalReachesTheHandlerToo() {
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &timer,
                     Guarded([] { throw std::runtime_error("slot failed"); }));
    timer.start(0);
    QTRY_COMPARE(Environment->Messages.size(), 1);
    QVERIFY(Log().find(" : Exception - slot failed\r\n") != std::string::npos);
  }

  void eachErrorAppendsOneLine() {
    TFailingObject failing;
    QEvent event(QEvent::User);
    QCoreApplication::sendEvent(&failing, &event);
    const std::string first = Log();
    QCoreApplication::sendEvent(&failing, &event);
    const std::string both = Log();
    QCOMPARE(both.substr(0, first.size()), first);
    QCOMPARE(std::count(both.begin(), both.end(), '\n'), 2);
  }

  void unwritableLogStillShowsTheMessage() {
    Environment->Settings.MakeDir("error.log");
    TFailingObject failing;
    QEvent event(QEvent::User);
    QCoreApplication::sendEvent(&failing, &event);
    QCOMPARE(Environment->Messages.size(), 1);
    std::filesystem::remove(Environment->Settings / "error.log");
  }

  void logLineLeavesTheTimeOutAtMidnight() {
    const TLocaleFormats formats = test::DayFirstFormats();
    QCOMPARE(TErrorLog::Line({{2006, 3, 5}, {0, 0, 0}}, formats, "EInOutError", "disk full"),
             std::string("5.3.2006 : EInOutError - disk full\r\n"));
    QCOMPARE(TErrorLog::Line({{2006, 3, 5}, {0, 0, 1}}, formats, "E", ""),
             std::string("5.3.2006 0:00:01 : E - \r\n"));
  }
};

QORV_UI_TEST_MAIN(ShellTest)
#include "shell_test.moc"
