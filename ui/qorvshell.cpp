#include "ui/qorvshell.h"

#include "ui/About.h"
#include "ui/Edit.h"
#include "ui/Settings.h"
#include "ui/Unit1.h"
#include "ui/qorvapp.h"

namespace qorv {

void CreateWindows(TQorvApplication& application) {
  TQorvContext& context = application.Context();
  Form1 = new TForm1(context);
  AboutBox = new TAboutBox(Form1);
  SetBox = new TSetBox(context.Settings, Form1);
  EditBox = new TEditBox(Form1);
}

void DestroyWindows() {
  // The dialogs are children of the main window and go with it.
  delete Form1;
  Form1 = nullptr;
  AboutBox = nullptr;
  SetBox = nullptr;
  EditBox = nullptr;
}

}  // namespace qorv
