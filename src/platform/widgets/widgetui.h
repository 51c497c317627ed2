#pragma once
// The program's backend of the platform services: Qt's message box, input dialog, file, colour
// and font dialogs, and the desktop's opener (xdg-open).

#include "platform/ui.h"

namespace platform {

class WidgetUi : public UiBackend {
public:
  MsgResult MsgBox(const QString& text, MsgButtons buttons, MsgIcon icon, const QString& title) override;
  QString InputBox(const QString& prompt, const QString& title, const QString& defaultText) override;
  std::optional<QString> FileDialog(const FileDialogRequest& request) override;
  std::optional<QColor> ColorDialog(const QColor& initial) override;
  std::optional<FontChoice> FontDialog(const FontChoice& initial) override;
  bool ShellOpen(const QString& target) override;
};

} // namespace platform
