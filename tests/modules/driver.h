#pragma once
// Helpers shared by the module window tests: a window shown at a working size, a dialog shown as
// the active window, a driver for a dialog the window shows modally, and the texts and keys of
// tree nodes.

#include "modules/listwindow/NodeModel.h"

#include <QApplication>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

// The window shown at 900 x 600, once it is on the screen.
template <class W>
std::unique_ptr<W> Shown(std::unique_ptr<W> w) {
  w->resize(900, 600);
  w->show();
  if (!QTest::qWaitForWindowExposed(w.get())) qWarning("window not exposed");
  return w;
}

// Closes the one window of its kind that outlives the test's windows (the ledger query window),
// once it is gone.
template <class W>
void CloseDefault() {
  if (W* w = W::Default()) {
    w->close();
    QTRY_VERIFY(!W::Default());
  }
}

// The dialog shown and made the active window, so it gets the keys a test types.
template <class D>
std::unique_ptr<D> Active(std::unique_ptr<D> d) {
  d->show();
  d->activateWindow();
  [[maybe_unused]] const bool active = QTest::qWaitForWindowActive(d.get());
  return d;
}

// Runs `action` on the dialog of type D as soon as it is shown modally; `seen` tells whether one
// opened.
template <class D>
class ModalDriver : public QObject {
public:
  explicit ModalDriver(std::function<void(D&)> action) : action_(std::move(action)) {
    connect(&timer_, &QTimer::timeout, this, [this] {
      auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget());
      if (!dialog) return;
      timer_.stop();
      seen = true;
      caption = dialog->windowTitle();
      action_(*dialog);
    });
    timer_.start(10);
  }
  bool seen = false;
  QString caption;

private:
  std::function<void(D&)> action_;
  QTimer timer_;
};

// The texts of a node's children; none for a missing node.
inline QStringList Children(const listwindow::TreeNode* node) {
  QStringList texts;
  for (int i = 0; node && i < node->ChildCount(); ++i) texts << node->Child(i)->Text();
  return texts;
}

// The key of a record's node.
inline QString Key(qint64 id) { return "_" + QString::number(id); }
