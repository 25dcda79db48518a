#pragma once

#include <QString>
#include <QStringList>
#include <QTest>
#include <cstdlib>

#include "tests/support/formats.h"
#include "tests/support/tempdir.h"
#include "ui/qorvapp.h"

namespace qorv::test {

/// The application for a GUI test: headless unless a platform was asked
/// for, its settings folder a fresh temporary one, and message boxes and
/// choosers replaced by recorders so that nothing blocks.
class UiTestEnvironment {
 public:
  UiTestEnvironment(Application& app) : app(app) {
    AppContext& context = app.context();
    context.settingsFolder = settings.path();
    context.version = TProductVersion{1, 2, 3, 4};
    context.localeFormats = [this] { return formats; };
    context.services.showMessage = [this](QWidget*, const QString& text) { messages << text; };
    context.services.chooseFolder = [this](QWidget*) { return chosenFolder; };
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
  QString chosenFile;
  QStringList dialogFolders;
  QStringList openedUrls;
};

inline UiTestEnvironment* currentEnvironment = nullptr;

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
