#pragma once

#include <QApplication>
#include <exception>

#include "ui/appcontext.h"

namespace qorv {

/// The application object. Every error that escapes an event handler, or a
/// slot wrapped by `guardedSlot`, reaches `reportUnexpectedError`, which
/// logs it and tells the user; the program then goes on running.
class Application final : public QApplication {
  Q_OBJECT

 public:
  Application(int& argc, char** argv);

  AppContext& context() { return m_context; }

  /// Qt's own texts (file dialogs, the folder chooser, the text boxes'
  /// context menus) in Slovak, from Qt's translation in `folder`. False,
  /// leaving them as they were, when the folder holds none.
  bool installToolkitTranslation(const QString& folder);

  /// The one handler of unexpected errors: a line in "error.log", then
  /// "V programe došlo k nečakanej chybe.".
  void reportUnexpectedError(const std::exception& error);

  bool notify(QObject* receiver, QEvent* event) override;

 private:
  AppContext m_context;
};

}  // namespace qorv
