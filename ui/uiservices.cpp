#include "ui/uiservices.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>

#include "ui/fixeddialog.h"

namespace qorv {

namespace {

const QString kProjectFilter = QStringLiteral("Project (*.prj)");

QString projectFileName(QWidget* parent, const QString& folder, QFileDialog::AcceptMode mode) {
  QFileDialog dialog(parent, QString(), folder, kProjectFilter);
  dialog.setAcceptMode(mode);
  // Opening accepts a name that does not exist too: it reads as empty.
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDefaultSuffix(QStringLiteral("prj"));
  // Saving over a project asks nothing, as the user chose the name.
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().constFirst();
}

}  // namespace

UiServices UiServices::desktop() {
  UiServices services;
  services.showMessage = [](QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, kApplicationTitle, text, QMessageBox::Ok, parent,
                    kFixedSizeDialogFlags);
    // The box is as wide as its text, which for a short one leaves the
    // title no room.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
      grid->addItem(new QSpacerItem(kMinimumMessageWidth, 0), grid->rowCount(), 0, 1,
                    grid->columnCount());
    box.exec();
  };
  services.chooseFolder = [](QWidget* parent, const QString& startFolder) {
    return QFileDialog::getExistingDirectory(parent, QString(), startFolder,
                                             QFileDialog::ShowDirsOnly);
  };
  services.openProjectName = [](QWidget* parent, const QString& folder) {
    return projectFileName(parent, folder, QFileDialog::AcceptOpen);
  };
  services.saveProjectName = [](QWidget* parent, const QString& folder) {
    return projectFileName(parent, folder, QFileDialog::AcceptSave);
  };
  services.openUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };
  return services;
}

}  // namespace qorv
