#include "ui/qorvapp.h"

#include <QFont>
#include <stdexcept>

#include "core/errors.h"
#include "platform/clock.h"
#include "platform/qtlocaleformats.h"
#include "ui/errorlog.h"
#include "ui/programicon.h"

namespace qorv {

TQorvApplication::TQorvApplication(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(kApplicationTitle);
  setWindowIcon(ProgramIcon());
  // The windows are laid out for an interface font whose lines are 13
  // pixels high: an 8-point font at 96 dots per inch, 11 pixels to the em.
  // Liberation Sans has the narrow metrics the layout was made for; where
  // it is missing, the system's own interface font stands in.
  QFont font = QApplication::font();
  font.setFamilies({QStringLiteral("Liberation Sans"), font.family()});
  font.setPixelSize(11);
  setFont(font);
  m_context.LocaleFormats = SystemLocaleFormats;
  m_context.Version = kProductVersion;
  m_context.Services = TUiServices::Desktop();
}

TQorvApplication* TQorvApplication::Instance() {
  return static_cast<TQorvApplication*>(QCoreApplication::instance());
}

void TQorvApplication::AppException(const QObject* /*sender*/, const std::exception& error) {
  try {
    TErrorLog(m_context.SettingsFolder + "error.log")
        .Append(LocalNow(), m_context.LocaleFormats(), ErrorClassName(error), error.what());
  } catch (...) {
    // The message below still tells the user.
  }
  m_context.Services.ShowMessage(nullptr, QStringLiteral("V programe došlo k nečakanej chybe."));
}

bool TQorvApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& error) {
    AppException(receiver, error);
  } catch (...) {
    AppException(receiver, std::runtime_error("Unknown error"));
  }
  return false;
}

}  // namespace qorv
