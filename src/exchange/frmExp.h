#pragma once
// The export dialog: the records of one category of the active module's family, ticked and
// written to a record export file.

#include "exchange/CheckListDialog.h"

#include <optional>

class QComboBox;
class QLabel;

namespace exchange {

struct Family;
struct ExportLosses;

class frmExp : public CheckListDialog {
  Q_OBJECT
public:
  // strFormName: the module window served ("frmNotes"); an unknown one leaves the dialog empty.
  explicit frmExp(const QString& strFormName, QWidget* parent = nullptr);

  const QString strFormName;
  QLabel* Label2 = nullptr;
  QComboBox* cobClass = nullptr;

  void cobClass_Click();
  void ListView1_DblClick();
  void cmdOk_Click() override;

  // The record file text of the records with these ids ("3,5,8"). Empty when the records could
  // not be read: the box has been shown. `losses` as ExportText gives them.
  static std::optional<QString> GetExpText(const Family& family, const QString& strID, ExportLosses* losses = nullptr);

private:
  void LoadClass();

  const Family* family_ = nullptr;
};

} // namespace exchange
