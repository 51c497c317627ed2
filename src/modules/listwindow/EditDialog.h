#pragma once
// The one design of the modal edit dialogs of the list windows: the white band at the top, the
// place kept under the dialog's own keys of section "Option" (twips), topmost while "Most" is on,
// Ctrl+Enter saving from any field, Esc and the close box cancelling, no default button (Enter
// never saves), the help button, the category box with the last saved category, and the contract
// with the list window: the record id and row of a modification in, the saved group out.
//
// A dialog derives from EditDialog, builds its controls in its constructor, fills its fields from
// a row in LoadRecord and saves in cmdOk_Click, ending a successful save with Saved(group).

#include "datastore/connection.h"

#include <QDialog>
#include <QSizeF>
#include <QString>
#include <optional>

class QComboBox;
class QFrame;
class QLabel;
class QPushButton;

namespace listwindow {

struct EditDialogDesign {
  QString objectName;
  // The place is kept under placePrefix & "Left" and & "Top" (& "Width" and & "Height" too when
  // the dialog can be resized).
  QString placePrefix;
  QSizeF windowTwips;  // the design size of the whole window, frame included
  QSizeF clientTwips;  // the design size of its inner area
  bool resizable = false;
  // The key of section "Option" that keeps the last saved category; empty for none.
  QString classKey;
};

class EditDialog : public QDialog {
  Q_OBJECT
public:
  explicit EditDialog(EditDialogDesign design, QWidget* parent = nullptr);
  ~EditDialog() override;

  // "" until a save succeeds; then the group (category or day) to reload.
  QString SavedClass;
  // The id of the record being modified, as text; "" for a new record.
  QString Tag;
  std::optional<qint64> RecordId() const;

  // Opens the dialog on an existing record: its id and its row, which the dialog reads into its
  // fields (the row is not kept).
  void Modify(qint64 id, datastore::RowSet& row);

public slots:
  virtual void cmdOk_Click() = 0;
  void cmdCancel_Click() { reject(); }
  void cmdHelp_Click();

protected:
  virtual void LoadRecord(datastore::RowSet& row) = 0;
  // The dialog's own Ctrl keys beyond Ctrl+Enter; true when the key was used.
  virtual bool Form_KeyDown(QKeyEvent* event);

  // The white band of the top, 1050 twips high and as wide as the window: the bold heading, the
  // hint below it and the grey line at its foot.
  void MakeBand(const QString& heading, const QString& hint);
  QFrame* Picture1 = nullptr;
  QLabel* Label3 = nullptr;
  QLabel* Label4 = nullptr;
  QFrame* Line1 = nullptr;

  QPushButton* MakeButton(const char* name, const QString& caption);
  // Design places are in twips.
  static int Px(double twips);
  static void Place(QWidget* w, double left, double top, double width, double height);
  // The data store's input check on a text box or an editable combo box.
  static bool IsCheckInputTrue(QWidget* field, const QString& caption, bool blnNull, bool blnNumeric, bool blnDate,
                               bool blnSign);
  // Fills the category box from the family's category rows; the last saved category is
  // preselected when the rows could be read.
  void FillClasses(QComboBox* box, datastore::RowSetPtr rows, const QString& field);
  // A successful save: hands the group back, remembers the category, closes the dialog.
  void Saved(const QString& group, const QString& category = QString());

  const EditDialogDesign& Design() const { return design_; }

  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void done(int result) override;  // keeps the place
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void LoadPlace();
  void SavePlace();

  EditDialogDesign design_;
};

} // namespace listwindow
