// What a screen reader finds in the windows: a name on every control that
// takes the focus, set by the program and taken from the control's label,
// and the rows of the site map list with their texts and ticks.

#include <QAbstractSpinBox>
#include <QAccessible>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QTreeView>
#include <memory>

#include "tests/ui/uitestsupport.h"
#include "ui/aboutdialog.h"
#include "ui/controls.h"
#include "ui/linklabel.h"
#include "ui/mainwindow.h"
#include "ui/pagelistmodel.h"

using namespace qorv;
using test::currentEnvironment;

namespace {

struct OurWindow {
  const char* title;
  const char* objectName;
};

/// Every window of the program: the main window and each dialog it owns. A
/// new dialog gets its line here, and the test of its names follows.
constexpr OurWindow kWindows[] = {
    {"main window", "mainWindow"},
    {"settings", "settingsDialog"},
    {"search engines", "searchEngineDialog"},
    {"page edit", "pageEditDialog"},
    {"About box", "aboutDialog"},
    {"left-out pages", "leftOutDialog"},
};

QString accessibleName(QObject* object) {
  QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(object);
  return accessible ? accessible->text(QAccessible::Name) : QString();
}

/// The text field of a drop-down box or a picker is the toolkit's own part
/// of it: the box or picker holds the name.
bool isPartOfAQtControl(const QWidget* widget) {
  for (const QWidget* up = widget->parentWidget(); up; up = up->parentWidget())
    if (qobject_cast<const QComboBox*>(up) || qobject_cast<const QAbstractSpinBox*>(up))
      return true;
  return false;
}

/// On Linux Qt gives a drop-down box its value for a name and its label
/// through a relation, which screen readers there follow.
bool hasLabelRelation(QAccessibleInterface* accessible) {
  return !accessible->relations(QAccessible::Label).isEmpty();
}

/// The controls of `window` that take the focus.
QList<QWidget*> focusableControls(QWidget* window) {
  QList<QWidget*> controls;
  for (QWidget* control : window->findChildren<QWidget*>())
    if (control->window() == window && control->focusPolicy() != Qt::NoFocus &&
        control->isVisibleTo(window) && !isPartOfAQtControl(control))
      controls << control;
  return controls;
}

/// Whether the program named `control` and a screen reader hears a name.
bool isNamed(QWidget* control) {
  QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
  const bool heard = qobject_cast<QComboBox*>(control)
                         ? hasLabelRelation(accessible)
                         : !accessible->text(QAccessible::Name).isEmpty();
  return heard && !control->accessibleName().isEmpty();
}

}  // namespace

class AccessibilityTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<MainWindow> m_window;

  QWidget* ourWindow(const QString& objectName) const {
    if (m_window->objectName() == objectName) return m_window.get();
    return m_window->findChild<QDialog*>(objectName);
  }

 private slots:
  void init() {
    m_window = std::make_unique<MainWindow>(currentEnvironment->app.context());
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
  }

  void cleanup() { m_window.reset(); }

  void namesDropTheAccessKeyTheBlanksAndTheColon_data() {
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("name");
    QTest::newRow("final colon") << "Schéma:"
                                 << "Schéma";
    QTest::newRow("access key") << "&Vynechané stránky..."
                                << "Vynechané stránky...";
    QTest::newRow("doubled ampersand") << "Ťahy && &skoky:"
                                       << "Ťahy & skoky";
    QTest::newRow("group title") << " Url "
                                 << "Url";
    QTest::newRow("colon inside") << "tag \"priority\" (0:1)"
                                  << "tag \"priority\" (0:1)";
    QTest::newRow("quotes kept") << "tag \"changefreq\""
                                 << "tag \"changefreq\"";
  }

  void namesDropTheAccessKeyTheBlanksAndTheColon() {
    QFETCH(QString, caption);
    QFETCH(QString, name);
    QCOMPARE(accessibleNameFor(caption), name);
  }

  void everyFocusableControlIsNamed_data() {
    QTest::addColumn<QString>("window");
    for (const OurWindow& window : kWindows)
      QTest::newRow(window.title) << QString::fromLatin1(window.objectName);
  }

  void everyFocusableControlIsNamed() {
    QFETCH(QString, window);
    QWidget* shown = ourWindow(window);
    QVERIFY(shown);
    const QList<QWidget*> controls = focusableControls(shown);
    QVERIFY(!controls.isEmpty());
    QStringList unnamed;
    for (QWidget* control : controls)
      if (!isNamed(control))
        unnamed << QStringLiteral("%1 (%2)").arg(control->objectName(),
                                                 QLatin1String(control->metaObject()->className()));
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(QStringLiteral(", "))));
  }

  void everyDialogOfTheMainWindowIsAmongTheCheckedWindows() {
    for (const QDialog* dialog : m_window->findChildren<QDialog*>()) {
      bool listed = false;
      for (const OurWindow& window : kWindows)
        listed |= dialog->objectName() == QLatin1String(window.objectName);
      QVERIFY2(listed, qPrintable(dialog->objectName()));
    }
  }

  void controlsAreNamedAfterTheirLabels_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("label");  // the buddy label; empty: none
    QTest::addColumn<QString>("name");
    const auto row = [](const char* window, const char* control, const char* label,
                        const char* name) {
      QTest::addRow("%s %s", window, control)
          << QString::fromLatin1(window) << QString::fromLatin1(control)
          << QString::fromLatin1(label) << QString::fromUtf8(name);
    };
    row("mainWindow", "m_folderEdit", "m_folderLabel", "Lokálny adresár webu");
    row("mainWindow", "m_browseButton", "", "Vybrať priečinok");
    row("mainWindow", "m_urlEdit", "m_urlLabel", "Url webu");
    row("mainWindow", "m_scanButton", "", "Zobraziť mapu webu");
    row("mainWindow", "m_generateButton", "", "Generovať Tessaly");
    row("mainWindow", "m_pageListView", "m_pageListLabel", "Mapa webu");
    row("settingsDialog", "m_fileMaskEdit", "m_fileMaskLabel", "Maska súborov");
    row("settingsDialog", "m_indexFileEdit", "m_indexFileLabel", "Indexový súbor");
    row("settingsDialog", "m_rootChangefreqBox", "m_rootChangefreqLabel", "tag \"changefreq\"");
    row("settingsDialog", "m_rootPriorityBox", "m_rootPriorityLabel", "tag \"priority\"");
    row("settingsDialog", "m_otherChangefreqBox", "m_otherChangefreqLabel", "tag \"changefreq\"");
    row("settingsDialog", "m_otherPriorityBox", "m_otherPriorityLabel", "tag \"priority\"");
    row("settingsDialog", "m_shortLastmodRadio", "", "krátky");
    row("settingsDialog", "m_longLastmodRadio", "", "dlhý");
    row("settingsDialog", "m_timeZoneBox", "m_timeZoneLabel", "Časové pásmo");
    row("settingsDialog", "m_compactCheckBox", "", "Generovať úsporne (neodsadzovať tagy)");
    row("settingsDialog", "m_okButton", "", "OK");
    row("searchEngineDialog", "m_schemaBox", "m_schemaLabel", "Schéma");
    row("searchEngineDialog", "m_encodeNonAsciiCheckBox", "", "Kódovať písmená mimo ASCII (%XX)");
    row("searchEngineDialog", "m_dropExtensionCheckBox", "", "Bez prípony .html");
    row("searchEngineDialog", "m_hreflangCheckBox", "", "Jazykové verzie (hreflang)");
    row("searchEngineDialog", "m_stylesheetEdit", "m_stylesheetLabel", "Štýl (XSL)");
    row("searchEngineDialog", "m_writeStylesheetCheckBox", "", "Zapísať aj sitemap.xsl");
    row("searchEngineDialog", "m_obeyRobotsCheckBox", "", "Dodržať robots.txt");
    row("searchEngineDialog", "m_robotsAgentEdit", "m_robotsAgentLabel", "Robot");
    row("searchEngineDialog", "m_excludeEdit", "m_excludeLabel", "Vylúčiť cesty");
    row("searchEngineDialog", "m_skipNoindexCheckBox", "", "Stránky s noindex");
    row("searchEngineDialog", "m_skipRedirectsCheckBox", "", "Presmerovania (meta refresh)");
    row("searchEngineDialog", "m_useCanonicalCheckBox", "", "Použiť kanonickú adresu stránky");
    row("searchEngineDialog", "m_lastmodSourceBox", "", "Dátum zmeny");
    row("searchEngineDialog", "m_okButton", "", "OK");
    row("leftOutDialog", "m_leftOutView", "m_totalLabel", "Vynechané stránky");
    row("leftOutDialog", "m_returnLinksView", "m_returnLinksLabel",
        "Jazykové verzie bez spätného odkazu");
    row("leftOutDialog", "m_okButton", "", "OK");
    row("pageEditDialog", "m_dateEdit", "m_lastmodLabel", "lastmod dátum");
    row("pageEditDialog", "m_timeEdit", "", "lastmod čas");
    row("pageEditDialog", "m_changefreqBox", "m_changefreqLabel", "changefreq");
    row("pageEditDialog", "m_priorityBox", "m_priorityLabel", "priority");
    row("pageEditDialog", "m_okButton", "", "OK");
    row("pageEditDialog", "m_cancelButton", "", "Storno");
    row("pageEditDialog", "m_urlEdit", "", "Url");
    row("aboutDialog", "m_okButton", "", "OK");
    row("aboutDialog", "m_mailLink", "m_mailCaptionLabel", "e-mail");
    row("aboutDialog", "m_webLink", "m_webCaptionLabel", "www");
  }

  void controlsAreNamedAfterTheirLabels() {
    QFETCH(QString, window);
    QFETCH(QString, control);
    QFETCH(QString, label);
    QFETCH(QString, name);
    QWidget* shown = ourWindow(window);
    QVERIFY(shown);
    auto* named = test::part<QWidget>(shown, qPrintable(control));
    QCOMPARE(named->accessibleName(), name);
    if (qobject_cast<QComboBox*>(named))
      QVERIFY(hasLabelRelation(QAccessible::queryAccessibleInterface(named)));
    else
      QCOMPARE(accessibleName(named), name);
    if (!label.isEmpty()) QCOMPARE(test::part<QLabel>(shown, qPrintable(label))->buddy(), named);
  }

  void theLastmodSamplesDescribeTheirRadioButtons() {
    QDialog* settings = m_window->findChild<QDialog*>(QStringLiteral("settingsDialog"));
    QAccessibleInterface* longForm =
        QAccessible::queryAccessibleInterface(test::part<QWidget>(settings, "m_longLastmodRadio"));
    QCOMPARE(longForm->text(QAccessible::Description),
             QStringLiteral("(2005-12-31T12:00:00+00:00)"));
  }

  void rowsShowTheirTextsAndTicksToAScreenReader() {
    PageList& pages = m_window->pages();
    pages.add("http://s/", "5.3.2006", "9:05:06", "daily", "0.5");
    pages.add("http://s/a.htm", "6.3.2006", "10:00:00", "none", "none");
    auto* view = test::part<QTreeView>(m_window.get(), "m_pageListView");
    qobject_cast<PageListModel*>(view->model())->flush();
    QAccessibleTableInterface* table =
        QAccessible::queryAccessibleInterface(view)->tableInterface();
    QVERIFY(table);
    QTRY_COMPARE(table->rowCount(), 2);  // once the view has laid the rows out
    QCOMPARE(table->columnCount(), 5);
    const QStringList columns{QStringLiteral("Url"), QStringLiteral("Dátum"), QStringLiteral("Čas"),
                              QStringLiteral("Changefreq"), QStringLiteral("Priority")};
    const auto cells = [table](int row) {
      QStringList texts;
      for (int column = 0; column < table->columnCount(); ++column)
        texts << table->cellAt(row, column)->text(QAccessible::Name);
      return texts;
    };
    const auto ticked = [table](int row) {
      const QAccessible::State state = table->cellAt(row, 0)->state();
      if (!state.checkable) QTest::qFail("the tick is not shown", __FILE__, __LINE__);
      return bool(state.checked);
    };
    for (int column = 0; column < 5; ++column)
      QCOMPARE(table->columnDescription(column), columns[column]);
    QCOMPARE(cells(0), (QStringList{QStringLiteral("http://s/"), QStringLiteral("5.3.2006"),
                                    QStringLiteral("9:05:06"), QStringLiteral("daily"),
                                    QStringLiteral("0.5")}));
    QCOMPARE(ticked(0), false);
    QCOMPARE(ticked(1), false);

    pages.setIncluded(1, true);
    pages.setDetails(0, "7.3.2006", "11:12:13", "weekly", "0.8");
    QCOMPARE(ticked(1), true);
    QCOMPARE(ticked(0), false);
    QCOMPARE(cells(0), (QStringList{QStringLiteral("http://s/"), QStringLiteral("7.3.2006"),
                                    QStringLiteral("11:12:13"), QStringLiteral("weekly"),
                                    QStringLiteral("0.8")}));
    pages.invertIncluded();
    QCOMPARE(ticked(0), true);
    QCOMPARE(ticked(1), false);
  }

  void linksAreLinksThatAScreenReaderCanFollow() {
    currentEnvironment->openedUrls.clear();
    QDialog* about = m_window->findChild<QDialog*>(QStringLiteral("aboutDialog"));
    for (const char* name : {"m_mailLink", "m_webLink"}) {
      auto* link = test::part<LinkLabel>(about, name);
      QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(link);
      QCOMPARE(accessible->role(), QAccessible::Link);
      QVERIFY(accessible->state().focusable);
      QCOMPARE(accessible->text(QAccessible::Description), link->link());
      QAccessibleActionInterface* actions = accessible->actionInterface();
      QVERIFY(actions);
      QVERIFY(actions->actionNames().contains(QAccessibleActionInterface::pressAction()));
      actions->doAction(QAccessibleActionInterface::pressAction());
    }
    QCOMPARE(currentEnvironment->openedUrls,
             (QStringList{QStringLiteral("mailto:") + kMakerMail, kMakerWeb}));
  }
};

QORV_UI_TEST_MAIN(AccessibilityTest)
#include "accessibility_test.moc"
