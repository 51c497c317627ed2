#pragma once
// The file archive's list window: every archived file under its category, uploaded and edited in
// frmFilesEdit, extracted back to disk with "&T.提取", its source opened by a double-click.

#include "modules/listwindow/ListWindow.h"

class frmFiles : public listwindow::ListWindow {
  Q_OBJECT
public:
  explicit frmFiles(QWidget* parent = nullptr);

  listwindow::LabelButton* LabGoto = nullptr;
  // Extracts the selected record's stored file to a path the user chooses, then opens it.
  void LabGoto_Click();

protected:
  QString RecordNodeText(datastore::RowSet& rs) override;
  // The source path at upload time.
  QString RecordNodeTag(datastore::RowSet& rs) override;
  std::unique_ptr<listwindow::EditDialog> MakeDialog() override;
  void FourthButton_Click() override { LabGoto_Click(); }
  // Opens the source file where it lies, or offers extraction when it is gone.
  void RecordDoubleClick() override;
};
