#include "modules/reminders/frmRemindsView.h"

#include "modules/reminders/RemindDue.h"
#include "platform/ui.h"
#include "modules/listwindow/modStart.h"

#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace {
QPointer<frmRemindsView> g_view;
}

frmRemindsView::frmRemindsView() : QWidget(nullptr, Qt::Window) {
  setObjectName("frmRemindsView");
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle("计划任务提醒");

  auto* header = new QWidget(this);
  header->setObjectName("picTop");
  header->setAutoFillBackground(true);
  QPalette white = header->palette();
  white.setColor(QPalette::Window, Qt::white);
  header->setPalette(white);

  LabTime = new QLabel(header);
  LabTime->setObjectName("LabTime");
  LabTime->setTextFormat(Qt::PlainText);
  LabTitle = new QLabel(header);
  LabTitle->setObjectName("LabTitle");
  LabTitle->setTextFormat(Qt::PlainText);  // a title is never markup
  LabTitle->setWordWrap(true);
  QFont bold = LabTitle->font();
  bold.setBold(true);
  LabTitle->setFont(bold);

  auto* headerLayout = new QVBoxLayout(header);
  headerLayout->addWidget(LabTime);
  headerLayout->addWidget(LabTitle);

  txtContent = new QPlainTextEdit(this);
  txtContent->setObjectName("txtContent");
  txtContent->setReadOnly(true);
  txtContent->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(header);
  layout->addWidget(txtContent, 1);

  resize(420, 280);
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
  // Above every window, whatever the "Most" option says.
  modStart::SetTopMost(this, false);
}

frmRemindsView* frmRemindsView::Instance() { return g_view; }

void frmRemindsView::ShowReminder(const QDateTime& due, const reminders::DueEntry& entry) {
  if (!g_view) g_view = new frmRemindsView;
  g_view->LabTime->setText(reminders::FiringTimeText(due));
  g_view->LabTitle->setText(entry.title);
  // Stored with CR LF; the box shows plain line breaks.
  g_view->txtContent->setPlainText(QString(entry.content).replace("\r\n", "\n"));
  g_view->Tag = entry.file;
  g_view->show();
  g_view->raise();
  g_view->activateWindow();
}

void frmRemindsView::Form_Activate() {
  if (modStart::objDate().objConn.State() == 0) {
    close();
    return;
  }
  if (blnActivated) return;
  blnActivated = true;
  // Once the pop-up is drawn: the file's program, or the box saying it could not start, comes
  // after it.
  QTimer::singleShot(0, this, [this] {
    if (!Tag.isEmpty() && !platform::ShellOpen(Tag))
      platform::MsgBox("打开提醒时打开 " + Tag + " 文件出错。", platform::MsgButtons::OK, platform::MsgIcon::Critical,
                       "发生错误");
  });
}

bool frmRemindsView::event(QEvent* event) {
  const bool handled = QWidget::event(event);
  if (event->type() == QEvent::WindowActivate) Form_Activate();
  return handled;
}
