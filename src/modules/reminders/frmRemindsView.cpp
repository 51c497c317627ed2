#include "modules/reminders/frmRemindsView.h"

#include "modules/reminders/RemindDue.h"
#include "platform/ui.h"
#include "modules/listwindow/modStart.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScreen>
#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>

namespace {

QPointer<frmRemindsView> g_view;

// The most lines of the title shown at once; a longer title scrolls, so the content keeps its room.
constexpr int kTitleLines = 4;

// The title's place in the header: as tall as the wrapped title, up to kTitleLines lines.
class TitleArea : public QScrollArea {
public:
  explicit TitleArea(QLabel* title, QWidget* parent) : QScrollArea(parent), title_(title) {
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setWidgetResizable(true);
    setWidget(title);
  }
  bool hasHeightForWidth() const override { return true; }
  int heightForWidth(int width) const override {
    return std::min(title_->heightForWidth(width), title_->fontMetrics().lineSpacing() * kTitleLines);
  }
  QSize sizeHint() const override {
    const int width = QScrollArea::sizeHint().width();
    return {width, heightForWidth(width)};
  }
  QSize minimumSizeHint() const override { return {0, title_->fontMetrics().lineSpacing()}; }

private:
  QLabel* title_;
};

} // namespace

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
  auto* titleArea = new TitleArea(LabTitle, header);
  titleArea->setObjectName("TitleArea");
  titleArea->setPalette(white);
  titleArea->viewport()->setAutoFillBackground(false);
  LabTitle->setAutoFillBackground(false);
  headerLayout->addWidget(titleArea);

  txtContent = new QPlainTextEdit(this);
  txtContent->setObjectName("txtContent");
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
  // Among windows that are all kept on top (the main window, a second copy's notice) the one
  // last activated comes first: whenever another window takes the focus, the pop-up goes back
  // above it.
  connect(qApp, &QGuiApplication::focusWindowChanged, this, &frmRemindsView::KeepAbove);
}

void frmRemindsView::KeepAbove(QWindow* focused) {
  // Left where the user put it: closing, or minimised.
  if (!isVisible() || isMinimized() || (focused && focused == windowHandle())) return;
  // Not over a modal window it waits on: it could not be closed, and would hide that window.
  if (QWidget* modal = QApplication::activeModalWidget(); modal && modal != this) return;
  raise();
}

frmRemindsView* frmRemindsView::Instance() { return g_view; }

frmRemindsView* frmRemindsView::ShowReminder(const QDateTime& due, const reminders::DueEntry& entry) {
  auto* view = new frmRemindsView;
  g_view = view;
  view->LabTime->setText(reminders::FiringTimeText(due));
  view->LabTitle->setText(entry.title);
  // Stored with CR LF; the box shows plain line breaks.
  view->txtContent->setPlainText(QString(entry.content).replace("\r\n", "\n"));
  view->Tag = entry.file;
  // Under a modal box or dialog it would be held behind it, unable to close: it goes above it.
  if (QApplication::activeModalWidget()) view->setWindowModality(Qt::ApplicationModal);
  view->show();
  view->raise();
  view->activateWindow();
  return view;
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

void frmRemindsView::closeEvent(QCloseEvent* event) {
  QWidget::closeEvent(event);
  if (g_view == this) g_view = nullptr;
  emit Closed();
}

bool frmRemindsView::event(QEvent* event) {
  const bool handled = QWidget::event(event);
  if (event->type() == QEvent::WindowActivate) Form_Activate();
  return handled;
}
