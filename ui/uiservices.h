#pragma once

#include <QString>
#include <QUrl>
#include <functional>

class QWidget;

namespace qorv {

/// What the windows ask of the desktop. Tests replace these with recorders,
/// so nothing blocks on a modal box or opens a real chooser.
struct UiServices {
  /// A plain modal box titled "Quorvex" with one OK button and no icon, at
  /// least `kMinimumMessageWidth` wide and of fixed size.
  std::function<void(QWidget* parent, const QString& text)> showMessage;
  /// The folder chooser, opened at `startFolder` with no folder chosen; an
  /// empty text when cancelled.
  std::function<QString(QWidget* parent, const QString& startFolder)> chooseFolder;
  /// File dialogs for project files starting in `folder`; empty when cancelled.
  std::function<QString(QWidget* parent, const QString& folder)> openProjectName;
  std::function<QString(QWidget* parent, const QString& folder)> saveProjectName;
  /// Hands a link to the desktop (mail program, browser).
  std::function<void(const QUrl& url)> openUrl;

  /// The real dialogs and the desktop's URL handler.
  static UiServices desktop();
};

/// The application title, also the title of every message box.
inline const QString kApplicationTitle = QStringLiteral("Quorvex");

/// The narrowest message box, in pixels at 100% scaling: wide enough for
/// its title.
inline constexpr int kMinimumMessageWidth = 220;

}  // namespace qorv
