#include "ui/qorvshell.h"

#include "ui/About.h"
#include "ui/Edit.h"
#include "ui/Settings.h"
#include "ui/Unit1.h"
#include "ui/qorvapp.h"

namespace qorv {

void createWindows(Application& application) {
  AppContext& context = application.context();
  Form1 = new MainWindow(context);
  AboutBox = new AboutDialog(Form1);
  SetBox = new SettingsDialog(context.settings, Form1);
  EditBox = new PageEditDialog(Form1);
}

void destroyWindows() {
  // The dialogs are children of the main window and go with it.
  delete Form1;
  Form1 = nullptr;
  AboutBox = nullptr;
  SetBox = nullptr;
  EditBox = nullptr;
}

}  // namespace qorv
