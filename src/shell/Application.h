#pragma once
// The program's application object: a last resort for an error that leaves an event handler.

#include <QApplication>

namespace modStart {

class Application : public QApplication {
  Q_OBJECT
public:
  Application(int& argc, char** argv);
  // Delivers the event; an exception that leaves its handler is shown in the error box and the
  // program goes on, where it would otherwise end it and lose what the user has not saved.
  bool notify(QObject* receiver, QEvent* event) override;
};

} // namespace modStart
