#pragma once

#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>

#include "core/generatorsettings.h"
#include "platform/localeformats.h"
#include "platform/productversion.h"
#include "ui/uiservices.h"

namespace qorv {

/// What the windows share for the whole run. The application owns it; the
/// main window and its dialogs are handed the parts they use.
struct AppContext {
  /// The one settings object; the settings dialog edits it in place.
  GeneratorSettings settings;
  /// Holds "qorv.ini" and "error.log", and is where the project file
  /// dialogs start; ends in "/".
  std::string settingsFolder;
  std::optional<ProductVersion> version;
  /// The user's date and time formats, asked again when the system's
  /// locale settings change.
  std::function<LocaleFormats()> localeFormats;
  UiServices services;
  /// The handler of unexpected errors: a line in "error.log" and a message.
  std::function<void(const std::exception&)> reportError;
};

/// Wraps a slot so that an error it throws reaches `report` rather than
/// unwinding through the toolkit. The slot may take the signal's arguments
/// or none.
template <class Slot>
auto guardedSlot(const std::function<void(const std::exception&)>& report, Slot slot) {
  return [&report, slot = std::move(slot)](auto&&... args) {
    try {
      if constexpr (std::is_invocable_v<Slot&, decltype(args)...>)
        slot(std::forward<decltype(args)>(args)...);
      else
        slot();
    } catch (const std::exception& error) {
      report(error);
    }
  };
}

}  // namespace qorv
