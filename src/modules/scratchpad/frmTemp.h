#pragma once
// The scratch pad: one free text kept in the data set's configuration record, with find, the
// clipboard commands and a copy to a text file.

#include "modules/listwindow/LabelButton.h"

#include <QString>
#include <QWidget>

class QComboBox;
class QFrame;
class QLabel;
class QPlainTextEdit;

class frmTemp : public QWidget {
  Q_OBJECT
public:
  explicit frmTemp(QWidget* parent = nullptr);
  ~frmTemp() override;

  QFrame* picTop = nullptr;
  QLabel* Image1 = nullptr;
  listwindow::LabelButton* LabTitle = nullptr;
  listwindow::LabelButton* LabAllOpen = nullptr;
  QComboBox* Combo1 = nullptr;
  QPlainTextEdit* txtContent = nullptr;
  QFrame* picFoot = nullptr;
  listwindow::LabelButton* LabAdd = nullptr;
  listwindow::LabelButton* LabModify = nullptr;
  listwindow::LabelButton* LabDelete = nullptr;
  listwindow::LabelButton* LabGoto = nullptr;
  listwindow::LabelButton* labHas = nullptr;
  listwindow::LabelButton* LabAd = nullptr;

  // The text as it was last loaded from or stored to the data set; the text counts as changed
  // while the box differs from it.
  QString Tag;

  // The box's text as the user sees it (plain line breaks) and as the data set keeps it (CR LF).
  QString Text() const;
  QString Content() const;
  QString SelectedText() const;
  bool IsChanged() const { return Text() != Tag; }

  void Form_Load();
  void Form_Unload();
  void Form_Resize();
  // Ctrl+A, Ctrl+S, Ctrl+F; true when the key ran a command.
  bool Form_KeyDown(int keyCode, Qt::KeyboardModifiers shift);
  void Combo1_KeyPress(int keyAscii);
  void Combo1_Click();
  void LabAllOpen_Click();
  void LabAdd_Click();
  void LabModify_Click();
  void LabDelete_Click();
  void LabGoto_Click();
  void labHas_Click();
  void LabAd_Click();

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

private:
  // Keeps a text the data set refused in a file beside it; "" when no file could be written.
  QString KeepInFile(const QString& content);

  bool unloaded_ = false;
};
