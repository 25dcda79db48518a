#pragma once

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QString>
#include <QStringList>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <functional>

#include "tests/support/formats.h"
#include "tests/support/tempdir.h"
#include "ui/application.h"
#include "ui/vocabularybox.h"

namespace qorv::test {

/// The application for a GUI test: headless unless a platform was asked
/// for, its settings folder a fresh temporary one, and message boxes and
/// choosers replaced by recorders so that nothing blocks.
class UiTestEnvironment {
 public:
  explicit UiTestEnvironment(Application& application) : app(application) {
    AppContext& context = app.context();
    context.settingsFolder = settings.path();
    context.version = ProductVersion{1, 2, 3, 4};
    context.localeFormats = [this] { return formats; };
    context.services.showMessage = [this](QWidget*, const QString& text) { messages << text; };
    context.services.chooseFolder = [this](QWidget*, const QString& startFolder) {
      chooserFolders << startFolder;
      return chosenFolder;
    };
    context.services.openProjectName = [this](QWidget*, const QString& folder) {
      dialogFolders << folder;
      return chosenFile;
    };
    context.services.saveProjectName = context.services.openProjectName;
    context.services.openUrl = [this](const QUrl& url) { openedUrls << url.toString(); };
  }

  Application& app;
  TempDir settings;
  LocaleFormats formats = dayFirstFormats();
  QStringList messages;
  QString chosenFolder;
  QStringList chooserFolders;
  QString chosenFile;
  QStringList dialogFolders;
  QStringList openedUrls;
};

inline UiTestEnvironment* currentEnvironment = nullptr;

/// The part of `window` that the member `name` holds; fails the test when
/// there is none.
template <class Part>
Part* part(const QObject* window, const char* name) {
  Part* found = window->findChild<Part*>(QString::fromLatin1(name));
  if (!found)
    QTest::qFail(qPrintable(QStringLiteral("no part named ") + QLatin1String(name)), __FILE__,
                 __LINE__);
  return found;
}

/// Runs `open` (which shows a modal dialog) and, once the dialog is up,
/// `body` on it; the dialog is closed afterwards if `body` left it open.
inline void whileModal(const std::function<void()>& open,
                       const std::function<void(QDialog*)>& body) {
  QTimer::singleShot(0, [body] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!dialog) return;
    body(dialog);
    if (dialog->isVisible()) dialog->reject();
  });
  open();
}

/// Makes the shown `window` the active one, as a click on it would.
inline bool activate(QWidget* window) {
  // The headless platform does not activate a modal dialog by itself, nor
  // does an X server without a window manager activate any window.
  window->activateWindow();
  QApplication::setActiveWindow(window);
  return QTest::qWaitForWindowActive(window);
}

/// The control that has the keyboard focus; a box or picker counts for its
/// text field.
inline QWidget* focusedControl() {
  QWidget* focus = QApplication::focusWidget();
  if (focus && focus->parentWidget() &&
      (qobject_cast<QComboBox*>(focus->parentWidget()) ||
       qobject_cast<QAbstractSpinBox*>(focus->parentWidget())))
    focus = focus->parentWidget();
  return focus;
}

/// Gives `control` the focus in its shown window, made active, so that keys
/// reach it as the keyboard's would; false when it cannot take the focus.
inline bool focusInActiveWindow(QWidget* control) {
  if (!activate(control->window())) return false;
  control->setFocus(Qt::OtherFocusReason);
  return control->hasFocus();
}

/// Presses `keys` one after the other on the widget that has the focus:
/// "⌫" is Backspace, "⌦" Delete, "⇤" Home, any other character its key.
inline void pressKeys(const QString& keys) {
  for (const QChar key : keys) {
    QWidget* focus = QApplication::focusWidget();
    if (!focus) {
      QTest::qFail("no widget has the focus", __FILE__, __LINE__);
      return;
    }
    if (key == u'⌫')
      QTest::keyClick(focus, Qt::Key_Backspace);
    else if (key == u'⌦')
      QTest::keyClick(focus, Qt::Key_Delete);
    else if (key == u'⇤')
      QTest::keyClick(focus, Qt::Key_Home);
    else
      QTest::keyClicks(focus, QString(key));
  }
}

/// Empties `box` and types `keys` into it, through its own key handling.
inline void typeKeys(VocabularyBox* box, const QString& keys) {
  box->setFocus();
  box->lineEdit()->clear();
  QTest::keyClicks(box->lineEdit(), keys);
}

/// What a vocabulary box shows: its text, its chosen entry's index, and the
/// completed rest that is highlighted.
struct BoxState {
  QString text;
  int index = -2;
  QString highlighted;
};

/// Empties `box` in its shown window, presses `keys` into it (see
/// pressKeys) and reads what it then shows.
inline BoxState pressKeysInto(VocabularyBox* box, const QString& keys) {
  box->showChoice("", -1);
  if (!focusInActiveWindow(box)) {
    QTest::qFail("the box cannot take the focus", __FILE__, __LINE__);
    return {};
  }
  pressKeys(keys);
  return {box->currentText(), box->currentIndex(), box->lineEdit()->selectedText()};
}

/// The controls that Tab visits in a shown modal dialog, starting at
/// `first`, one per step; a box or picker counts for its text field.
inline QList<QWidget*> tabOrder(QDialog* dialog, QWidget* first, int steps) {
  QList<QWidget*> order;
  if (!activate(dialog)) return order;
  first->setFocus();
  for (int i = 0; i < steps; ++i) {
    order << focusedControl();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  }
  return order;
}

}  // namespace qorv::test

/// main() for a GUI test class: offscreen by default, as CI has no display.
#define QORV_UI_TEST_MAIN(TestClass)                                                \
  int main(int argc, char** argv) {                                                 \
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1); \
    qorv::Application app(argc, argv);                                              \
    qorv::test::UiTestEnvironment environment(app);                                 \
    qorv::test::currentEnvironment = &environment;                                  \
    TestClass test;                                                                 \
    return QTest::qExec(&test, argc, argv);                                         \
  }
