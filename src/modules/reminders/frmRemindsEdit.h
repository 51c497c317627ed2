#pragma once
// The reminder dialog: a reminder's date and time in five editable boxes, its title, content, the
// file to open when it fires, and whether it repeats every day.

#include "modules/listwindow/EditDialog.h"

#include <QDateTime>
#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class frmRemindsEdit : public listwindow::EditDialog {
  Q_OBJECT
public:
  // Builds the dialog with its load values: this year and the ten after it, today, the next hour
  // (23 from 23:00 on) and minute 0.
  explicit frmRemindsEdit(QWidget* parent = nullptr);
  ~frmRemindsEdit() override;

  QComboBox* cobYear = nullptr;
  QComboBox* cobMonth = nullptr;
  QComboBox* cobDay = nullptr;
  QComboBox* cobHour = nullptr;
  QComboBox* cobMinute = nullptr;
  QLineEdit* txtTitle = nullptr;
  QPlainTextEdit* txtContent = nullptr;
  QLineEdit* txtFile = nullptr;
  QPushButton* cmdSelectFile = nullptr;
  QCheckBox* Check1 = nullptr;
  QPushButton* cmdOk = nullptr;
  QPushButton* cmdCancel = nullptr;
  QPushButton* cmdHelp = nullptr;

  // The content as the data set keeps it (CR LF line breaks); the box shows plain line breaks.
  void SetContent(const QString& text);
  QString Content() const;
  // txtFile's background: light red while it names no existing file.
  QColor FileBackColor() const;

public slots:
  void cmdOk_Click() override;
  void cmdSelectFile_Click();
  void txtFile_Change();

protected:
  void LoadRecord(datastore::RowSet& row) override;

private:
  // The modified reminder's time as stored, seconds and all: the boxes show it to the minute.
  std::optional<QDateTime> storedTime_;
};
