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
struct TQorvContext {
  /// The one settings object; the settings dialog edits it in place.
  TGeneratorSettings Settings;
  /// Holds "qorv.ini" and "error.log", and is where the project file
  /// dialogs start; ends in "/".
  std::string SettingsFolder;
  std::optional<TProductVersion> Version;
  /// The user's date and time formats, asked again when the system's
  /// locale settings change.
  std::function<TLocaleFormats()> LocaleFormats;
  TUiServices Services;
};

/// The application object. Every error that escapes an event handler or a
/// slot reaches `AppException`, which logs it and tells the user; the
/// program then goes on running.
class TQorvApplication : public QApplication {
 public:
  TQorvApplication(int& argc, char** argv);

  TQorvContext& Context() { return m_context; }
  static TQorvApplication* Instance();

  /// The one handler of unexpected errors: a line in "error.log", then
  /// "V programe došlo k nečakanej chybe.".
  void AppException(const QObject* sender, const std::exception& error);

  bool notify(QObject* receiver, QEvent* event) override;

 private:
  TQorvContext m_context;
};

/// Wraps a slot so that an error it throws reaches `AppException` rather
/// than unwinding through the toolkit. The slot may take the signal's
/// arguments or none.
template <class Handler>
auto Guarded(Handler handler) {
  return [handler = std::move(handler)](auto&&... args) {
    try {
      if constexpr (std::is_invocable_v<Handler&, decltype(args)...>)
        handler(std::forward<decltype(args)>(args)...);
      else
        handler();
    } catch (const std::exception& error) {
      TQorvApplication::Instance()->AppException(nullptr, error);
    }
  };
}

}  // namespace qorv
