// The application: the main window with its three dialogs, the caption,
// and the one handler that every unexpected error reaches.

#include <QAbstractButton>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <filesystem>
#include <memory>
#include <stdexcept>

#include "core/errors.h"
#include "tests/ui/uitestsupport.h"
#include "ui/mainwindow.h"

using namespace qorv;
using test::currentEnvironment;

namespace {

/// An object whose event handler fails, as any window's might.
class FailingObject : public QObject {
  Q_OBJECT

 public:
  bool event(QEvent* event) override {
    if (event->type() == QEvent::User) throw ConvertError("'x' is not a valid date");
    return QObject::event(event);
  }
};

std::string errorLogText() { return test::readFile(currentEnvironment->settings / "error.log"); }

}  // namespace

class ApplicationTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    currentEnvironment->messages.clear();
    std::remove((currentEnvironment->settings / "error.log").c_str());
  }

  void windowsAreCreatedOnceInTheirOrderWithTheDialogsHidden() {
    MainWindow window(currentEnvironment->app.context());
    const QList<QDialog*> dialogs = window.findChildren<QDialog*>(Qt::FindDirectChildrenOnly);
    QStringList titles;
    for (QDialog* dialog : dialogs) {
      QVERIFY(!dialog->isVisible());
      titles << dialog->windowTitle();
    }
    QCOMPARE(titles, (QStringList{QStringLiteral("O programe"), QStringLiteral("Nastavenie"),
                                  QStringLiteral("Editácia"), QStringLiteral("Pre vyhľadávače"),
                                  QStringLiteral("Vynechané stránky")}));
  }

  void dialogsOfFixedSizeOfferNoMaximize() {
    MainWindow window(currentEnvironment->app.context());
    for (QDialog* dialog : window.findChildren<QDialog*>(Qt::FindDirectChildrenOnly)) {
      QVERIFY2(
          !(dialog->windowFlags() & (Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint)),
          qPrintable(dialog->objectName()));
      QVERIFY(dialog->windowFlags() & Qt::WindowCloseButtonHint);
      QCOMPARE(dialog->minimumSize(), dialog->maximumSize());
    }
  }

  void dialogButtonsHaveNoIconsMenusKeepTheirsAndFileDialogsAreQtsOwn() {
    QCOMPARE(QApplication::style()->styleHint(QStyle::SH_DialogButtonBox_ButtonsHaveIcons), 0);
    QDialogButtonBox buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    for (QAbstractButton* button : buttons.buttons()) QVERIFY(button->icon().isNull());
    QVERIFY(!QCoreApplication::testAttribute(Qt::AA_DontShowIconsInMenus));
    QVERIFY(QCoreApplication::testAttribute(Qt::AA_DontUseNativeDialogs));
  }

  void qtsOwnTextsAreSlovak() {
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!QFileInfo::exists(folder + QStringLiteral("/qtbase_sk.qm")))
      QSKIP("Qt's Slovak translation is not installed (qt6-translations-l10n)");
    QDialogButtonBox buttons(QDialogButtonBox::Cancel | QDialogButtonBox::Save);
    QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Zrušiť"));
    QCOMPARE(buttons.button(QDialogButtonBox::Save)->text(), QStringLiteral("Uložiť"));
    QLineEdit edit;
    const std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
    QStringList items;
    for (const QAction* action : menu->actions())
      if (!action->isSeparator()) items << action->text().section(QLatin1Char('\t'), 0, 0);
    QCOMPARE(items, (QStringList{QStringLiteral("&Späť"), QStringLiteral("Zn&ovu"),
                                 QStringLiteral("Vys&trihnúť"), QStringLiteral("&Kopírovať"),
                                 QStringLiteral("V&ložiť"), QStringLiteral("Odstrániť"),
                                 QStringLiteral("Vybrať všetko")}));
    QFileDialog save;
    save.setAcceptMode(QFileDialog::AcceptSave);
    QCOMPARE(save.windowTitle(), QStringLiteral("Uložiť ako"));
    QCOMPARE(QCoreApplication::translate("QFileDialog", "Find Directory"),
             QStringLiteral("Nájsť priečinok"));
  }

  void withoutATranslationQtsTextsStayAsTheyWere() {
    test::TempDir empty;
    const auto cancelText = [] {
      return QDialogButtonBox(QDialogButtonBox::Cancel).button(QDialogButtonBox::Cancel)->text();
    };
    const QString before = cancelText();
    QVERIFY(
        !currentEnvironment->app.installToolkitTranslation(QString::fromStdString(empty.path())));
    QCOMPARE(cancelText(), before);
  }

  void captionWithoutAVersionEndsInABlank() {
    const auto version = currentEnvironment->app.context().version;
    currentEnvironment->app.context().version.reset();
    {
      MainWindow window(currentEnvironment->app.context());
      QCOMPARE(window.windowTitle(), QStringLiteral("Quorvex "));
    }
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
                     guardedSlot(currentEnvironment->app.context().reportError,
                                 [] { throw std::runtime_error("slot failed"); }));
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
};

QORV_UI_TEST_MAIN(ApplicationTest)
#include "application_test.moc"
