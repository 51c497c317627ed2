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
  // The result of the last "完成": every ticked line was added.
  bool blnImported = false;
  // Records added while the dialog was open, also by an import that the data store stopped part
  // way (its failure box keeps what was added before): the module window has to show them.
  qint64 recordsAdded = 0;

  QLabel* Label1 = nullptr;
  QLabel* Label2 = nullptr;
  QLineEdit* txtFile = nullptr;
  QPushButton* cmdOpen = nullptr;

  void cmdOpen_Click();
  // Lists the record lines of a file's text.
  void LoadFile(const QString& text);
  void cmdOk_Click() override;
  // Adds the ticked lines, all or none when a line is bad; true when every one was added.
  bool Import();

private:
  const Family* family_ = nullptr;
};

} // namespace exchange
