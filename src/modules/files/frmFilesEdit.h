#pragma once
// The upload dialog of the file archive: a file on disk is chosen, named, described and filed
// under a category, and the data store keeps its bytes. On a modification it can point the
// record at another source, re-upload a source whose length changed, open the source and
// extract the stored copy.

#include "modules/listwindow/EditDialog.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class frmFilesEdit : public listwindow::EditDialog {
  Q_OBJECT
public:
  explicit frmFilesEdit(QWidget* parent = nullptr);
  ~frmFilesEdit() override;

  QLineEdit* txtFrom = nullptr;
  QLineEdit* txtName = nullptr;
  QLineEdit* txtKuo = nullptr;
  QLineEdit* txtSize = nullptr;
  QPlainTextEdit* txtMemo = nullptr;
  QComboBox* cobClass = nullptr;
  QPushButton* cmdSelectFile = nullptr;
  QPushButton* cmdRun = nullptr;
  QPushButton* cmdGetFile = nullptr;
  QPushButton* cmdOk = nullptr;
  QPushButton* cmdCancel = nullptr;

  // txtFrom.Tag and txtName.Tag: the source path and the name as loaded for a modification.
  QString FromTag;
  QString NameTag;
  // txtSize.Tag: the byte count that the checks and the data store receive.
  qint64 SizeTag = 0;

  // The description as the data set keeps it (CR LF line breaks).
  QString Memo() const;

public slots:
  void cmdOk_Click() override;
  void cmdSelectFile_Click();
  void cmdRun_Click();
  void cmdGetFile_Click();

protected:
  void LoadRecord(datastore::RowSet& row) override;

private:
  void SetSize(qint64 size);
  // The source is read again by the store: its length now is the one checked and stored.
  bool SourceSizeStillFits(qint64 length);
  void SourceMissing();
  void PlaceControls();
};
