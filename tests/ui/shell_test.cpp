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
using test::currentEnvironment;

namespace {

/// An object whose event handler fails, as any window's might.
class FailingObject : public QObject {
 public:
  bool event(QEvent* event) override {
    if (event->type() == QEvent::User) throw ConvertError("'x' is not a valid date");
    return QObject::event(event);
  }
};

std::string errorLogText() { return test::readFile(currentEnvironment->settings / "error.log"); }

}  // namespace

class ShellTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    currentEnvironment->messages.clear();
    std::remove((currentEnvironment->settings / "error.log").c_str());
  }

  void windowsAreCreatedOnceInTheirOrderWithTheDialogsHidden() {
    createWindows(currentEnvironment->app);
    QVERIFY(Form1 && AboutBox && SetBox && EditBox);
    QList<QDialog*> dialogs = Form1->findChildren<QDialog*>(Qt::FindDirectChildrenOnly);
    QCOMPARE(dialogs, (QList<QDialog*>{AboutBox, SetBox, EditBox}));
    for (QDialog* dialog : dialogs) QVERIFY(!dialog->isVisible());
    QCOMPARE(AboutBox->windowTitle(), QStringLiteral("O programe"));
    QCOMPARE(SetBox->windowTitle(), QStringLiteral("Nastavenie"));
    QCOMPARE(EditBox->windowTitle(), QStringLiteral("Editácia"));
    destroyWindows();
  }

  void captionWithoutAVersionEndsInABlank() {
    const auto version = currentEnvironment->app.context().version;
    currentEnvironment->app.context().version.reset();
    createWindows(currentEnvironment->app);
    QCOMPARE(Form1->windowTitle(), QStringLiteral("Quorvex "));
    destroyWindows();
    currentEnvironment->app.context().version = version;
  }

  void errorInAnEventHandlerIsLoggedAndShown() {
    FailingObject failing;
    QEvent event(QEvent::User);
    QCoreApplication::sendEvent(&failing, &event);
    QCOMPARE(currentEnvironment->messages,
             QStringList{QStringLiteral("V programe došlo k nečakanej chybe.")});
    const std::string log = errorLogText();
    QVERIFY2(log.size() > 2 && log.substr(log.size() - 2) == "\r\n", log.c_str());
    QVERIFY2(log.find(" : EConvertError - 'x' is not a valid date\r\n") != std::string::npos,
             log.c_str());
  }

  void errorInASlotConnectedToASignalReachesTheHandlerToo() {
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &timer,
                     guarded([] { throw std::runtime_error("slot failed"); }));
    timer.start(0);
    QTRY_COMPARE(currentEnvironment->messages.size(), 1);
    QVERIFY(errorLogText().find(" : Exception - slot failed\r\n") != std::string::npos);
  }

  void eachErrorAppendsOneLine() {
    FailingObject failing;
    QEvent event(QEvent::User);
    QCoreApplication::sendEvent(&failing, &event);
    const std::string first = errorLogText();
    QCoreApplication::sendEvent(&failing, &event);
    const std::string both = errorLogText();
    QCOMPARE(both.substr(0, first.size()), first);
    QCOMPARE(std::count(both.begin(), both.end(), '\n'), 2);
  }

  void unwritableLogStillShowsTheMessage() {
    currentEnvironment->settings.makeDir("error.log");
    FailingObject failing;
    QEvent event(QEvent::User);
    QCoreApplication::sendEvent(&failing, &event);
    QCOMPARE(currentEnvironment->messages.size(), 1);
    std::filesystem::remove(currentEnvironment->settings / "error.log");
  }

  void logLineLeavesTheTimeOutAtMidnight() {
    const LocaleFormats formats = test::dayFirstFormats();
    QCOMPARE(ErrorLog::line({{2006, 3, 5}, {0, 0, 0}}, formats, "EInOutError", "disk full"),
             std::string("5.3.2006 : EInOutError - disk full\r\n"));
    QCOMPARE(ErrorLog::line({{2006, 3, 5}, {0, 0, 1}}, formats, "E", ""),
             std::string("5.3.2006 0:00:01 : E - \r\n"));
  }
};

QORV_UI_TEST_MAIN(ShellTest)
#include "shell_test.moc"
