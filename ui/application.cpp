#include "ui/application.h"

#include <QFont>
#include <stdexcept>

#include "core/errors.h"
#include "persist/errorlog.h"
#include "platform/clock.h"
#include "platform/qtlocaleformats.h"
#include "ui/programicon.h"

namespace qorv {

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(kApplicationTitle);
  // Lets the desktop match the windows to the menu entry and its icon.
  setDesktopFileName(QStringLiteral("com.example.quorvex"));
  setWindowIcon(programIcon());
  // The windows are laid out for an interface font whose lines are 13
  // pixels high: an 8-point font at 96 dots per inch, 11 pixels to the em.
  // Liberation Sans has the narrow metrics the layout was made for; where
  // it is missing, the system's own interface font stands in.
  QFont font = QApplication::font();
  font.setFamilies({QStringLiteral("Liberation Sans"), font.family()});
  font.setPixelSize(11);
  setFont(font);
  m_context.localeFormats = systemLocaleFormats;
  m_context.version = kProductVersion;
  m_context.services = UiServices::desktop();
  m_context.reportError = [this](const std::exception& error) { reportUnexpectedError(error); };
}

void Application::reportUnexpectedError(const std::exception& error) {
  try {
    ErrorLog(m_context.settingsFolder + "error.log")
        .append(localNow(), m_context.localeFormats(), errorClassName(error), error.what());
  } catch (...) {
    // The message below still tells the user.
  }
  m_context.services.showMessage(nullptr, QStringLiteral("V programe došlo k nečakanej chybe."));
}

bool Application::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& error) {
    reportUnexpectedError(error);
  } catch (...) {
    reportUnexpectedError(std::runtime_error("Unknown error"));
  }
  return false;
}

}  // namespace qorv
