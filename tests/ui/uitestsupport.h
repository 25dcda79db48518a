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
class TUiTestEnvironment {
 public:
  TUiTestEnvironment(TQorvApplication& app) : App(app) {
    TQorvContext& context = app.Context();
    context.SettingsFolder = Settings.Path();
    context.Version = TProductVersion{1, 2, 3, 4};
    context.LocaleFormats = [this] { return Formats; };
    context.Services.ShowMessage = [this](QWidget*, const QString& text) { Messages << text; };
    context.Services.ChooseFolder = [this](QWidget*) { return ChosenFolder; };
    context.Services.OpenProjectName = [this](QWidget*, const QString& folder) {
      DialogFolders << folder;
      return ChosenFile;
    };
    context.Services.SaveProjectName = context.Services.OpenProjectName;
    context.Services.OpenUrl = [this](const QUrl& url) { OpenedUrls << url.toString(); };
  }

  TQorvApplication& App;
  TTempDir Settings;
  TLocaleFormats Formats = DayFirstFormats();
  QStringList Messages;
  QString ChosenFolder;
  QString ChosenFile;
  QStringList DialogFolders;
  QStringList OpenedUrls;
};

inline TUiTestEnvironment* Environment = nullptr;

}  // namespace qorv::test

/// main() for a GUI test class: offscreen by default, as CI has no display.
#define QORV_UI_TEST_MAIN(TestClass)                                                \
  int main(int argc, char** argv) {                                                 \
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1); \
    qorv::TQorvApplication app(argc, argv);                                         \
    qorv::test::TUiTestEnvironment environment(app);                                \
    qorv::test::Environment = &environment;                                         \
    TestClass test;                                                                 \
    return QTest::qExec(&test, argc, argv);                                         \
  }
