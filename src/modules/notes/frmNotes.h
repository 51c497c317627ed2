#pragma once
// The reference notes list window: every note under its category, edited in frmNotesEdit.

#include "modules/listwindow/ListWindow.h"

class frmNotes : public listwindow::ListWindow {
  Q_OBJECT
public:
  explicit frmNotes(QWidget* parent = nullptr);

  listwindow::LabelButton* LabRefresh = nullptr;
  void LabRefresh_Click();

  // title & " " & date & "（" & shortened content & "）"
  static QString NoteNodeText(const QVariant& title, const QVariant& date, const QVariant& content);

protected:
  void ResolveColumns(datastore::RowSet& rs) override;
  QString RecordNodeText(datastore::RowSet& rs) override { return RecordNodeTextView(rs).toString(); }
  QStringView RecordNodeTextView(datastore::RowSet& rs) override;
  std::unique_ptr<listwindow::EditDialog> MakeDialog() override;
  void FourthButton_Click() override { LabRefresh_Click(); }

private:
  int titleColumn_ = -1;
  int contentColumn_ = -1;
  int dateColumn_ = -1;
  QString buffer_;  // RecordNodeTextView's decoding space
};
