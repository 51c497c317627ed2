#pragma once
// The ledger list window: every entry under its day, newest day first, edited in frmMoneysEdit;
// "&L.列表" opens the query window.

#include "modules/listwindow/ListWindow.h"

class frmMoneys : public listwindow::ListWindow {
  Q_OBJECT
public:
  explicit frmMoneys(QWidget* parent = nullptr);

  listwindow::LabelButton* LabGoto = nullptr;
  // Shows the one query window; it lives on its own, apart from this window.
  void LabGoto_Click();

protected:
  void ResolveColumns(datastore::RowSet& rs) override;
  // direction & "：" & title & " （" & quantity & " " & unit & " / 共 " & amount & " 元）" & excerpt
  QString RecordNodeText(datastore::RowSet& rs) override;
  std::unique_ptr<listwindow::EditDialog> MakeDialog() override;
  void FourthButton_Click() override { LabGoto_Click(); }

private:
  int showColumn_ = -1, sumColumn_ = -1, typeColumn_ = -1, titleColumn_ = -1, unitColumn_ = -1, contentColumn_ = -1;
};
