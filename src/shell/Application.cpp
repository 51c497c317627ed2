#include "shell/Application.h"

#include "platform/ui.h"

#include <exception>

namespace modStart {

namespace {

void ShowUnexpected(const QString& description) {
  platform::MsgBox(QStringLiteral("程序运行时发生错误，") + description, platform::MsgButtons::OK,
                   platform::MsgIcon::Critical, QStringLiteral("发生错误"));
}

} // namespace

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {}

bool Application::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& e) {
    ShowUnexpected(QString::fromUtf8(e.what()));
  } catch (...) {
    ShowUnexpected(QStringLiteral("未知错误"));
  }
  return false;
}

} // namespace modStart
