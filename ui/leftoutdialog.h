#pragma once

#include <string>
#include <vector>

#include "ui/fixeddialog.h"

class QLabel;
class QListView;
class QPushButton;
class QStringListModel;
class QTreeView;

namespace qorv {

class LeftOutList;
class LeftOutModel;

/// What the last scan left out of the sitemap, and why: a count by reason
/// above a list of paths (relative to the scan folder) and reasons, read
/// only, in walk order. Below it, when the last write found any, the pages
/// whose language versions lack a return link.
class LeftOutDialog final : public FixedDialog {
  Q_OBJECT

 public:
  explicit LeftOutDialog(QWidget* parent);
  ~LeftOutDialog() override;

  /// Shows `leftOut` modally until OK, Enter or Esc; the list must not
  /// change meanwhile (no scan runs while a modal dialog is up).
  /// `withoutReturnLinks` holds row URLs (escaped for XML, as rows hold them).
  void showList(const LeftOutList& leftOut,
                const std::vector<std::string>& withoutReturnLinks = {});

 private:
  LeftOutModel* m_model;
  QLabel* m_totalLabel;
  QTreeView* m_leftOutView;
  QStringListModel* m_returnLinksModel;
  QLabel* m_returnLinksLabel;
  QListView* m_returnLinksView;
  QPushButton* m_okButton;
};

}  // namespace qorv
