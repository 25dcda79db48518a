// The About box: the version line and the two links.

#include <QLabel>
#include <memory>

#include "tests/ui/uitestsupport.h"
#include "ui/aboutdialog.h"
#include "ui/linklabel.h"

using namespace qorv;
using test::currentEnvironment;
using test::whileModal;

class AboutDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { currentEnvironment->openedUrls.clear(); }

  void showsAllFourVersionParts_data() {
    QTest::addColumn<int>("major");
    QTest::addColumn<int>("minor");
    QTest::addColumn<int>("release");
    QTest::addColumn<int>("build");
    QTest::addColumn<QString>("line");
    QTest::newRow("1.2.3.4") << 1 << 2 << 3 << 4 << "Verzia 1.2.3.4";
    QTest::newRow("0.12.0.345") << 0 << 12 << 0 << 345 << "Verzia 0.12.0.345";
  }

  void showsAllFourVersionParts() {
    QFETCH(int, major);
    QFETCH(int, minor);
    QFETCH(int, release);
    QFETCH(int, build);
    QFETCH(QString, line);
    AboutDialog dialog(ProductVersion{major, minor, release, build},
                       currentEnvironment->app.context().services, nullptr);
    QCOMPARE(test::part<QLabel>(&dialog, "m_versionLabel")->text(), line);
  }

  void linksOpenOnTheDesktopAndTheBoxStaysOpen() {
    AboutDialog dialog(ProductVersion{1, 2, 3, 4}, currentEnvironment->app.context().services,
                       nullptr);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("O programe"));
    QCOMPARE(test::part<QLabel>(&dialog, "m_productNameLabel")->text(), QStringLiteral("Quorvex"));
    QCOMPARE(test::part<QLabel>(&dialog, "m_freewareLabel")->text(), QStringLiteral("Freeware"));
    LinkLabel* mail = test::part<LinkLabel>(&dialog, "m_mailLink");
    LinkLabel* web = test::part<LinkLabel>(&dialog, "m_webLink");
    QCOMPARE(mail->toolTip(), QStringLiteral("mailto:") + kMakerMail);
    QCOMPARE(web->toolTip(), kMakerWeb);
    QCOMPARE(mail->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    QCOMPARE(web->cursor().shape(), Qt::PointingHandCursor);
    bool openAfterClicks = false;
    whileModal([&] { dialog.exec(); },
               [&](QDialog* shown) {
                 QTest::mouseClick(mail, Qt::LeftButton);
                 QTest::mouseClick(mail, Qt::LeftButton);
                 QTest::mouseClick(web, Qt::LeftButton);
                 QTest::keyClick(shown, Qt::Key_Escape);
                 openAfterClicks = shown->isVisible();
               });
    QVERIFY(openAfterClicks);
    QCOMPARE(currentEnvironment->openedUrls,
             (QStringList{QStringLiteral("mailto:") + kMakerMail,
                          QStringLiteral("mailto:") + kMakerMail, kMakerWeb}));
  }
};

QORV_UI_TEST_MAIN(AboutDialogTest)
#include "aboutdialog_test.moc"
