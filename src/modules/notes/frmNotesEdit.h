#pragma once
// The notes editor: the modal dialog in which one note is written or changed.

#include "modules/listwindow/EditDialog.h"

#include <QString>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class frmNotesEdit : public listwindow::EditDialog {
  Q_OBJECT
public:
  // Builds the dialog and runs its load (category list, defaults, font).
  explicit frmNotesEdit(QWidget* parent = nullptr);
  ~frmNotesEdit() override;

  // The title as it was loaded for a modification.
  QString TitleTag;

  QComboBox* cobClass = nullptr;
  QLineEdit* txtTitle = nullptr;
  QPlainTextEdit* txtContent = nullptr;
  QPushButton* cmdOk = nullptr;
  QPushButton* cmdCancel = nullptr;
  QPushButton* cmdExp = nullptr;
  QPushButton* cmdImp = nullptr;
  QPushButton* cmdFind = nullptr;
  QLabel* labFont = nullptr;

  // The current search text ("" until one is entered).
  QString FindTag;

  // The note's text as the data set keeps it (CR LF line breaks); the box shows plain line breaks.
  void SetContent(const QString& text);
  QString Content() const;

public slots:
  void cmdOk_Click() override;
  void cmdFind_Click();
  void FindNext();
  void cmdExp_Click();
  void cmdImp_Click();
  void labFont_Click();

protected:
  void LoadRecord(datastore::RowSet& row) override;
  bool Form_KeyDown(QKeyEvent* event) override;  // Ctrl+F finds the next match
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void Form_Resize();
  void LoadFontSettings();
  void PlaceControls();
};
