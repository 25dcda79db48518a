// Colours that can be read: WCAG's contrast ratio, and the site map list and
// the About box's links on a light and on a dark desktop theme.

#include <QApplication>
#include <QDialog>
#include <QPainter>
#include <QPalette>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleFactory>
#include <QStyleOptionButton>
#include <QTreeView>
#include <memory>

#include "tests/ui/uitestsupport.h"
#include "ui/contrast.h"
#include "ui/linklabel.h"
#include "ui/mainwindow.h"
#include "ui/pagelistmodel.h"

using namespace qorv;
using test::currentEnvironment;

namespace {

/// A dark theme as a desktop sets it: the list's background, its text and
/// the windows' background.
QPalette darkPalette(QPalette palette) {
  palette.setColor(QPalette::Base, QColor(0x2b, 0x2b, 0x2b));
  palette.setColor(QPalette::Text, QColor(0xe0, 0xe0, 0xe0));
  palette.setColor(QPalette::Window, QColor(0x35, 0x35, 0x35));
  return palette;
}

/// The desktop changes its theme: the windows hear of it on the next pass
/// of the event loop.
void changeTheme(const QPalette& palette) {
  QApplication::setPalette(palette);
  QCoreApplication::processEvents();
}

/// An unticked check box as `style` draws it on the list's background.
QImage untickedBox(const QStyle* style, const QPalette& palette) {
  QImage image(16, 16, QImage::Format_RGB32);
  image.fill(palette.color(QPalette::Base));
  QStyleOptionButton box;
  box.rect = QRect(1, 1, 13, 13);
  box.state = QStyle::State_Enabled | QStyle::State_Off;
  box.palette = palette;
  QPainter painter(&image);
  style->drawPrimitive(QStyle::PE_IndicatorCheckBox, &box, &painter, nullptr);
  return image;
}

double strongestContrast(const QImage& image, const QColor& background) {
  double strongest = 1;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      strongest = std::max(strongest, contrastRatio(image.pixelColor(x, y), background));
  return strongest;
}

}  // namespace

class ContrastTest : public QObject {
  Q_OBJECT

 private:
  QPalette m_lightPalette;
  std::unique_ptr<MainWindow> m_window;

  QColor rowColour(int row) const {
    const QAbstractItemModel* model =
        test::part<QTreeView>(m_window.get(), "m_pageListView")->model();
    return model->index(row, 0).data(Qt::ForegroundRole).value<QBrush>().color();
  }

  QColor linkColour(const char* name) const {
    auto* about = m_window->findChild<QDialog*>(QStringLiteral("aboutDialog"));
    return test::part<LinkLabel>(about, name)->palette().color(QPalette::WindowText);
  }

 private slots:
  void initTestCase() { m_lightPalette = QApplication::palette(); }

  void init() {
    m_window = std::make_unique<MainWindow>(currentEnvironment->app.context());
    m_window->pages().add("http://s/", "5.3.2006", "9:05:06", "daily", "0.5");
    m_window->pages().add("http://s/a.htm", "5.3.2006", "9:05:06", "none", "none");
    m_window->pages().setIncluded(1, true);
    qobject_cast<PageListModel*>(test::part<QTreeView>(m_window.get(), "m_pageListView")->model())
        ->flush();
  }

  void cleanup() {
    m_window.reset();
    changeTheme(m_lightPalette);
  }

  void contrastRatioIsWcags_data() {
    QTest::addColumn<QColor>("first");
    QTest::addColumn<QColor>("second");
    QTest::addColumn<double>("ratio");
    QTest::newRow("black on white") << QColor(Qt::black) << QColor(Qt::white) << 21.0;
    QTest::newRow("white on black") << QColor(Qt::white) << QColor(Qt::black) << 21.0;
    QTest::newRow("red on white") << QColor(255, 0, 0) << QColor(Qt::white) << 3.998;
    QTest::newRow("blue on white") << QColor(0, 0, 255) << QColor(Qt::white) << 8.592;
    QTest::newRow("mid grey on white") << QColor(0x77, 0x77, 0x77) << QColor(Qt::white) << 4.478;
    QTest::newRow("one colour") << QColor(0x2b, 0x2b, 0x2b) << QColor(0x2b, 0x2b, 0x2b) << 1.0;
  }

  void contrastRatioIsWcags() {
    QFETCH(QColor, first);
    QFETCH(QColor, second);
    QFETCH(double, ratio);
    QVERIFY2(qAbs(contrastRatio(first, second) - ratio) < 0.001,
             qPrintable(QString::number(contrastRatio(first, second))));
  }

  void readableColoursKeepWhatIsReadableAndMendTheRest_data() {
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<QColor>("background");
    QTest::addColumn<bool>("kept");
    QTest::newRow("red on the dark list") << QColor(255, 0, 0) << QColor(0x2b, 0x2b, 0x2b) << false;
    QTest::newRow("blue on a dark window")
        << QColor(0, 0, 255) << QColor(0x35, 0x35, 0x35) << false;
    QTest::newRow("light blue on a dark window")
        << QColor(0x8a, 0xb4, 0xf8) << QColor(0x35, 0x35, 0x35) << true;
    // Where neither white nor black is far off, the way to black is taken.
    QTest::newRow("red on mid grey") << QColor(255, 0, 0) << QColor(0x80, 0x80, 0x80) << false;
    QTest::newRow("red on black") << QColor(255, 0, 0) << QColor(Qt::black) << true;
  }

  void readableColoursKeepWhatIsReadableAndMendTheRest() {
    QFETCH(QColor, colour);
    QFETCH(QColor, background);
    QFETCH(bool, kept);
    const QColor readable = readableOn(colour, background);
    QVERIFY2(contrastRatio(readable, background) >= 4.5, qPrintable(readable.name()));
    QCOMPARE(readable == colour, kept);
    // Still recognisably the colour it was: the same hue.
    if (!kept && colour.hue() >= 0) QVERIFY(qAbs(readable.hue() - colour.hue()) <= 2);
  }

  void aLightThemeKeepsTheDesignedColours() {
    QVERIFY(!isDarkBackground(QApplication::palette().color(QPalette::Base)));
    QCOMPARE(rowColour(0), QColor(0, 0, 0));
    QCOMPARE(rowColour(1), QColor(255, 0, 0));
    QCOMPARE(linkColour("m_mailLink"), QColor(0, 0, 255));
    QCOMPARE(linkColour("m_webLink"), QColor(0, 0, 255));
  }

  void aDarkThemeGetsReadableRowsAndLinksAndBack() {
    auto* view = test::part<QTreeView>(m_window.get(), "m_pageListView");
    QSignalSpy repainted(view->model(), &QAbstractItemModel::dataChanged);
    changeTheme(darkPalette(m_lightPalette));
    QVERIFY(!repainted.isEmpty());
    const QColor list = view->palette().color(QPalette::Base);
    QCOMPARE(list, QColor(0x2b, 0x2b, 0x2b));
    QCOMPARE(rowColour(0), QColor(0xe0, 0xe0, 0xe0));
    const QColor ticked = rowColour(1);
    QVERIFY2(contrastRatio(ticked, list) >= 4.5, qPrintable(ticked.name()));
    QVERIFY2(ticked.red() > 2 * ticked.green() && ticked.green() == ticked.blue(),
             qPrintable(ticked.name()));
    for (const char* link : {"m_mailLink", "m_webLink"})
      QVERIFY2(contrastRatio(linkColour(link), QColor(0x35, 0x35, 0x35)) >= 4.5,
               qPrintable(linkColour(link).name()));

    changeTheme(m_lightPalette);
    QCOMPARE(rowColour(0), QColor(0, 0, 0));
    QCOMPARE(rowColour(1), QColor(255, 0, 0));
    QCOMPARE(linkColour("m_webLink"), QColor(0, 0, 255));
  }

  void checkBoxesShowOnADarkThemeAndStayAsTheyWereOnALightOne() {
    const QStyle* program = QApplication::style();
    const std::unique_ptr<QStyle> platform(QStyleFactory::create(QStringLiteral("fusion")));
    QCOMPARE(untickedBox(program, m_lightPalette), untickedBox(platform.get(), m_lightPalette));
    const QPalette dark = darkPalette(m_lightPalette);
    // The outline of a control needs 3:1 (WCAG's contrast of non-text parts).
    const double shown = strongestContrast(untickedBox(program, dark), dark.color(QPalette::Base));
    QVERIFY2(shown >= 3, qPrintable(QString::number(shown)));
  }

  void aDarkThemeAtStartUpTakesTheThemesReadableLinkColour() {
    m_window.reset();
    QPalette dark = darkPalette(m_lightPalette);
    dark.setColor(QPalette::Link, QColor(0x8a, 0xb4, 0xf8));
    changeTheme(dark);
    init();
    QCOMPARE(linkColour("m_mailLink"), QColor(0x8a, 0xb4, 0xf8));
    QCOMPARE(rowColour(0), QColor(0xe0, 0xe0, 0xe0));
  }
};

QORV_UI_TEST_MAIN(ContrastTest)
#include "contrast_test.moc"
