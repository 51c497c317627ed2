#pragma once
// The ledger entry dialog: one entry written or changed, its amount computed as quantity times
// unit price while the user types.

#include "modules/listwindow/EditDialog.h"

#include <QString>

class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class frmMoneysEdit : public listwindow::EditDialog {
  Q_OBJECT
public:
  // Builds the dialog and runs its load: the four directions with "支出" chosen, today's date.
  explicit frmMoneysEdit(QWidget* parent = nullptr);
  ~frmMoneysEdit() override;

  QLineEdit* txtDate = nullptr;
  QComboBox* cobType = nullptr;
  QLineEdit* txtTitle = nullptr;
  QPlainTextEdit* txtContent = nullptr;
  QLineEdit* txtShow = nullptr;
  QLineEdit* txtUnit = nullptr;
  QLineEdit* txtSprice = nullptr;
  QLineEdit* txtSum = nullptr;
  QPushButton* cmdOk = nullptr;
  QPushButton* cmdCancel = nullptr;
  QPushButton* cmdHelp = nullptr;

  // The description as the data set keeps it (CR LF line breaks).
  QString Content() const;

public slots:
  void cmdOk_Click() override;

protected:
  void LoadRecord(datastore::RowSet& row) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  // The amount, at every change of the quantity or the unit price; the changed box is coloured.
  void ComputeSum(QLineEdit* changed);
  void txtDate_Change();
};
