#pragma once

#include <QDialog>
#include <cstddef>
#include <optional>

namespace qorv {

class TForm1;

/// The page edit dialog: the date, time and tags of one row.
class TEditBox final : public QDialog {
 public:
  explicit TEditBox(QWidget* parent = nullptr);

  /// The edit command on the main window's selected row, if any.
  void EditRow(std::optional<std::size_t> row);
};

extern TEditBox* EditBox;

}  // namespace qorv
