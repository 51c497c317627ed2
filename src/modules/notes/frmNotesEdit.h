#pragma once
// The notes editor: the modal dialog in which one note is written or changed.

#include <QDialog>
#include <QString>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QFrame;

class frmNotesEdit : public QDialog {
  Q_OBJECT
public:
  // Builds the dialog and runs its load (category list, defaults, position, font). The opener
  // then sets the caption (setWindowTitle) and, for a modification, Tag, txtTitle's text and
  // TitleTag, txtContent's text and cobClass's text, and shows it with exec().
  explicit frmNotesEdit(QWidget* parent = nullptr);
  ~frmNotesEdit() override;

  // "" until a save succeeds; then the category of the saved note.
  QString SavedClass;
  // The id of the note being modified, as text; "" for a new note.
  QString Tag;
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
  void cmdOk_Click();
  void cmdCancel_Click();
  void cmdFind_Click();
  void FindNext();
  void cmdExp_Click();
  void cmdImp_Click();
  void labFont_Click();

protected:
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void done(int result) override;  // runs the unload (stores position and size)
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void Form_Load();
  void Form_Unload();
  void Form_Resize();
  void LoadFontSettings();
  void PlaceControls();
  // Key preview: Ctrl+F and Ctrl+Enter from any field; true when the key was used.
  bool Form_KeyDown(QKeyEvent* event);

  QFrame* Picture1 = nullptr;
  QFrame* Line1 = nullptr;
  QLabel* Label3 = nullptr;
  QLabel* Label4 = nullptr;
};
