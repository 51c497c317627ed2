#include "platform/widgets/widgetui.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QGuiApplication>
#include <QGroupBox>
#include <QInputDialog>
#include <QMessageBox>
#include <QProcess>
#include <cstdio>

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
  if (!request.filter.isEmpty())
    dialog.setNameFilter(QtFilterFromVb(request.filter));
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
  // no shell parses it, and no scheme is added or rewritten.
  return QProcess::startDetached(QStringLiteral("xdg-open"), {target});
}

} // namespace platform
