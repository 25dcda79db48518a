#pragma once

#include <QDialog>

namespace qorv {

/// The About box: product name, full version, the maker's links.
class TAboutBox final : public QDialog {
 public:
  explicit TAboutBox(QWidget* parent = nullptr);
};

extern TAboutBox* AboutBox;

}  // namespace qorv
