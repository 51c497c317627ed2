#pragma once
// The bookmark dialog: title, address, description and category of one bookmark, with a button
// that tries the address in the browser.

#include "modules/listwindow/EditDialog.h"

#include <QString>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class frmUrlEdit : public listwindow::EditDialog {
  Q_OBJECT
public:
  // Builds the dialog and runs its load (category list with the last saved category).
  explicit frmUrlEdit(QWidget* parent = nullptr);
  ~frmUrlEdit() override;

  // The title as it was loaded for a modification (txtTitle's Tag).
  QString TitleTag;

  QLineEdit* txtTitle = nullptr;
  QLineEdit* txtAddress = nullptr;
  QPlainTextEdit* txtContent = nullptr;
  QComboBox* cobClass = nullptr;
  QPushButton* cmdOk = nullptr;
  QPushButton* cmdCancel = nullptr;
  QPushButton* cmdHelp = nullptr;
  QPushButton* cmdGoto = nullptr;

  // The description as the data set keeps it (CR LF line breaks); the box shows plain ones.
  void SetContent(const QString& text);
  QString Content() const;

public slots:
  void cmdOk_Click() override;
  void cmdGoto_Click();

protected:
  void LoadRecord(datastore::RowSet& row) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void txtAddress_GotFocus();
};
