#pragma once
// The bookmarks list window: every bookmark under its category, opened in the browser by the go
// command, edited in frmUrlEdit.

#include "modules/listwindow/ListWindow.h"

class frmUrl : public listwindow::ListWindow {
  Q_OBJECT
public:
  explicit frmUrl(QWidget* parent = nullptr);

  listwindow::LabelButton* LabGoto = nullptr;
  // Opens the selected bookmark's address as it was stored (Ctrl+G, double-click).
  void LabGoto_Click();

  // title & " （" & address & "） " & shortened description
  static QString UrlNodeText(const QVariant& title, const QVariant& address, const QVariant& memo);

protected:
  QString RecordNodeText(datastore::RowSet& rs) override;
  QString RecordNodeTag(datastore::RowSet& rs) override;
  std::unique_ptr<listwindow::EditDialog> MakeDialog() override;
  void FourthButton_Click() override { LabGoto_Click(); }
  void RecordDoubleClick() override { LabGoto_Click(); }
};
