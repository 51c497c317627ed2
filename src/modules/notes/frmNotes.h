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
  datastore::RowSetPtr GetClass() override;
  datastore::RowSetPtr GetRecordSet(const QString& strClass) override;
  bool ModifyClass(const QString& newClass, const QString& oldClass) override;
  bool DeleteClass(const QString& strClass) override;
  bool Delete(qint64 id) override;
  bool ModifyColor(qint64 id, const QString& strColor) override;
  QString RecordNodeText(datastore::RowSet& rs) override;
  QString ShowAddDialog() override;
  QString ShowModifyDialog(qint64 id) override;
  void FourthButton_Click() override { LabRefresh_Click(); }
};
