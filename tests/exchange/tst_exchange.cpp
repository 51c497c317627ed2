// The record export file through the export and import dialogs: every family round trip, the
// exact line form, files from other systems and editors, and the failures a user meets.

#include "exchange/RecordFile.h"
#include "exchange/frmExp.h"
#include "exchange/frmImp.h"
#include "platform/clock.h"
#include "platform/textfile.h"
#include "platform/vb.h"
#include "filebytes.h"
#include "testenv.h"

#include <QComboBox>
#include <QFile>
#include <QSignalSpy>
#include <QStringEncoder>
#include <QTest>
#include <QTreeView>
#include <functional>
#include <memory>

using exchange::frmExp;
using exchange::frmImp;

namespace {

datastore::clsDate& db() { return modStart::objDate(); }

const QString kCrLf = QStringLiteral("\r\n");

QStringList Texts(const exchange::CheckListDialog& d) {
  QStringList texts;
  for (int i = 0; i < d.ItemCount(); ++i) texts << d.ItemText(i);
  return texts;
}

QStringList Ticked(const exchange::CheckListDialog& d) {
  QStringList keys;
  for (const int row : d.TickedRows()) keys << d.Key(row);
  return keys;
}

// Ticks or clears a row as a click on its check box does.
void Tick(const exchange::CheckListDialog& d, int row, bool ticked) {
  QAbstractItemModel* model = d.ListView1->model();
  QVERIFY(model->setData(model->index(row, 0), ticked ? Qt::Checked : Qt::Unchecked, Qt::CheckStateRole));
}

QStringList Column(const QString& table, const QString& column) {
  QStringList values;
  auto rs = db().objConn.OpenRowSet(QStringLiteral("select %2 from %1 order by %1id").arg(table, column));
  for (; !rs->Eof(); rs->MoveNext()) values << rs->Fields(column).toString();
  return values;
}

// Chooses `path` in the import dialog's open box and lists it.
void Open(TestEnv& env, frmImp& imp, const QString& path) {
  env.ui.fileAnswers.push_back(path);
  imp.cmdOpen_Click();
}

} // namespace

class tst_Exchange : public QObject {
  Q_OBJECT
private slots:
  void init() { env_ = std::make_unique<TestEnv>(true, vb::MakeDateTime(QDate(2008, 5, 3), QTime(14, 7, 9))); }
  void cleanup() { env_.reset(); }

  void noteLineExactly();
  void everyFamilyRoundTrips();
  void exportDialog();
  void enterPressesNothing();
  void unreadableRecordsWriteNoFile();
  void codePage936FileImports();
  void listingEdgeCases();
  void longFileTicksAndImport();
  void importStoresAllOrNone();
  void invalidBytesNameTheLine();

private:
  QString Path(const QString& name) const { return env_->dir.filePath(name); }
  std::unique_ptr<TestEnv> env_;
};

void tst_Exchange::noteLineExactly() {
  const qint64 marked = db().Notes_Add("会议", "第一行\r\n第二行", "工作", "255");
  const qint64 plain = db().Notes_Add("会议二", "甲\r乙\n丙", "工作", "");
  const exchange::Family& notes = *exchange::FindFamily("frmNotes");
  QCOMPARE(frmExp::GetExpText(notes, QString::number(marked)).value(),
           QStringLiteral("工作|会议|255|第一行{br}第二行|2008-05-03 14:07:09") + kCrLf);
  // A lone CR or LF is a break as well: the record stays on its one line.
  QCOMPARE(frmExp::GetExpText(notes, QString::number(plain)).value(),
           QStringLiteral("工作|会议二||甲{br}乙{br}丙|2008-05-03 14:07:09") + kCrLf);
}

void tst_Exchange::everyFamilyRoundTrips() {
  struct Case {
    QString form;
    std::function<void()> add;
  };
  // A replacement character typed by the user is text like any other.
  const QString memo = QStringLiteral("第一行\r\n第二\uFFFD行\r\n第三行");
  const std::vector<Case> cases = {
      {"frmDiary", [&] {
         db().Diary_Add("2008-05-01", "晴", memo, "255");
         db().Diary_Add("2008-05-02", "雨", "", "");
       }},
      {"frmUrl", [&] {
         db().Url_Add("甲站", "http://a.example/?q=1&r=2", memo, "网站", "65280");
         db().Url_Add("乙站", "http://b.example/", "", "网站", "");
       }},
      {"frmNotes", [&] {
         db().Notes_Add("甲", memo, "工作", "255");
         db().Notes_Add("乙", "", "工作", "");
       }},
      {"frmCard", [&] {
         db().Card_Add("朋友", "张三", "某公司", "经理", "北京\r\n海淀", "010-1", "010-2", "139", "a@b.c", "http://z/",
                       memo, "自定义", "2008-05-03 14:07:09", "255");
         db().Card_Add("朋友", "李四", "", "", "", "", "", "", "", "", "", "", "", "");
       }},
      {"frmMoneys", [&] {
         // Amounts that need more than fifteen digits come back exactly too.
         db().Moneys_Add("2008-05-03", "支出", "午饭", memo, 1e20, "份", 1.5e-5, 0.1 + 0.2, "255");
         db().Moneys_Add("2008-05-03 09:30:00", "收入", "工资", "", -2.5, "月", 12345.67, 123456789012345678.0, "");
       }},
  };
  for (const Case& c : cases) {
    c.add();
    const QString file = Path(c.form + ".txt");
    {
      frmExp exp(c.form);
      exp.cmdSelectAll_Click();
      env_->ui.fileAnswers.push_back(file);
      exp.cmdOk_Click();
      QCOMPARE(env_->ui.Messages().back().title, QStringLiteral("完成"));
    }
    const QByteArray written = ReadBytes(file);
    {
      frmImp imp(c.form);
      Open(*env_, imp, file);
      QCOMPARE(imp.ItemCount(), 2);
      imp.cmdSelectAll_Click();
      imp.cmdOk_Click();
      QVERIFY2(imp.blnImported && imp.result() == QDialog::Accepted, qPrintable(c.form));
    }
    // The new records (ids 3 and 4) write the very same file.
    QCOMPARE(platform::EncodeText(frmExp::GetExpText(*exchange::FindFamily(c.form), "3,4").value()), written);
    QVERIFY(written.endsWith("\r\n"));
  }
  QCOMPARE(env_->ui.Messages().size(), size_t(5));  // the five success messages, nothing else
}

void tst_Exchange::exportDialog() {
  db().Notes_Add("乙", "", "工作", "");
  db().Notes_Add("甲", "", "工作", "");
  db().Notes_Add("丙", "", "生活", "");
  frmExp exp("frmNotes");
  QCOMPARE(exp.windowTitle(), QStringLiteral("导出资料"));
  QCOMPARE(exp.cobClass->count(), 2);
  QCOMPARE(Texts(exp), (QStringList{"乙：2008-05-03", "甲：2008-05-03"}));

  // Nothing ticked: the box, and no save dialog.
  exp.cmdOk_Click();
  QCOMPARE(env_->ui.Messages().back().text, QStringLiteral("列表中至少需要选择一条记录内容方能进行导出操作！"));
  // Double-click toggles the selected item; invert leaves exactly the others.
  exp.ListView1->setCurrentIndex(exp.ListView1->model()->index(0, 0));
  exp.ListView1_DblClick();
  QCOMPARE(Ticked(exp).size(), 1);
  exp.cmdSelectFan_Click();
  QCOMPARE(Ticked(exp), QStringList{exp.Key(1)});

  // The save dialog: caption as title, caption and day as the name; Cancel writes nothing.
  env_->ui.Clear();
  exp.cmdOk_Click();
  QCOMPARE(env_->ui.shown.size(), size_t(1));
  QCOMPARE(env_->ui.shown[0].file.title, QStringLiteral("导出资料"));
  QCOMPARE(env_->ui.shown[0].file.fileName, QStringLiteral("导出资料20080503"));
  QVERIFY(env_->ui.shown[0].file.overwritePrompt);

  const QString file = Path("导出资料20080503");
  env_->ui.fileAnswers.push_back(file);
  exp.cmdOk_Click();
  QCOMPARE(env_->ui.Messages().back().text, "已将所选记录内容导出到 " + file + " 文件中!");
  QCOMPARE(env_->ui.Messages().back().icon, platform::MsgIcon::Information);
  QCOMPARE(platform::DecodeText(ReadBytes(file)), QStringLiteral("工作|甲|||2008-05-03 14:07:09\r\n"));
  QCOMPARE(Ticked(exp).size(), 1);  // the dialog stays with its ticks

  // A "|" in any value makes the line one the import refuses, a "{br}" typed in a long text or a
  // lone CR or LF there (another tool's) comes back as CR LF: the box counts each. A "{br}" in a
  // title reads back as it is, and so does a CR LF.
  db().Notes_Add("甲|乙", "", "工作", "");
  db().Notes_Add("{br}丁", "写{br}作", "工作", "");
  db().Notes_Add("{br}戊", "", "工作", "");
  db().Notes_Add("己", "一\n二", "工作", "");
  db().Notes_Add("庚", "三\r", "工作", "");
  db().Notes_Add("辛", "四\r\n五", "工作", "");
  exp.cobClass_Click();
  exp.cmdSelectAll_Click();
  env_->ui.fileAnswers.push_back(file);
  exp.cmdOk_Click();
  QCOMPARE(env_->ui.Messages().back().text,
           "已将所选记录内容导出到 " + file +
               " 文件中!\n其中 1 条记录的内容含有“|”，这些记录无法再导入。\n其中 3 条记录的长文本中含有“{br}”或单独的回车符、换行符，再导入时它们会变成换行（回车换行）。");
  QCOMPARE(env_->ui.Messages().back().icon, platform::MsgIcon::Exclamation);
}

void tst_Exchange::enterPressesNothing() {
  // Enter in the list or the category box neither ticks nor presses a button; Space ticks the
  // current line.
  db().Notes_Add("甲", "", "工作", "");
  db().Notes_Add("乙", "", "工作", "");
  frmExp exp("frmNotes");
  frmImp imp("frmNotes");
  imp.LoadFile("工作|甲|||\r\n工作|乙|||\r\n");
  const std::vector<std::pair<exchange::CheckListDialog*, QWidget*>> fields = {
      {&exp, exp.cobClass}, {&exp, exp.ListView1}, {&imp, imp.ListView1}};
  for (const auto& [dialog, field] : fields) {
    dialog->show();
    dialog->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(dialog));
    field->setFocus();
    QTest::keyClick(field, Qt::Key_Return);
    QTest::keyClick(field, Qt::Key_Enter);
    QVERIFY(Ticked(*dialog).isEmpty());
    QVERIFY(env_->ui.shown.empty());
    QVERIFY(dialog->isVisible());
  }
  imp.ListView1->setCurrentIndex(imp.ListView1->model()->index(1, 0));
  QTest::keyClick(imp.ListView1, Qt::Key_Space);
  QCOMPARE(Ticked(imp), QStringList{"_1"});
}

void tst_Exchange::unreadableRecordsWriteNoFile() {
  db().Notes_Add("甲", "", "工作", "");
  frmExp exp("frmNotes");
  exp.cmdSelectAll_Click();
  const QString file = Path("old.txt");
  QVERIFY(WriteBytes(file, "old"));
  db().CloseDataBase();
  env_->ui.fileAnswers.push_back(file);
  exp.cmdOk_Click();
  // The data store's own box, and neither a file nor a success message.
  QCOMPARE(env_->ui.Messages().size(), size_t(1));
  QVERIFY(env_->ui.Messages()[0].text.startsWith("获得导出资料列表时发生错误，"));
  QCOMPARE(ReadBytes(file), QByteArray("old"));
}

void tst_Exchange::codePage936FileImports() {
  const QString text = QStringLiteral("网站|新浪|http://sina.com.cn/|255|中文门户{br}新闻\r\n");
  const QByteArray bytes = QStringEncoder("GB18030").encode(text);
  QVERIFY(bytes.size() < text.toUtf8().size());  // two bytes a character, as code page 936 has it
  QVERIFY(WriteBytes(Path("cp936.txt"), bytes));
  frmImp imp("frmUrl");
  QCOMPARE(imp.windowTitle(), QStringLiteral("导入网址"));
  Open(*env_, imp, Path("cp936.txt"));
  QCOMPARE(Texts(imp), QStringList{"网站|新浪|http://sina.com.cn/|255|中文门户{br}新闻"});
  imp.cmdSelectAll_Click();
  QVERIFY(imp.Import());
  auto rs = db().Url_GetRecordSet();
  QCOMPARE(rs->Fields("urltext").toString(), QStringLiteral("新浪"));
  QCOMPARE(rs->Fields("urlmemo").toString(), QStringLiteral("中文门户\r\n新闻"));
}

void tst_Exchange::listingEdgeCases() {
  frmImp imp("frmDiary");
  auto lastMessage = [&] { return env_->ui.Messages().back(); };

  imp.LoadFile("");
  QVERIFY(lastMessage().text.startsWith("从文件中获得内容时发生错误，"));
  imp.LoadFile("\r\na|b|c|d\r\na|b|c|d|e|f\r\n");
  QCOMPARE(lastMessage().text, QStringLiteral("请确定您所选择的是日记导出文件！"));
  QCOMPARE(lastMessage().title, QStringLiteral("文件不符合"));
  QCOMPARE(imp.ItemCount(), 0);

  // No final break, and empty lines between: every line with text is listed, keyed by its index.
  imp.LoadFile("1|a|||\r\n\r\n2|b|||\r\n3|c|||");
  QCOMPARE(Texts(imp), (QStringList{"1|a|||", "2|b|||", "3|c|||"}));
  QCOMPARE(imp.Key(2), QStringLiteral("_3"));
  // Lines ending in LF alone; and a stray LF inside a field of a CR LF file stays in its line.
  imp.LoadFile("1|a|||\n2|b|||\n");
  QCOMPARE(Texts(imp), (QStringList{"1|a|||", "2|b|||"}));
  imp.LoadFile("1|a|x\ny||\r\n");
  QCOMPARE(Texts(imp), QStringList{"1|a|x\ny||"});

  // A diary file read as bookmarks: five fields pass, taken field by field.
  frmImp url("frmUrl");
  url.LoadFile(QStringLiteral("2008-05-01|晴|正文|255|2008-05-01 08:00:00\r\n"));
  url.cmdSelectAll_Click();
  QVERIFY(url.Import());
  auto rs = db().Url_GetRecordSet();
  QCOMPARE(rs->Fields("urlclass").toString(), QStringLiteral("2008-05-01"));
  QCOMPARE(rs->Fields("urlmemo").toString(), QStringLiteral("2008-05-01 08:00:00"));

  // A "|" inside a title gives the line one field more. The file is still taken, when its first
  // line is such a one too; the line is refused by its number, and nothing of the run is stored.
  db().Notes_Add("甲|乙", "内容", "工作", "255");
  const auto text = frmExp::GetExpText(*exchange::FindFamily("frmNotes"), "1");
  QCOMPARE(text.value(), QStringLiteral("工作|甲|乙|255|内容|2008-05-03 14:07:09\r\n"));
  frmImp notes("frmNotes");
  notes.LoadFile(*text + "工作|其他|||2008-05-03 14:07:09\r\n");
  QCOMPARE(notes.ItemCount(), 2);
  notes.cmdSelectAll_Click();
  QVERIFY(!notes.Import());
  QCOMPARE(lastMessage().text,
           QStringLiteral("导入到资料模块中发生错误，第 1 行有 6 个字段，应有 5 个。本次导入的记录均未保存。"));
  QCOMPARE(Column("notes", "notestitle"), QStringList{"甲|乙"});

  // "完成" with nothing ticked adds nothing and closes as imported.
  frmImp none("frmNotes");
  none.LoadFile("工作|丁|||\r\n");
  none.cmdOk_Click();
  QVERIFY(none.blnImported);
}

void tst_Exchange::longFileTicksAndImport() {
  QString text;
  for (int i = 1; i <= 2500; ++i) text += i == 2001 ? QStringLiteral("工作|坏\r\n") : QStringLiteral("工作|%1|||\r\n").arg(i);
  frmImp imp("frmNotes");
  imp.LoadFile(text);
  // The ticks as the list shows them, and the list told of every change.
  QAbstractItemModel* model = imp.ListView1->model();
  QSignalSpy changed(model, &QAbstractItemModel::dataChanged);
  auto shown = [&] {
    int ticked = 0;
    for (int row = 0; row < model->rowCount(); ++row) ticked += model->index(row, 0).data(Qt::CheckStateRole) == Qt::Checked;
    return ticked;
  };
  imp.cmdSelectAll_Click();
  QCOMPARE(shown(), 2500);
  imp.cmdSelectNo_Click();
  QCOMPARE(shown(), 0);
  Tick(imp, 1, true);
  imp.cmdSelectFan_Click();
  QCOMPARE(shown(), 2499);
  QVERIFY(!imp.IsTicked(1));
  QCOMPARE(changed.size(), 4);
  QCOMPARE(changed.back().at(1).toModelIndex().row(), 2499);

  // A bad line far down stores nothing, however often "完成" is pressed; unticked, the rest is
  // stored in line order.
  for (int run = 0; run < 2; ++run) {
    imp.cmdOk_Click();
    QCOMPARE(env_->ui.Messages().back().text,
             QStringLiteral("导入到资料模块中发生错误，第 2001 行有 2 个字段，应有 5 个。本次导入的记录均未保存。"));
    QCOMPARE(Column("notes", "notestitle"), QStringList());
    QCOMPARE(Ticked(imp).size(), 2499);
  }
  Tick(imp, 2000, false);
  imp.cmdOk_Click();
  QVERIFY(imp.blnImported);
  QStringList titles;
  for (int i = 1; i <= 2500; ++i)
    if (i != 2 && i != 2001) titles << QString::number(i);
  QCOMPARE(Column("notes", "notestitle"), titles);
}

void tst_Exchange::importStoresAllOrNone() {
  // A date the data store would refuse, a number that is none, too few fields: each found before
  // anything is stored, named by its line, and the dialog stays with its ticks.
  const QString ledger =
      "2008-05-03|支出|甲||1|个|2||2\r\n"
      "2008-05-03|支出|乙||1|个|2||2\r\n"
      "%1\r\n"
      "2008-05-03|支出|丁||1|个|2||2\r\n";
  const std::vector<std::pair<QString, QString>> cases = {
      {"12|支出|丙||1|个|2||2", "第 3 行的第 1 个字段“12”不是有效的日期。"},
      {"2008-05-03|支出|丙||一|个|2||2", "第 3 行的第 5 个字段“一”不是数值。"},
      {"2008-05-03|支出|丙", "第 3 行有 3 个字段，应有 9 个。"},
      {"2008-05-03|支出|丙||%1%2|个|2||2", "第 3 行的第 5 个字段“%1%2”不是数值。"},
  };
  for (const auto& [line, why] : cases) {
    frmImp imp("frmMoneys");
    imp.LoadFile(ledger.arg(line));
    imp.cmdSelectAll_Click();
    imp.cmdOk_Click();
    QVERIFY(!imp.blnImported);
    QCOMPARE(imp.result(), int(QDialog::Rejected));  // still open
    QCOMPARE(env_->ui.Messages().back().text, "导入到收支模块中发生错误，" + why + "本次导入的记录均未保存。");
    QCOMPARE(Column("moneys", "moneystitle"), QStringList());
    QCOMPARE(Ticked(imp).size(), 4);
  }

  // A failure of the store itself (here a unique index that another tool gave the titles) gives
  // the whole run up too, and names the line; once its cause is gone the same run stores it all.
  db().objConn.Execute("create unique index unique_title on notes(notestitle)");
  frmImp notes("frmNotes");
  notes.LoadFile("工作|甲|||\r\n工作|乙|||\r\n工作|甲|||\r\n工作|丙|||\r\n");
  notes.cmdSelectAll_Click();
  env_->ui.Clear();
  notes.cmdOk_Click();
  QVERIFY(!notes.blnImported);
  QCOMPARE(env_->ui.Messages().back().text,
           QStringLiteral("导入到资料模块中发生错误，第 3 行无法保存：数据不符合数据账套中的约束条件（UNIQUE constraint "
                          "failed: notes.notestitle）。本次导入的记录均未保存。"));
  QCOMPARE(env_->ui.Messages().size(), size_t(1));  // that box alone
  QCOMPARE(Column("notes", "notestitle"), QStringList());
  QCOMPARE(Ticked(notes).size(), 4);
  db().objConn.Execute("drop index unique_title");
  notes.cmdOk_Click();
  QVERIFY(notes.blnImported);
  QCOMPARE(Column("notes", "notestitle"), (QStringList{"甲", "乙", "甲", "丙"}));

  // A data set that another program keeps locked past the wait: nothing is stored, line by line
  // or otherwise, and the box says why.
  datastore::Connection other;
  other.Open(db().objConn.Path());
  other.Begin();
  db().objConn.Execute("pragma busy_timeout=50");  // the wait, shortened
  frmImp locked("frmNotes");
  locked.LoadFile("工作|丁|||\r\n工作|戊|||\r\n");
  locked.cmdSelectAll_Click();
  locked.cmdOk_Click();
  QVERIFY(!locked.blnImported);
  QCOMPARE(env_->ui.Messages().back().text,
           QStringLiteral("导入到资料模块中发生错误，数据账套正被另一个程序使用（已锁定），请稍后再试（database is "
                          "locked）。本次导入的记录均未保存。"));
  other.Rollback();
  QCOMPARE(Column("notes", "notestitle").size(), 4);

  // What is stored is what was read: a date without a year read on the last day of a leap year
  // is stored as read, also when the day has changed before it is stored.
  const exchange::Family& diary = *exchange::FindFamily("frmDiary");
  platform::SetNow(vb::MakeDateTime(QDate(2024, 12, 31), QTime(23, 59, 59)));
  const exchange::AddArguments leapDay = exchange::ParseLine(diary, u"2/29|闰日|||", 1);
  platform::SetNow(vb::MakeDateTime(QDate(2025, 1, 1), QTime(0, 0, 0)));
  QVERIFY(diary.Add(db(), leapDay) > 0);
  QCOMPARE(Column("diary", "diarydate"), QStringList{"2024-02-29 00:00:00"});
}

void tst_Exchange::invalidBytesNameTheLine() {
  QByteArray bytes = platform::EncodeText(QStringLiteral("工作|甲|||\r\n工作|乙|||\r\n"));
  bytes += "\xB9\xA4\xD7\xF7|\xFF\xFF|||\r\n";  // 工作 and two bytes that are no text
  bytes += platform::EncodeText(QStringLiteral("工作|丁|||\r\n"));
  QVERIFY(WriteBytes(Path("bad.txt"), bytes));
  frmImp imp("frmNotes");
  Open(*env_, imp, Path("bad.txt"));
  QCOMPARE(imp.ItemText(0), QStringLiteral("工作|甲|||"));
  imp.cmdSelectAll_Click();
  QVERIFY(!imp.Import());
  QCOMPARE(env_->ui.Messages().back().text,
           QStringLiteral("导入到资料模块中发生错误，第 3 行含有无法识别的字符。本次导入的记录均未保存。"));
  QCOMPARE(Column("notes", "notestitle"), QStringList());
}

QTEST_MAIN(tst_Exchange)
#include "tst_exchange.moc"
