#include "modules/reminders/frmRemindsEdit.h"

#include "modules/listwindow/modStart.h"
#include "modules/listwindow/WindowParts.h"
#include "platform/clock.h"
#include "platform/ui.h"
#include "platform/vb.h"
#include "platform/vbcolor.h"
#include "platform/widgets/exacttext.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

constexpr qint64 kMissingFileColor = 0xC0C0FF;  // light red

listwindow::EditDialogDesign RemindsDesign() {
  return {QStringLiteral("frmRemindsEdit"), QStringLiteral("Reminds"), QSizeF(6270, 5490), QSizeF(6150, 4980), false,
          QString()};
}

// Normal, hidden and system files count; folders and unreachable places do not.
bool IsExistingFile(const QString& path) { return QFileInfo(path).isFile(); }

QComboBox* NumberBox(QWidget* parent, const char* name, int first, int last) {
  auto* box = new QComboBox(parent);
  box->setObjectName(QLatin1String(name));
  box->setEditable(true);
  box->setInsertPolicy(QComboBox::NoInsert);
  // Completion would turn a typed "2" into "20" of the list.
  box->setCompleter(nullptr);
  for (int n = first; n <= last; ++n) box->addItem(QString::number(n));
  return box;
}

} // namespace

frmRemindsEdit::frmRemindsEdit(QWidget* parent) : EditDialog(RemindsDesign(), parent) {
  setWindowTitle("计划任务提醒编辑");
  MakeBand("计划任务提醒编辑", "请您认填选择或输入正确的提醒时间");

  const QDateTime now = platform::Now();
  const int year = now.date().year();
  cobYear = NumberBox(this, "cobYear", year, year + 10);
  cobMonth = NumberBox(this, "cobMonth", 1, 12);
  cobDay = NumberBox(this, "cobDay", 1, 31);
  cobHour = NumberBox(this, "cobHour", 1, 23);
  cobMinute = NumberBox(this, "cobMinute", 1, 59);

  txtTitle = listwindow::MakeLineBox(this, "txtTitle", 100);
  txtContent = listwindow::MakeTextBox(this, "txtContent");
  txtFile = listwindow::MakeLineBox(this, "txtFile", 200);
  txtFile->setAutoFillBackground(true);
  cmdSelectFile = MakeButton("cmdSelectFile", "…");
  Check1 = new QCheckBox("对所选日期后的每天的该时间都进行提示。", this);
  Check1->setObjectName("Check1");
  cmdOk = MakeButton("cmdOk", "确定(&O)");
  cmdCancel = MakeButton("cmdCancel", "取消(&C)");
  cmdHelp = MakeButton("cmdHelp", "帮助(&H)");

  const auto label = [this](const QString& text, double left, double top, double width) {
    auto* l = new QLabel(text, this);
    Place(l, left, top, width, 300);
  };
  label("提醒时间", 165, 1275, 900);
  label("提醒主题", 165, 1725, 900);
  label("提醒内容", 165, 2175, 900);
  label("打开文件", 165, 3645, 900);
  double left = 1110;
  for (const auto& [box, unit, width] : {std::tuple{cobYear, "年", 900.0}, std::tuple{cobMonth, "月", 630.0},
                                         std::tuple{cobDay, "日", 630.0}, std::tuple{cobHour, "时", 630.0},
                                         std::tuple{cobMinute, "分", 630.0}}) {
    Place(box, left, 1245, width, 330);
    label(QString::fromUtf8(unit), left + width + 30, 1275, 240);
    left += width + 300;
  }
  Place(txtTitle, 1110, 1710, 4875, 330);
  Place(txtContent, 1110, 2160, 4875, 1320);
  Place(txtFile, 1110, 3630, 4395, 330);
  Place(cmdSelectFile, 5565, 3615, 420, 360);
  Place(Check1, 1110, 4050, 4875, 300);
  Place(cmdOk, 2415, 4470, 1095, 375);
  Place(cmdCancel, 3600, 4470, 1095, 375);
  Place(cmdHelp, 4890, 4470, 1095, 375);

  listwindow::SetTabChain({cobYear, cobMonth, cobDay, cobHour, cobMinute, txtTitle, txtContent, txtFile, cmdOk,
                           cmdCancel, cmdHelp, cmdSelectFile, Check1});
  for (QWidget* field : std::initializer_list<QWidget*>{cobYear, cobMonth, cobDay, cobHour, cobMinute, txtTitle, txtFile})
    modStart::EnterToTab(field);
  modStart::SelectAllOnFocus(txtTitle);
  modStart::SelectAllOnFocus(txtFile);

  connect(cmdOk, &QPushButton::clicked, this, &frmRemindsEdit::cmdOk_Click);
  connect(cmdCancel, &QPushButton::clicked, this, &frmRemindsEdit::cmdCancel_Click);
  connect(cmdHelp, &QPushButton::clicked, this, &frmRemindsEdit::cmdHelp_Click);
  connect(cmdSelectFile, &QPushButton::clicked, this, &frmRemindsEdit::cmdSelectFile_Click);
  connect(txtFile, &QLineEdit::textChanged, this, &frmRemindsEdit::txtFile_Change);

  cobYear->setEditText(QString::number(year));
  cobMonth->setEditText(QString::number(now.date().month()));
  cobDay->setEditText(QString::number(now.date().day()));
  const int hour = now.time().hour();
  cobHour->setEditText(QString::number(hour + 1 < 24 ? hour + 1 : hour));
  cobMinute->setEditText("0");
  txtFile_Change();
}

frmRemindsEdit::~frmRemindsEdit() = default;

void frmRemindsEdit::SetContent(const QString& text) {
  platform::SetExactText(txtContent, QString(text).replace("\r\n", "\n"));
}

QString frmRemindsEdit::Content() const { return platform::ExactText(txtContent).replace("\n", "\r\n"); }

QColor frmRemindsEdit::FileBackColor() const { return txtFile->palette().color(QPalette::Base); }

void frmRemindsEdit::LoadRecord(datastore::RowSet& row) {
  storedTime_ = vb::CDate(row.Fields("remindstime").toString());
  if (const auto& time = storedTime_) {
    const QDate d = time->date();
    const QTime t = time->time();
    cobYear->setEditText(QString::number(d.year()));
    cobMonth->setEditText(QString::number(d.month()));
    cobDay->setEditText(QString::number(d.day()));
    cobHour->setEditText(QString::number(t.hour()));
    cobMinute->setEditText(QString::number(t.minute()));
  }
  const QString title = row.Fields("remindstitle").toString();
  // An imported title may be longer than typing allows: it is kept whole.
  txtTitle->setMaxLength(qMax(txtTitle->maxLength(), int(title.size())));
  txtTitle->setText(title);
  SetContent(row.Fields("remindscontent").toString());
  Check1->setChecked(!row.Fields("remindsstring2").isNull());
  const QString file = row.Fields("remindsfile").toString();
  txtFile->setMaxLength(qMax(txtFile->maxLength(), int(file.size())));
  txtFile->setText(file);
}

void frmRemindsEdit::cmdOk_Click() {
  if (!IsCheckInputTrue(txtTitle, "提醒主题", true, false, false, true)) return;
  QString strTime = cobYear->currentText() + "-" + cobMonth->currentText() + "-" + cobDay->currentText() + " " +
                    cobHour->currentText() + ":" + cobMinute->currentText();
  const std::optional<QDateTime> time = vb::CDate(strTime);
  if (!time) {
    platform::MsgBox("请设置正确的提醒时间。", platform::MsgButtons::OK, platform::MsgIcon::Information, "提示");
    return;
  }
  // The boxes have no seconds: a reminder whose minute was left alone keeps its second, or one
  // due later in this minute would be moved into the past and never fire.
  if (storedTime_ && storedTime_->date() == time->date() && storedTime_->time().hour() == time->time().hour() &&
      storedTime_->time().minute() == time->time().minute())
    strTime = storedTime_->toString("yyyy-MM-dd hh:mm:ss");
  const QString file = txtFile->text();
  if (!file.isEmpty() && !IsExistingFile(file)) {
    platform::MsgBox("请您选择一个有效的文件名称！", platform::MsgButtons::OK, platform::MsgIcon::Exclamation, "提示");
    txtFile->setFocus();
    return;
  }
  datastore::clsDate& db = modStart::objDate();
  const int daily = Check1->isChecked() ? 1 : 0;
  const std::optional<qint64> id = RecordId();
  const qint64 saved = id ? db.Reminds_Modify(*id, strTime, txtTitle->text(), Content(), file, daily)
                          : db.Reminds_Add(strTime, txtTitle->text(), Content(), file, daily);
  if (saved < 1) return;
  Saved(vb::Format(*time, "yyyy年mm月dd日"));
}

void frmRemindsEdit::cmdSelectFile_Click() {
  platform::FileDialogRequest request;
  request.title = "请选择文件";
  request.filter = "所有文件(*.*)|*.*";
  request.mustExist = false;
  if (const std::optional<QString> chosen = platform::FileDialog(request)) txtFile->setText(*chosen);
}

void frmRemindsEdit::txtFile_Change() {
  const QString file = txtFile->text();
  QPalette pal = txtFile->palette();
  pal.setColor(QPalette::Base, !file.isEmpty() && !IsExistingFile(file) ? platform::ColorFromVb(kMissingFileColor)
                                                                        : platform::SystemWindowColor());
  txtFile->setPalette(pal);
}
