#include "platform/widgets/widgetui.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QGuiApplication>
#include <QGroupBox>
#include <QInputDialog>
#include <QMessageBox>
#include <QStandardPaths>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace platform {

namespace {

QMessageBox::Icon ToQtIcon(MsgIcon icon) {
  switch (icon) {
  case MsgIcon::Critical:
    return QMessageBox::Critical;
  case MsgIcon::Question:
    return QMessageBox::Question;
  case MsgIcon::Exclamation:
    return QMessageBox::Warning;
  case MsgIcon::Information:
    return QMessageBox::Information;
  case MsgIcon::None:
    break;
  }
  return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons ToQtButtons(MsgButtons buttons) {
  switch (buttons) {
  case MsgButtons::OK:
    return QMessageBox::Ok;
  case MsgButtons::OKCancel:
    return QMessageBox::Ok | QMessageBox::Cancel;
  case MsgButtons::YesNo:
    return QMessageBox::Yes | QMessageBox::No;
  case MsgButtons::YesNoCancel:
    break;
  }
  return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
}

// A box belongs to the window the user works in: the modal dialog on top, else the active
// window, else the main window. Owned by the main window, a box over a modal editor raises the
// main window (kept on top) above the editor until the box is closed.
QWidget* BoxOwner() {
  if (QWidget* modal = QApplication::activeModalWidget()) return modal;
  if (QWidget* active = QApplication::activeWindow()) return active;
  return DialogParent();
}

// Starts `program` with one argument, detached: the child of a child that ends at once, so no
// finished process of ours is left behind. False when it could not be started. The program starts
// with every signal's default handling and none blocked, whatever ours are (SIGXFSZ is ignored).
bool StartDetached(const QString& program, const QString& argument) {
  const QString path = QStandardPaths::findExecutable(program);
  if (path.isEmpty()) return false;
  const QByteArray file = QFile::encodeName(path);
  QByteArray arg = argument.toLocal8Bit();
  char* const argv[] = {const_cast<char*>(file.constData()), arg.data(), nullptr};
  int report[2];
  if (pipe2(report, O_CLOEXEC) != 0) return false;
  // No handler of ours may run in a child before its signals are reset.
  sigset_t all, old;
  sigfillset(&all);
  pthread_sigmask(SIG_SETMASK, &all, &old);
  const pid_t child = fork();
  if (child == 0) {
    // Only async-signal-safe calls from here on.
    close(report[0]);
    setsid();
    const pid_t grandchild = fork();
    if (grandchild == 0) {
      struct sigaction fallback {};
      fallback.sa_handler = SIG_DFL;
      for (int sig = 1; sig < NSIG; ++sig) sigaction(sig, &fallback, nullptr);
      sigset_t none;
      sigemptyset(&none);
      sigprocmask(SIG_SETMASK, &none, nullptr);
      execv(argv[0], argv);
    }
    // Here only when the fork or the exec failed. The write end closes on a successful exec, so
    // anything written means the start failed.
    if (grandchild <= 0) {
      const int error = errno;
      (void)!write(report[1], &error, sizeof error);
      _exit(127);
    }
    _exit(0);
  }
  pthread_sigmask(SIG_SETMASK, &old, nullptr);
  close(report[1]);
  if (child < 0) {
    close(report[0]);
    return false;
  }
  while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
  }
  int error = 0;
  ssize_t got;
  while ((got = read(report[0], &error, sizeof error)) < 0 && errno == EINTR) {
  }
  close(report[0]);
  return got == 0;
}

} // namespace

MsgResult WidgetUi::MsgBox(const QString& text, MsgButtons buttons, MsgIcon icon, const QString& title) {
  // Offscreen nobody sees the box, nor while the program ends: say it where a script can read it.
  if (leaving_ || QGuiApplication::platformName() == QLatin1String("offscreen"))
    std::fprintf(stderr, "%s\n%s\n", title.toUtf8().constData(), text.toUtf8().constData());
  if (leaving_)
    return buttons == MsgButtons::OK      ? MsgResult::OK
           : buttons == MsgButtons::YesNo ? MsgResult::No
                                          : MsgResult::Cancel;
  QWidget* const owner = BoxOwner();
  QMessageBox box(ToQtIcon(icon), title, text, ToQtButtons(buttons), owner);
  // With no window of ours under it (a second copy's notice, a failure before the main window)
  // nothing would lift the box: a running copy's main window, kept on top, would hide it.
  if (!owner) box.setWindowFlag(Qt::WindowStaysOnTopHint);
  // Esc answers the last button: Cancel, or No on a Yes/No box.
  if (buttons == MsgButtons::YesNo)
    box.setEscapeButton(QMessageBox::No);
  switch (box.exec()) {
  case QMessageBox::Ok:
    return MsgResult::OK;
  case QMessageBox::Yes:
    return MsgResult::Yes;
  case QMessageBox::No:
    return MsgResult::No;
  default:
    break;
  }
  return buttons == MsgButtons::OK ? MsgResult::OK : MsgResult::Cancel;
}

QString WidgetUi::InputBox(const QString& prompt, const QString& title, const QString& defaultText) {
  if (leaving_) return QString();
  bool ok = false;
  const QString answer =
      QInputDialog::getText(BoxOwner(), title, prompt, QLineEdit::Normal, defaultText, &ok);
  return ok ? answer : QString();
}

std::optional<QString> WidgetUi::FileDialog(const FileDialogRequest& request) {
  if (leaving_) return std::nullopt;
  QFileDialog dialog(BoxOwner(), request.title);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  if (!request.filter.isEmpty()) {
    // Each filter reads as the program names it ("所有文件(*.*)"), not as the patterns Qt is given.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilter(QtFilterFromVb(request.filter));
  }
  if (request.save) {
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.overwritePrompt);
  } else {
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(request.mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  }
  if (!request.fileName.isEmpty()) {
    const QFileInfo preset(request.fileName);
    if (preset.isAbsolute() || request.fileName.contains(u'/'))
      dialog.setDirectory(preset.absolutePath());
    dialog.selectFile(preset.fileName());
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
    return std::nullopt;
  return dialog.selectedFiles().constFirst();
}

std::optional<QColor> WidgetUi::ColorDialog(const QColor& initial) {
  if (leaving_) return std::nullopt;
  const QColor chosen = QColorDialog::getColor(initial, BoxOwner(), QString(), QColorDialog::DontUseNativeDialog);
  if (!chosen.isValid())
    return std::nullopt;
  return chosen;
}

std::optional<FontChoice> WidgetUi::FontDialog(const FontChoice& initial) {
  if (leaving_) return std::nullopt;
  QFont font;
  initial.ApplyTo(font);
  QFontDialog dialog(font, BoxOwner());
  dialog.setOption(QFontDialog::DontUseNativeDialog);
  // Only name, style and size are offered: the effects (strike-out, underline) are not.
  for (QCheckBox* effect : dialog.findChildren<QCheckBox*>()) {
    effect->hide();
    if (auto* group = qobject_cast<QGroupBox*>(effect->parentWidget())) group->hide();
  }
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  FontChoice chosen = FontChoice::FromFont(dialog.selectedFont());
  chosen.strikethrough = initial.strikethrough;
  chosen.underline = initial.underline;
  return chosen;
}

bool WidgetUi::ShellOpen(const QString& target) {
  // The desktop's opener gets the path or address as one argument, as it was typed or chosen:
  // no shell parses it, and no scheme is added or rewritten. Only a leading "-" would read as an
  // option: an existing file goes by its absolute path, anything else is refused.
  QString argument = target;
  if (target.startsWith(u'-')) {
    if (!QFileInfo::exists(target)) return false;
    argument = QFileInfo(target).absoluteFilePath();
  }
  return StartDetached(QStringLiteral("xdg-open"), argument);
}

} // namespace platform
