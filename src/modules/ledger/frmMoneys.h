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
  // direction & "：" & title & " （" & quantity & " " & unit & " / 共 " & amount & " 元）" & excerpt
  QString RecordNodeText(datastore::RowSet& rs) override;
  std::unique_ptr<listwindow::EditDialog> MakeDialog() override;
  void FourthButton_Click() override { LabGoto_Click(); }
};
