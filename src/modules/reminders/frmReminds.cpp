#include "modules/reminders/frmReminds.h"

#include "modules/listwindow/icons.h"
#include "modules/listwindow/modStart.h"
#include "modules/reminders/RemindTimer.h"
#include "modules/reminders/frmRemindsEdit.h"
#include "platform/vb.h"

#include <QApplication>
#include <QPainter>
#include <QTimer>
#include <algorithm>

using listwindow::TreeNode;

namespace {

listwindow::ListWindowParams RemindsParams() {
  listwindow::ListWindowParams p;
  p.objectName = "frmReminds";
  using datastore::clsDate;
  p.family = {&clsDate::Reminds_GetClass,    &clsDate::Reminds_GetRecordSet, &clsDate::Reminds_GetModify, nullptr,
              &clsDate::Reminds_DeleteClass, &clsDate::Reminds_Delete,       &clsDate::Reminds_ModifyColor};
  p.titleText = "计划任务提醒";
  p.rootText = "所有计划任务提醒";
  p.groupKind = listwindow::GroupKind::Day;
  p.classField = "remindsgroup";
  p.groupField = "remindstime";
  p.idField = "remindsid";
  p.markField = "remindsstring1";
  using reminders::Status;
  p.images.insert(reminders::kGroupImage, QIcon(listwindow::FolderPixmap(QColor(0xF0, 0xC8, 0x50))));
  for (const Status status : {Status::Daily, Status::Pending, Status::Past})
    p.images.insert(reminders::ImageKey(status), frmReminds::StatusIcon(status));
  p.groupImageKey = reminders::kGroupImage;
  p.recordImageKey = reminders::ImageKey(Status::Pending);
  p.moduleIcon = listwindow::PagePixmap(QColor(0xE0, 0x80, 0x20));
  p.historySection = "Reminds";
  p.fourthName = "LabRefresh";
  p.fourthCaption = "&R.刷新";
  p.fourthKey = Qt::Key_R;
  p.addCaption = "增加计划任务提醒";
  p.modifyCaption = "修改计划任务提醒";
  p.groupDeleteTail = " 的所有提醒信息吗？";
  p.recordDeleteTail = " 的提醒信息吗？";
  p.recountAfterDelete = true;
  p.rootEnabling = {false, false, false, std::nullopt};
  p.groupEnabling = {false, true, false, std::nullopt};
  p.recordEnabling = {true, true, true, std::nullopt};
  return p;
}

} // namespace

frmReminds::frmReminds(QWidget* parent)
    : ListWindow(RemindsParams(), parent), Firing(new reminders::RemindTimer(this)), Timer1(Firing->Timer1) {
  LabRefresh = FourthButton;
  treeOwed_ = new QTimer(this);
  treeOwed_->setInterval(1000);
  connect(treeOwed_, &QTimer::timeout, this, [this] {
    if (QApplication::activeModalWidget()) return;
    treeOwed_->stop();
    LoadTree(QString());
  });
  Firing->NewDay = [this] { NewDay(); };
  Form_Load();
}

void frmReminds::NewDay() {
  if (!QApplication::activeModalWidget()) {
    LoadTree(QString());
    return;
  }
  // The tree waits: the command that opened the modal box or dialog still holds its nodes. The
  // new day's reminders do not.
  const reminders::LoadMoment at = Firing->BeginLoad();
  QHash<qint64, reminders::DueEntry> due;
  std::vector<reminders::DueEntry> list;
  for (datastore::RowSetPtr rs = modStart::objDate().Reminds_GetRecordSet(); rs && !rs->Eof(); rs->MoveNext()) {
    std::optional<reminders::DueEntry> entry;
    reminders::JudgeRow(*rs, at, entry);
    if (entry && entry->id > 0) {
      due.insert(entry->id, *entry);
      list.push_back(std::move(*entry));
    }
  }
  // A delete before the tree's load rebuilds the list from these, not from the old day's.
  due_ = std::move(due);
  Firing->SetDueList(std::move(list));
  treeOwed_->start();
}

frmReminds::~frmReminds() = default;

QIcon frmReminds::StatusIcon(reminders::Status status) {
  // A page with a dot in its corner: blue every day, green still to come, grey passed.
  const QColor dot = status == reminders::Status::Daily     ? QColor(0x20, 0x50, 0xD0)
                     : status == reminders::Status::Pending ? QColor(0x20, 0xA0, 0x30)
                                                            : QColor(0x90, 0x90, 0x90);
  QPixmap page = listwindow::PagePixmap(QColor(0x80, 0x80, 0x80));
  QPainter painter(&page);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::white);
  painter.setBrush(dot);
  painter.drawEllipse(QRectF(8.5, 8.5, 7, 7));
  painter.end();
  return QIcon(page);
}

void frmReminds::LabRefresh_Click() { LoadTree(QString()); }

QString frmReminds::ReminderNodeText(const QVariant& time, const QString& title, const QString& content) {
  const QString stored = time.toString();
  // "yyyy-mm-dd hh:nn:ss" holds its "hh:mm" as it is.
  const bool iso = stored.size() == 19 && stored[10] == u' ' && stored[13] == u':';
  const QString hhmm = iso ? stored.mid(11, 5) : vb::Format(time, "hh:mm");
  return hhmm + "：" + title + "（" + modStart::ShortenText(content) + "）";
}

// ReminderNodeText straight from the row's UTF-8 when the time is stored as the data set writes
// it, with no value built per field: this runs for every reminder of a whole-tree load.
QString frmReminds::RecordNodeText(datastore::RowSet& rs) {
  const QByteArrayView time = rs.Utf8("remindstime");
  if (time.size() != 19 || time[10] != ' ' || time[13] != ':')
    return ReminderNodeText(rs.Fields("remindstime"), rs.Fields("remindstitle").toString(),
                            rs.Fields("remindscontent").toString());
  const QByteArrayView title = rs.Utf8("remindstitle");
  const QByteArrayView content = rs.Utf8("remindscontent");
  QString text(5 + modStart::Utf8Room(title) + modStart::ExcerptRoom(content) + 3, Qt::Uninitialized);
  QChar* out = text.data();
  for (const char c : time.sliced(11, 5)) *out++ = QLatin1Char(c);
  *out++ = u'：';
  out = modStart::AppendUtf8(out, title);
  *out++ = u'（';
  out = modStart::AppendExcerpt(out, content);
  *out++ = u'）';
  text.resize(out - text.constData());
  return text;
}

const reminders::LoadMoment& frmReminds::Moment() {
  if (!load_) load_ = Firing->BeginLoad();
  return *load_;
}

void frmReminds::RecordLoaded(TreeNode& node, datastore::RowSet& rs) {
  std::optional<reminders::DueEntry> entry;
  const reminders::RowJudgement judged = reminders::JudgeRow(rs, Moment(), entry);
  SetNodeImage(node, reminders::ImageKey(judged.status));
  pendingToday_ = pendingToday_ || judged.pendingToday;
  if (entry)
    due_.insert(node.Id(), std::move(*entry));
  else
    due_.remove(node.Id());
}

TreeNode* frmReminds::NodeToSelect(const QString& strClass) {
  const reminders::LoadMoment& at = Moment();  // a load that found no rows starts here
  if (!strClass.isEmpty()) return Node("c" + strClass);
  TreeNode* day = pendingToday_ ? Node("c" + vb::Format(at.now, "yyyy年mm月dd日")) : nullptr;
  if (day && day->ChildCount() > 0) {
    SetExpanded(day, true);
    return day->Child(0);
  }
  return Root();
}

void frmReminds::ShowRecordCount() {
  ListWindow::ShowRecordCount();
  // Tree order is the order in which the nodes were added.
  std::vector<std::pair<quint32, reminders::DueEntry>> inTree;
  for (auto it = due_.begin(); it != due_.end();) {
    const TreeNode* node = Node("_" + QString::number(it.key()));
    if (!node) {
      it = due_.erase(it);
      continue;
    }
    inTree.emplace_back(node->Order(), it.value());
    ++it;
  }
  std::sort(inTree.begin(), inTree.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<reminders::DueEntry> list;
  list.reserve(inTree.size());
  for (auto& [index, entry] : inTree) list.push_back(std::move(entry));
  Firing->SetDueList(std::move(list));
  load_.reset();
  pendingToday_ = false;
}

std::unique_ptr<listwindow::EditDialog> frmReminds::MakeDialog() { return std::make_unique<frmRemindsEdit>(); }
