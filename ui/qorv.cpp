// qorv: the desktop program.

#include "platform/appfolders.h"
#include "ui/Unit1.h"
#include "ui/qorvapp.h"
#include "ui/qorvshell.h"

int main(int argc, char** argv) {
  qorv::Application application(argc, argv);
  application.context().settingsFolder = qorv::settingsFolder();
  qorv::createWindows(application);
  qorv::Form1->show();
  const int status = application.exec();
  qorv::destroyWindows();
  return status;
}
