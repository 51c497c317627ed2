#pragma once
// The program's backend of the platform services: Qt's message box, input dialog, file, colour
// and font dialogs, and the desktop's opener (xdg-open).

#include "platform/ui.h"

namespace platform {

class WidgetUi : public UiBackend {
public:
  // The program is ending (a signal): from now on no box or dialog waits for the user. Each
  // answers as if cancelled, and a box's text goes to the standard error output.
  void Leave() { leaving_ = true; }

  MsgResult MsgBox(const QString& text, MsgButtons buttons, MsgIcon icon, const QString& title) override;
  QString InputBox(const QString& prompt, const QString& title, const QString& defaultText) override;
  std::optional<QString> FileDialog(const FileDialogRequest& request) override;
  std::optional<QColor> ColorDialog(const QColor& initial) override;
  std::optional<FontChoice> FontDialog(const FontChoice& initial) override;
  bool ShellOpen(const QString& target) override;

private:
  bool leaving_ = false;
};

} // namespace platform
