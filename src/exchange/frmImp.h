#pragma once
// The import dialog: a record export file read, its record lines listed, and the ticked ones
// added as new records of the active module's family.

#include "exchange/CheckListDialog.h"

class QLabel;
class QLineEdit;

namespace exchange {

struct Family;

class frmImp : public CheckListDialog {
  Q_OBJECT
public:
  // strFormName: the module window served ("frmNotes"); an unknown one leaves the dialog empty.
  explicit frmImp(const QString& strFormName, QWidget* parent = nullptr);

  const QString strFormName;
  // The result of the last "完成": every ticked line was added (a run that fails adds none).
  bool blnImported = false;

  QLabel* Label1 = nullptr;
  QLabel* Label2 = nullptr;
  QLineEdit* txtFile = nullptr;
  QPushButton* cmdOpen = nullptr;

  void cmdOpen_Click();
  // Lists the record lines of a file's text.
  void LoadFile(const QString& text);
  void cmdOk_Click() override;
  // Adds the ticked lines, all or none whatever fails; true when every one was added.
  bool Import();

private:
  const Family* family_ = nullptr;
};

} // namespace exchange
