// qorv: the desktop program.

#include "platform/appfolders.h"
#include "ui/Unit1.h"
#include "ui/qorvapp.h"
#include "ui/qorvshell.h"

int main(int argc, char** argv) {
  qorv::TQorvApplication application(argc, argv);
  application.Context().SettingsFolder = qorv::SettingsFolder();
  qorv::CreateWindows(application);
  qorv::Form1->show();
  const int status = application.exec();
  qorv::DestroyWindows();
  return status;
}
