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
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextFormat>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>
#include <QtMath>
#include <algorithm>
#include <memory>

namespace {

QPointer<frmRemindsView> g_view;

// The most lines of the title shown at once; a longer title scrolls, so the content keeps its room.
constexpr int kTitleLines = 4;

// The title in the header: read only, wrapped wherever it must (a title stored by another tool may
// hold a long run without a break), as tall as the wrapped title up to kTitleLines lines. It takes
// no focus, so the keys go to the content.
class TitleBox : public QTextEdit {
public:
  explicit TitleBox(QWidget* parent) : QTextEdit(parent) {
    setReadOnly(true);
    setTextInteractionFlags(Qt::NoTextInteraction);
    setFocusPolicy(Qt::NoFocus);
    viewport()->setFocusPolicy(Qt::NoFocus);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    document()->setDocumentMargin(0);
    viewport()->setAutoFillBackground(false);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);  // the content takes the rest
  }
  bool hasHeightForWidth() const override { return true; }
  int heightForWidth(int width) const override {
    std::unique_ptr<QTextDocument> doc(document()->clone());
    doc->setTextWidth(width - 2 * frameWidth());
    return std::min(qCeil(doc->size().height()), fontMetrics().height() * kTitleLines) + 2 * frameWidth();
  }
  QSize sizeHint() const override {
    const int width = QTextEdit::sizeHint().width();
    return {width, heightForWidth(width)};
  }
  QSize minimumSizeHint() const override { return {0, fontMetrics().height()}; }

  void SetTitle(const QString& title) {
    setPlainText(title);  // a title is never markup
    // Every line as high as the font's own, as a label spaces them: a glyph of a fallback font
    // would make it taller by a fraction of a pixel, and show a scroll bar for a title that fits.
    QTextCursor all(document());
    all.select(QTextCursor::Document);
    QTextBlockFormat lines;
    lines.setLineHeight(fontMetrics().height(), QTextBlockFormat::FixedHeight);
    all.mergeBlockFormat(lines);
    // The wheel moves by whole lines, so no line shows cut in half.
    verticalScrollBar()->setSingleStep(fontMetrics().height());
  }

protected:
  // Scrolls only: a zoom would leave the header's height behind.
  void wheelEvent(QWheelEvent* event) override { QAbstractScrollArea::wheelEvent(event); }
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
  LabTitle = new TitleBox(header);
  LabTitle->setObjectName("LabTitle");
  QFont bold = LabTitle->font();
  bold.setBold(true);
  LabTitle->setFont(bold);
  // Drawn as the time label is: the header's white, the label's text colour.
  QPalette title = white;
  title.setColor(QPalette::Text, title.color(QPalette::WindowText));
  LabTitle->setPalette(title);

  auto* headerLayout = new QVBoxLayout(header);
  headerLayout->addWidget(LabTime);
  headerLayout->addWidget(LabTitle);

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
  static_cast<TitleBox*>(view->LabTitle)->SetTitle(entry.title);
  // Stored with CR LF; the box shows plain line breaks.
  view->txtContent->setPlainText(QString(entry.content).replace("\r\n", "\n"));
  view->Tag = entry.file;
  // Under a modal box or dialog it would be held behind it, unable to close: it goes above it.
  if (QApplication::activeModalWidget()) view->setWindowModality(Qt::ApplicationModal);
  // The keys (select all, copy, page down) act on the content.
  view->txtContent->setFocus();
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
