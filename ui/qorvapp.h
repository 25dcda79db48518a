#pragma once

#include <QApplication>
#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <type_traits>

#include "core/generatorsettings.h"
#include "platform/localeformats.h"
#include "platform/productversion.h"
#include "ui/uiservices.h"

namespace qorv {

/// What the windows share for the whole run.
struct AppContext {
  /// The one settings object; the settings dialog edits it in place.
  GeneratorSettings settings;
  /// Holds "qorv.ini" and "error.log", and is where the project file
  /// dialogs start; ends in "/".
  std::string settingsFolder;
  std::optional<TProductVersion> version;
  /// The user's date and time formats, asked again when the system's
  /// locale settings change.
  std::function<LocaleFormats()> localeFormats;
  UiServices services;
};

/// The application object. Every error that escapes an event handler or a
/// slot reaches `AppException`, which logs it and tells the user; the
/// program then goes on running.
class Application : public QApplication {
 public:
  Application(int& argc, char** argv);

  AppContext& context() { return m_context; }
  static Application* instance();

  /// The one handler of unexpected errors: a line in "error.log", then
  /// "V programe došlo k nečakanej chybe.".
  void reportUnexpectedError(const QObject* sender, const std::exception& error);

  bool notify(QObject* receiver, QEvent* event) override;

 private:
  AppContext m_context;
};

/// Wraps a slot so that an error it throws reaches `AppException` rather
/// than unwinding through the toolkit. The slot may take the signal's
/// arguments or none.
template <class Handler>
auto guarded(Handler handler) {
  return [handler = std::move(handler)](auto&&... args) {
    try {
      if constexpr (std::is_invocable_v<Handler&, decltype(args)...>)
        handler(std::forward<decltype(args)>(args)...);
      else
        handler();
    } catch (const std::exception& error) {
      Application::instance()->reportUnexpectedError(nullptr, error);
    }
  };
}

}  // namespace qorv
