#include "platform/ui.h"

namespace platform {

namespace {

MsgResult LastButton(MsgButtons buttons) {
  switch (buttons) {
  case MsgButtons::OK:
    return MsgResult::OK;
  case MsgButtons::YesNo:
    return MsgResult::No;
  case MsgButtons::OKCancel:
  case MsgButtons::YesNoCancel:
    break;
  }
  return MsgResult::Cancel;
}

// The backend used while none is installed: no window, no record, the empty-queue answers.
class SilentUi : public UiBackend {
public:
  MsgResult MsgBox(const QString&, MsgButtons buttons, MsgIcon, const QString&) override { return LastButton(buttons); }
  QString InputBox(const QString&, const QString&, const QString&) override { return QString(); }
  std::optional<QString> FileDialog(const FileDialogRequest&) override { return std::nullopt; }
  std::optional<QColor> ColorDialog(const QColor&) override { return std::nullopt; }
  std::optional<FontChoice> FontDialog(const FontChoice&) override { return std::nullopt; }
  bool ShellOpen(const QString&) override { return true; }
};

SilentUi silentUi;
UiBackend* installed = nullptr;
QWidget* dialogParent = nullptr;

template <typename T>
std::optional<T> Pop(std::deque<std::optional<T>>& queue) {
  if (queue.empty())
    return std::nullopt;
  std::optional<T> answer;
  answer.swap(queue.front());
  queue.pop_front();
  return answer;
}

} // namespace

FontChoice FontChoice::FromFont(const QFont& font) {
  FontChoice choice;
  choice.name = font.family();
  choice.size = font.pointSizeF() > 0 ? font.pointSizeF() : choice.size;
  choice.bold = font.bold();
  choice.italic = font.italic();
  choice.strikethrough = font.strikeOut();
  choice.underline = font.underline();
  return choice;
}

void FontChoice::ApplyTo(QFont& font) const {
  if (!name.isEmpty())
    font.setFamily(name);
  if (size > 0)
    font.setPointSizeF(size);
  font.setBold(bold);
  font.setItalic(italic);
  font.setStrikeOut(strikethrough);
  font.setUnderline(underline);
}

void SetUiBackend(UiBackend* backend) { installed = backend; }
UiBackend& Ui() { return installed ? *installed : silentUi; }

void SetDialogParent(QWidget* parent) { dialogParent = parent; }
QWidget* DialogParent() { return dialogParent; }

MsgResult MsgBox(const QString& text, MsgButtons buttons, MsgIcon icon, const QString& title) {
  return Ui().MsgBox(text, buttons, icon, title);
}
QString InputBox(const QString& prompt, const QString& title, const QString& defaultText) {
  return Ui().InputBox(prompt, title, defaultText);
}
std::optional<QString> FileDialog(const FileDialogRequest& request) { return Ui().FileDialog(request); }

FileDialogRequest SaveRequest(const QString& title, const QString& fileName, const QString& filter) {
  FileDialogRequest request;
  request.title = title;
  request.fileName = fileName;
  request.filter = filter;
  request.save = true;
  request.overwritePrompt = true;
  request.mustExist = false;
  return request;
}

std::optional<QColor> ColorDialog(const QColor& initial) { return Ui().ColorDialog(initial); }
std::optional<FontChoice> FontDialog(const FontChoice& initial) { return Ui().FontDialog(initial); }
bool ShellOpen(const QString& target) { return Ui().ShellOpen(target); }

QString QtFilterFromVb(const QString& vbFilter) {
  const QStringList parts = vbFilter.split(u'|');
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QStringList patterns = parts[i + 1].split(u';', Qt::SkipEmptyParts);
    for (QString& p : patterns) {
      p = p.trimmed();
      // "*.*" names every file, as on the platform these filters come from, not only dotted names.
      if (p == QLatin1String("*.*")) p = QStringLiteral("*");
    }
    filters << parts[i].trimmed() + QStringLiteral(" (") + patterns.join(u' ') + u')';
  }
  return filters.join(QStringLiteral(";;"));
}

TestUi::TestUi() : previous_(installed) { SetUiBackend(this); }

TestUi::~TestUi() { SetUiBackend(previous_); }

std::vector<ShownMessage> TestUi::Messages() const {
  std::vector<ShownMessage> messages;
  for (const ShownMessage& m : shown)
    if (m.kind == ShownMessage::Message)
      messages.push_back(m);
  return messages;
}

QStringList TestUi::Opened() const {
  QStringList targets;
  for (const ShownMessage& m : shown)
    if (m.kind == ShownMessage::ShellOpen)
      targets << m.text;
  return targets;
}

MsgResult TestUi::MsgBox(const QString& text, MsgButtons buttons, MsgIcon icon, const QString& title) {
  ShownMessage m;
  m.kind = ShownMessage::Message;
  m.text = text;
  m.title = title;
  m.icon = icon;
  m.buttons = buttons;
  shown.push_back(m);
  if (msgAnswers.empty())
    return LastButton(buttons);
  const MsgResult answer = msgAnswers.front();
  msgAnswers.pop_front();
  return answer;
}

QString TestUi::InputBox(const QString& prompt, const QString& title, const QString& defaultText) {
  ShownMessage m;
  m.kind = ShownMessage::Input;
  m.text = prompt;
  m.title = title;
  m.defaultText = defaultText;
  shown.push_back(m);
  if (inputAnswers.empty())
    return QString();
  QString answer = inputAnswers.front();
  inputAnswers.pop_front();
  return answer;
}

std::optional<QString> TestUi::FileDialog(const FileDialogRequest& request) {
  ShownMessage m;
  m.kind = ShownMessage::FileDialog;
  m.text = request.title;
  m.defaultText = request.fileName;
  m.file = request;
  shown.push_back(m);
  return Pop(fileAnswers);
}

std::optional<QColor> TestUi::ColorDialog(const QColor& initial) {
  ShownMessage m;
  m.kind = ShownMessage::ColorDialog;
  m.defaultText = initial.name();
  shown.push_back(m);
  return Pop(colorAnswers);
}

std::optional<FontChoice> TestUi::FontDialog(const FontChoice& initial) {
  ShownMessage m;
  m.kind = ShownMessage::FontDialog;
  m.defaultText = initial.name;
  shown.push_back(m);
  return Pop(fontAnswers);
}

bool TestUi::ShellOpen(const QString& target) {
  ShownMessage m;
  m.kind = ShownMessage::ShellOpen;
  m.text = target;
  shown.push_back(m);
  return shellOpenSucceeds;
}

} // namespace platform
