// qorv: the desktop program.

#include "platform/appfolders.h"
#include "ui/application.h"
#include "ui/mainwindow.h"

int main(int argc, char** argv) {
  qorv::Application application(argc, argv);
  application.context().settingsFolder = qorv::settingsFolder();
  qorv::MainWindow window(application.context());
  window.show();
  return application.exec();
}
