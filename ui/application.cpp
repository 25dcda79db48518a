#include "ui/application.h"

#include <QFont>
#include <QLibraryInfo>
#include <QProxyStyle>
#include <QStyleOptionButton>
#include <QTranslator>
#include <memory>
#include <stdexcept>

#include "core/errors.h"
#include "persist/errorlog.h"
#include "platform/clock.h"
#include "platform/qtlocaleformats.h"
#include "ui/contrast.h"
#include "ui/programicon.h"

namespace qorv {

namespace {

/// The platform's style, without icons on the buttons of dialogs and
/// message boxes: the program's boxes have plain buttons. Menus keep theirs.
/// Check boxes and radio buttons, the list's ticks among them, show on a
/// dark theme too.
class PlainButtonStyle final : public QProxyStyle {
 public:
  using QProxyStyle::QProxyStyle;

  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* returnData) const override {
    if (hint == SH_DialogButtonBox_ButtonsHaveIcons) return 0;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
  }

  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
    const auto* button = qstyleoption_cast<const QStyleOptionButton*>(option);
    if (button && (element == PE_IndicatorCheckBox || element == PE_IndicatorRadioButton) &&
        baseStyle()->name() == QLatin1String("fusion") &&
        isDarkBackground(option->palette.color(QPalette::Base))) {
      // Fusion outlines the box a shade darker than the window, which does
      // not show on a dark background; a shade darker than the text does.
      QStyleOptionButton lit = *button;
      lit.palette.setColor(QPalette::Window, option->palette.color(QPalette::Text));
      QProxyStyle::drawPrimitive(element, &lit, painter, widget);
      return;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
  }
};

/// Qt's translation of its own texts. Qt 6 asks for the texts of the
/// standard buttons (Cancel, Save, ...) under the context "QPlatformTheme";
/// translations that have them only under Qt 5's "QDialogButtonBox", as the
/// Slovak one does, answer from there.
class ToolkitTranslator final : public QTranslator {
 public:
  using QTranslator::QTranslator;

  QString translate(const char* context, const char* sourceText, const char* disambiguation,
                    int n) const override {
    QString text = QTranslator::translate(context, sourceText, disambiguation, n);
    if (text.isEmpty() && qstrcmp(context, "QPlatformTheme") == 0)
      text = QTranslator::translate("QDialogButtonBox", sourceText, disambiguation, n);
    return text;
  }
};

}  // namespace

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(kApplicationTitle);
  // Lets the desktop match the windows to the menu entry and its icon.
  setDesktopFileName(QStringLiteral("com.example.quorvex"));
  setWindowIcon(programIcon());
  setStyle(new PlainButtonStyle(style()->name()));
  // Qt's own file dialogs, which its translation covers, also where the
  // desktop offers native ones.
  setAttribute(Qt::AA_DontUseNativeDialogs);
  // A Slovak program whatever the desktop's language; without the
  // translation, Qt's texts stay English.
  installToolkitTranslation(QLibraryInfo::path(QLibraryInfo::TranslationsPath));
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

bool Application::installToolkitTranslation(const QString& folder) {
  auto translation = std::make_unique<ToolkitTranslator>(this);
  if (!translation->load(QStringLiteral("qtbase_sk"), folder)) return false;
  installTranslator(translation.release());
  return true;
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
