#pragma once
// The message, input, file/colour/font dialog and shell-open services.
//
// Code calls the free functions below. They forward to the installed backend: the program installs
// the Qt-widget backend (platform/widgets/widgetui.h) at start-up; tests install a TestUi, queue
// the answers a user would give and read back what was shown, so no test waits on a modal window.

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>
#include <deque>
#include <optional>
#include <vector>

class QWidget;

namespace platform {

enum class MsgIcon { None, Critical, Question, Exclamation, Information };
enum class MsgButtons { OK, OKCancel, YesNo, YesNoCancel };
enum class MsgResult { OK = 1, Cancel = 2, Yes = 6, No = 7 };

// VB-style filter text: "文本文件(*.txt)|*.txt|所有文件(*.*)|*.*".
struct FileDialogRequest {
  QString title;
  QString fileName;       // preset name (save) or start file
  QString filter;
  bool save = false;      // a save dialog
  bool overwritePrompt = false; // save: ask before replacing a file
  bool mustExist = true;  // open: the chosen file must exist; false also accepts a new name
};

struct FontChoice {
  QString name;
  double size = 9;
  bool bold = false;
  bool italic = false;
  bool strikethrough = false;
  bool underline = false;

  static FontChoice FromFont(const QFont& font);
  void ApplyTo(QFont& font) const;
};

// What a service call showed; tests read these.
struct ShownMessage {
  enum Kind { Message, Input, FileDialog, ColorDialog, FontDialog, ShellOpen } kind = Message;
  QString text;     // message text, input prompt, dialog title, or opened target
  QString title;    // message or input title
  MsgIcon icon = MsgIcon::None;
  MsgButtons buttons = MsgButtons::OK;
  QString defaultText; // input default, preset file name, initial colour (#rrggbb) or font name
  FileDialogRequest file;
};

class UiBackend {
public:
  virtual ~UiBackend() = default;
  virtual MsgResult MsgBox(const QString& text, MsgButtons buttons, MsgIcon icon, const QString& title) = 0;
  // The answer, or "" when cancelled (as InputBox does).
  virtual QString InputBox(const QString& prompt, const QString& title, const QString& defaultText) = 0;
  // The chosen path, or nullopt on Cancel.
  virtual std::optional<QString> FileDialog(const FileDialogRequest& request) = 0;
  virtual std::optional<QColor> ColorDialog(const QColor& initial) = 0;
  virtual std::optional<FontChoice> FontDialog(const FontChoice& initial) = 0;
  // Opens a file or web address with the desktop's default handler; false when it could not.
  virtual bool ShellOpen(const QString& target) = 0;
};

// Installs a backend (not owned); nullptr restores the default, which shows nothing, records nothing
// and answers as an empty TestUi does (so code run without a backend never waits on a window).
void SetUiBackend(UiBackend* backend);
UiBackend& Ui();

// The main window, may be null: boxes belong to it when no modal dialog or other window of
// ours is active.
void SetDialogParent(QWidget* parent);
QWidget* DialogParent();

MsgResult MsgBox(const QString& text, MsgButtons buttons = MsgButtons::OK, MsgIcon icon = MsgIcon::None,
                 const QString& title = QString());
QString InputBox(const QString& prompt, const QString& title = QString(), const QString& defaultText = QString());
std::optional<QString> FileDialog(const FileDialogRequest& request);
// A save dialog that asks before replacing a file.
FileDialogRequest SaveRequest(const QString& title, const QString& fileName, const QString& filter);
std::optional<QColor> ColorDialog(const QColor& initial);
std::optional<FontChoice> FontDialog(const FontChoice& initial);
bool ShellOpen(const QString& target);

// A VB filter "文本文件(*.txt)|*.txt|所有文件(*.*)|*.*" as Qt's
// "文本文件(*.txt) (*.txt);;所有文件(*.*) (*)": each description as written, then the patterns after
// its '|' for Qt to read ("*.*" as "*", every file). The dialog shows only the descriptions.
QString QtFilterFromVb(const QString& vbFilter);

// A scripted backend for tests. Each call is recorded in Shown(); answers come from the queues.
// With an empty queue: a message box answers its last button (OK, Cancel or No), an input box
// answers "" and every dialog answers Cancel; ShellOpen succeeds.
class TestUi : public UiBackend {
public:
  TestUi();            // installs itself
  ~TestUi() override;  // restores the backend that was installed before it
  TestUi(const TestUi&) = delete;
  TestUi& operator=(const TestUi&) = delete;

  std::deque<MsgResult> msgAnswers;
  std::deque<QString> inputAnswers;
  std::deque<std::optional<QString>> fileAnswers;
  std::deque<std::optional<QColor>> colorAnswers;
  std::deque<std::optional<FontChoice>> fontAnswers;
  bool shellOpenSucceeds = true;

  std::vector<ShownMessage> shown;
  // Only the message boxes, in order.
  std::vector<ShownMessage> Messages() const;
  // Only the shell opens: their targets, in order.
  QStringList Opened() const;
  void Clear() { shown.clear(); }

  MsgResult MsgBox(const QString& text, MsgButtons buttons, MsgIcon icon, const QString& title) override;
  QString InputBox(const QString& prompt, const QString& title, const QString& defaultText) override;
  std::optional<QString> FileDialog(const FileDialogRequest& request) override;
  std::optional<QColor> ColorDialog(const QColor& initial) override;
  std::optional<FontChoice> FontDialog(const FontChoice& initial) override;
  bool ShellOpen(const QString& target) override;

private:
  UiBackend* previous_ = nullptr;
};

} // namespace platform
