// Opening and stamping a data set, the failure boxes, the input check, the scratch pad and the
// SQL format() function that groups the ledger, reminders and diary.
#include "filebytes.h"
#include "fixture.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <cerrno>
#include <csignal>
#include <sqlite3.h>
#include <sys/resource.h>

namespace datastore_test {
namespace {

class FakeText : public datastore::TextInput {
public:
  explicit FakeText(QString text) : text_(std::move(text)) {}
  QString Text() const override { return text_; }
  void SetFocus() override { ++focused; }
  int focused = 0;

private:
  QString text_;
};

datastore::MoneysQuery YearQuery() {
  datastore::MoneysQuery query;
  query.startDate = QDate(2024, 1, 1);
  query.endDate = QDate(2024, 12, 31);
  query.maxSum = 10000;
  return query;
}

TEST_F(DataStore, OpeningStampsTheConfigurationRecord) {
  EXPECT_EQ(db.objConn.State(), 1);
  EXPECT_EQ(db.objSystem.UseCount, 1);
  EXPECT_EQ(db.objSystem.AppTitle, "Almanor");
  EXPECT_TRUE(db.objSystem.NoLogin);
  const QDateTime first = vb::MakeDateTime(QDate(2024, 5, 3), QTime(10, 20, 30));
  EXPECT_EQ(db.objSystem.StartDate, first);
  EXPECT_EQ(db.objSystem.EndDate, first);

  db.CloseDataBase();
  EXPECT_EQ(db.objConn.State(), 0);
  const QDateTime later = vb::MakeDateTime(QDate(2024, 6, 1), QTime(8, 0));
  platform::SetNow(later);
  ASSERT_TRUE(db.OpenDataBase(path));
  EXPECT_EQ(db.objSystem.UseCount, 2);
  EXPECT_EQ(db.objSystem.StartDate, first);  // first use is kept
  EXPECT_EQ(db.objSystem.EndDate, later);
  EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(DataStore, OpeningRefusesWhatIsNotADataSet) {
  db.CloseDataBase();
  const QString missing = dir.filePath("missing.kvt");
  EXPECT_FALSE(db.OpenDataBase(missing));
  EXPECT_FALSE(QFile::exists(missing));  // opening never creates a file
  EXPECT_EQ(db.objConn.State(), 0);

  ASSERT_TRUE(WriteBytes(dir.filePath("notes.kvt"), QByteArray("just some text, not a data set\n").repeated(200)));
  EXPECT_FALSE(db.OpenDataBase(dir.filePath("notes.kvt")));

  // An SQLite file without the tables.
  const QString other = dir.filePath("other.kvt");
  ASSERT_TRUE(db.CreateDataBase(other));
  ASSERT_TRUE(db.OpenDataBase(other));
  db.objConn.Execute("drop table reminds");
  db.CloseDataBase();
  ui.Clear();
  EXPECT_FALSE(db.OpenDataBase(other));
  EXPECT_EQ(db.objConn.State(), 0);

  const auto boxes = ui.Messages();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_TRUE(boxes[0].text.startsWith("打开数据账套时发生错误，"));
  EXPECT_GT(boxes[0].text.size(), QString("打开数据账套时发生错误，").size());
  EXPECT_EQ(boxes[0].title, "发生错误");
  EXPECT_EQ(boxes[0].icon, MsgIcon::Critical);
}

// Changes a data set's schema as another tool would, with no function of ours registered.
void Craft(const QString& path, const char* sql) {
  sqlite3* raw = nullptr;
  ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &raw), SQLITE_OK);
  EXPECT_EQ(sqlite3_exec(raw, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(raw);
  sqlite3_close(raw);
}

// A data set is a file users receive: what is stored in it runs no code of ours.
TEST_F(DataStore, NothingInADataSetRunsOurCode) {
  db.CloseDataBase();
  // A trigger that the stamp at every open would fire, calling our format().
  Craft(path, "create trigger boom after update on configs begin "
              "update notes set notestitle=format(1e307,'0%'); end");
  const QByteArray before = ReadBytes(path);
  EXPECT_FALSE(db.OpenDataBase(path));
  EXPECT_EQ(OnlyBox().text, "打开数据账套时发生错误，数据账套中含有本程序不会创建的触发器或视图，可能被他人改动过，为安全起见不予打开");
  EXPECT_EQ(ReadBytes(path), before);

  // Views are refused alike; an index or a constraint of the schema cannot call format().
  Craft(path, "drop trigger boom; create view v as select format(notesdate,'yyyy') as y from notes");
  EXPECT_FALSE(db.OpenDataBase(path));
  Craft(path, "drop view v; create index notes_year on notes(format(notestitle,'0%'));"
              "create table extra (x text check (format(x,'0%') <> ''))");
  ASSERT_TRUE(db.OpenDataBase(path));
  ui.Clear();
  EXPECT_EQ(db.Notes_Add("1e307", "", "c", ""), 0);
  EXPECT_EQ(OnlyBox().text, "增加常用资料笔记时发生错误，数据账套的操作失败（unsafe use of format()）");
  EXPECT_THROW(db.objConn.Execute("insert into extra values ('1e307')"), datastore::DbError);
  EXPECT_EQ(Value("select format('2024-05-01','yyyy') as v").toString(), "2024");  // our own statements may
}

// Users copy and send the .kvt file alone: after every operation it holds everything saved.
TEST_F(DataStore, TheDataSetIsOneFile) {
  ASSERT_GT(db.Notes_Add("a", "", "c", ""), 0);
  RowSetPtr held = db.Notes_GetRecordSet();  // a window still reading does not hold a save back
  ASSERT_GT(db.Notes_Add("b", "", "c", ""), 0);
  EXPECT_EQ(SideFiles(), QStringList());
  const QString copy = dir.filePath("copy.kvt");
  ASSERT_TRUE(QFile::copy(path, copy));
  clsDate other;
  ASSERT_TRUE(other.OpenDataBase(copy));
  EXPECT_EQ(Column(other.Notes_GetRecordSet(), "notestitle"), QStringList({"a", "b"}));
}

// A data set of the earlier version is in write-ahead-log mode, maybe with commits still in its
// log, and indexes titles and categories as written: it opens, from then on the .kvt alone holds
// everything, and it compares without regard to letter case as new ones do.
TEST_F(DataStore, AnEarlierVersionsDataSetIsConverted) {
  db.CloseDataBase();
  Craft(path, "drop index notes_class; drop index notes_title; pragma user_version=0;"
              "create index notes_class on notes(notesclass, notestitle); create index notes_title on notes(notestitle);");
  sqlite3* raw = nullptr;
  ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &raw), SQLITE_OK);
  sqlite3_db_config(raw, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
  EXPECT_EQ(sqlite3_exec(raw, "pragma journal_mode=wal; insert into notes (notestitle, notesclass) values ('b', 'Work')",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  sqlite3_close(raw);
  ASSERT_TRUE(QFile::exists(path + "-wal"));
  EXPECT_EQ(ReadBytes(path).at(18), 2);  // write-ahead log

  ASSERT_TRUE(db.OpenDataBase(path));
  EXPECT_EQ(ReadBytes(path).at(18), 1);  // rollback journal
  EXPECT_EQ(SideFiles(), QStringList());
  ASSERT_GT(db.Notes_Add("A", "", "work", ""), 0);
  EXPECT_EQ(Value("select count(*) as v from sqlite_master where type='index' and sql like '%lower(%'").toInt(), 8);
  const QString copy = dir.filePath("copy.kvt");
  ASSERT_TRUE(QFile::copy(path, copy));
  clsDate other;
  ASSERT_TRUE(other.OpenDataBase(copy));
  EXPECT_EQ(Column(other.Notes_GetClass(), "notesclass"), QStringList({"Work"}));
  EXPECT_EQ(Column(other.Notes_GetRecordSet("WORK"), "notestitle"), QStringList({"A", "b"}));
}

// An open that fails leaves the file as it was, whatever its journal mode.
TEST_F(DataStore, AFailedOpenLeavesTheFileUntouched) {
  db.objConn.Execute("delete from configs");
  db.CloseDataBase();
  for (const char* mode : {"delete", "wal"}) {
    SCOPED_TRACE(mode);
    Craft(path, QByteArray("pragma journal_mode=").append(mode).constData());
    const QByteArray before = ReadBytes(path);
    ui.Clear();
    EXPECT_FALSE(db.OpenDataBase(path));
    EXPECT_EQ(OnlyBox().text, "打开数据账套时发生错误，数据账套中没有配置记录");
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_EQ(SideFiles(), QStringList());
  }
}

// A copy of the .kvt alone, taken right after the program was killed while saving, holds every
// note it had reported saved.
TEST_F(DataStore, AKilledProgramLosesNoReportedSave) {
  db.CloseDataBase();
  QStringList saved;
  for (int round = 0; round < 3; ++round) {
    QProcess child;
    child.start(SAVE_NOTES_EXE, {path, QString("r%1-").arg(round)});
    ASSERT_TRUE(child.waitForStarted());
    QByteArray out;
    while (out.count('\n') < 30 && child.waitForReadyRead(60000)) out += child.readAllStandardOutput();
    child.kill();
    child.waitForFinished();
    out += child.readAllStandardOutput();
    ASSERT_GE(out.count('\n'), 30) << child.readAllStandardError().toStdString();
    out.truncate(out.lastIndexOf('\n'));
    saved += QString::fromLocal8Bit(out).split('\n');

    const QString copy = dir.filePath(QString("copy%1.kvt").arg(round));
    ASSERT_TRUE(QFile::copy(path, copy));
    clsDate other;
    ASSERT_TRUE(other.OpenDataBase(copy));
    const QStringList stored = Column(other.objConn.OpenRowSet("select notestitle from notes"), "notestitle");
    const QSet<QString> found(stored.begin(), stored.end());
    for (const QString& title : saved) ASSERT_TRUE(found.contains(title)) << title.toStdString();
  }
}

// The data set's failures speak the user's language; SQLite's own text follows in brackets.
TEST_F(DataStore, DataSetFailuresSpeakChinese) {
  const QString note(3000, u'字');
  ASSERT_GT(db.Notes_Add("a", note, "c", ""), 0);
  db.objConn.Execute("pragma query_only=1");
  EXPECT_EQ(db.Notes_Add("b", "", "c", ""), 0);
  EXPECT_EQ(OnlyBox().text, "增加常用资料笔记时发生错误，数据账套文件是只读的，无法保存修改（attempt to write a readonly database）");
  db.objConn.Execute("pragma query_only=0");
  db.objConn.Execute("create table extra (x text check (x <> 'bad'))");  // as a crafted data set has it
  try {
    db.objConn.Execute("insert into extra values ('bad')");
    ADD_FAILURE();
  } catch (const datastore::DbError& e) {
    EXPECT_EQ(e.Description(), "数据不符合数据账套中的约束条件（CHECK constraint failed: x <> 'bad'）");
  }

  const qint64 pages = Value("select page_count as v from pragma_page_count").toLongLong();
  db.objConn.Execute(QString("pragma max_page_count=%1").arg(pages));
  ui.Clear();
  EXPECT_EQ(db.Notes_Add("b", note.repeated(4), "c", ""), 0);
  EXPECT_EQ(OnlyBox().text, "增加常用资料笔记时发生错误，磁盘已满，无法保存修改（database or disk is full）");

  clsDate other;  // another program holding the data set
  ASSERT_TRUE(other.OpenDataBase(path));
  other.objConn.Begin();
  db.objConn.Execute("pragma busy_timeout=50");
  ui.Clear();
  EXPECT_FALSE(db.UserNote_Modify("x"));
  EXPECT_EQ(OnlyBox().text, "修改临时记事便条时发生错误，数据账套正被另一个程序使用（已锁定），请稍后再试（database is locked）");
  other.objConn.Rollback();
  other.CloseDataBase();
  db.CloseDataBase();

  QFile file(path);  // a damaged file
  ASSERT_TRUE(file.open(QIODevice::ReadWrite));
  file.seek(100);
  file.write(QByteArray(4000, '\xff'));
  file.close();
  ui.Clear();
  EXPECT_FALSE(db.OpenDataBase(path));
  EXPECT_EQ(OnlyBox().text, "打开数据账套时发生错误，数据账套文件已损坏（database disk image is malformed）");
}

// The system error in brackets is the cause of the failure reported, never an earlier one's.
TEST_F(DataStore, AFailureNamesItsOwnSystemError) {
  // A file size limit (the data set cannot grow), then a journal that cannot be deleted.
  rlimit saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
  rlimit limit = saved;
  limit.rlim_cur = rlim_t(QFileInfo(path).size());
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
  EXPECT_EQ(db.Notes_Add("甲", QString(300000, u'长'), "", ""), 0);
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, oldSignal);
  const QString tooLarge = OnlyBox().text;
  EXPECT_TRUE(tooLarge.contains("文件太大")) << tooLarge.toStdString();

  sqlite3_vfs* files = sqlite3_vfs_find(nullptr);
  files->xSetSystemCall(files, "unlink", reinterpret_cast<sqlite3_syscall_ptr>(+[](const char*) {
                          errno = EACCES;
                          return -1;
                        }));
  ui.Clear();
  EXPECT_EQ(db.Notes_Add("乙", "", "", ""), 0);
  files->xSetSystemCall(files, "unlink", nullptr);
  const QString denied = OnlyBox().text;
  EXPECT_TRUE(denied.contains("没有访问权限") && !denied.contains("文件太大")) << denied.toStdString();
  EXPECT_EQ(Value("select count(*) as v from notes").toInt(), 0);
}

TEST_F(DataStore, CreatingRefusesToReplaceAFile) {
  EXPECT_FALSE(db.CreateDataBase(path));
  EXPECT_TRUE(OnlyBox().text.startsWith("创建数据账套时发生错误，"));
  EXPECT_EQ(db.objConn.State(), 1);
  EXPECT_EQ(db.GetUserNote(), "");
}

// Every operation reports its own failure and returns its failure value.
TEST_F(DataStore, FailuresShowTheirBoxAndReturnTheFailureValue) {
  db.CloseDataBase();
  struct Case {
    QString text;
    std::function<bool()> failedAsStated;
  };
  const std::vector<Case> cases = {
      {"获得资料笔记分类时发生错误，", [&] { return db.Notes_GetClass() == nullptr; }},
      {"获得资料笔记列表时发生错误，", [&] { return db.Notes_GetRecordSet() == nullptr; }},
      {"检查资料主题是否重复时发生错误，", [&] { return db.Notes_CheckTitle("a"); }},
      {"增加常用资料笔记时发生错误，", [&] { return db.Notes_Add("a", "b", "c", "") == 0; }},
      {"修改常用资料笔记时发生错误，", [&] { return db.Notes_Modify(1, "a", "b", "c") == 0; }},
      {"删除常用资料笔记时发生错误，", [&] { return !db.Notes_Delete(1); }},
      {"获得收支帐目日期时发生错误，", [&] { return db.Moneys_GetClass() == nullptr; }},
      {"增加日常收支帐目时发生错误，", [&] { return db.Moneys_Add("2024-05-01", "支出", "t", "", 1, "", 1, 1, "") == 0; }},
      {"获得收支帐目记录时发生错误，", [&] { return db.Moneys_Query(YearQuery()) == nullptr; }},
      {"删除计划任务提醒日期时发生错误，", [&] { return !db.Reminds_DeleteClass("2024年05月01日"); }},
      {"检查文件名称是否重复时发生错误，", [&] { return db.Files_CheckFilesName("a"); }},
      {"修改重要文件备案分类时发生错误，", [&] { return !db.Files_ModifyClass("a", "b"); }},
      {"检查收藏标题是否重复时发生错误，", [&] { return db.Url_CheckUrlText("a"); }},
      {"修改收藏网址资料标识时发生错误，", [&] { return !db.Url_ModifyColor(1, "255"); }},
      {"检查名片的姓名是否重复时发生错误，", [&] { return !db.Card_CheckCard("a"); }},
      {"检查日记日期是否重复时发生错误，", [&] { return db.Diary_CheckDate("2024-05-01"); }},
      {"获得导出日记列表时发生错误，", [&] { return db.Diary_ExpRecordSet("1") == nullptr; }},
      {"获得临时记事便条时发生错误，", [&] { return db.GetUserNote() == ""; }},
      {"修改临时记事便条时发生错误，", [&] { return !db.UserNote_Modify("x"); }},
  };
  for (const Case& c : cases) {
    ui.Clear();
    EXPECT_TRUE(c.failedAsStated()) << c.text.toStdString();
    const auto boxes = ui.Messages();
    ASSERT_EQ(boxes.size(), 1u) << c.text.toStdString();
    EXPECT_TRUE(boxes[0].text.startsWith(c.text)) << boxes[0].text.toStdString();
    EXPECT_GT(boxes[0].text.size(), c.text.size()) << "the description follows the text";
    EXPECT_EQ(boxes[0].title, "发生错误");
    EXPECT_EQ(boxes[0].icon, MsgIcon::Critical);
    EXPECT_EQ(boxes[0].buttons, MsgButtons::OK);
  }
}

TEST_F(DataStore, AFailingStatementNamesItsCause) {
  db.objConn.Execute("drop table notes");
  EXPECT_EQ(db.Notes_GetClass(), nullptr);
  EXPECT_EQ(OnlyBox().text, "获得资料笔记分类时发生错误，数据账套的操作失败（no such table: notes）");
}

TEST_F(DataStore, AnInvalidLedgerQueryHandsOverNoRowSet) {
  ASSERT_NE(db.Moneys_Add("2024-05-01", "支出", "t", "", 1, "", 1, 1, ""), 0);
  datastore::MoneysQuery query = YearQuery();
  query.orderField = "moneysid; delete from moneys; --";
  EXPECT_EQ(db.Moneys_Query(query), nullptr);
  EXPECT_TRUE(OnlyBox().text.startsWith("获得收支帐目记录时发生错误，"));
  EXPECT_EQ(Value("select count(*) as v from moneys").toLongLong(), 1);
  ui.Clear();
}

TEST_F(DataStore, InputCheckRunsItsChecksInOrder) {
  struct Case {
    QString text;
    bool null, numeric, date, sign;
    QString message, title;
  };
  const std::vector<Case> cases = {
      {"   ", true, true, true, true, "条件不足：[标题] 不允许为空，请您输入！", "条件不足"},
      {"12ab'", true, true, true, true, "格式错误：[标题] 不是数值，请您输入数值格式！", "格式错误"},
      {"2024-02-30", true, false, true, true, "格式错误：[标题] 不是日期格式，请您输入 [YYYY-MM-DD] 日期格式！", "格式错误"},
      {"O'Brien \"x\"", true, false, false, true, "存在特殊符号：[标题] 存在单引号，请删除单引号继续！", "存在特殊符号"},
      {"say \"hi\"", true, false, false, true, "存在特殊符号：[标题] 存在双引号，请删除双引号继续！", "存在特殊符号"},
  };
  for (const Case& c : cases) {
    ui.Clear();
    FakeText box(c.text);
    EXPECT_FALSE(db.IsCheckInputTrue(box, "标题", c.null, c.numeric, c.date, c.sign)) << c.text.toStdString();
    EXPECT_EQ(box.focused, 1);
    const auto shown = OnlyBox();
    EXPECT_EQ(shown.text, c.message);
    EXPECT_EQ(shown.title, c.title);
    EXPECT_EQ(shown.icon, MsgIcon::Exclamation);
  }

  ui.Clear();
  FakeText number("1,000"), date("2024/5/1"), text("O'Brien"), blank("");
  EXPECT_TRUE(db.IsCheckInputTrue(number, "数量", true, true, false, false));
  EXPECT_TRUE(db.IsCheckInputTrue(date, "日期", true, false, true, false));
  EXPECT_TRUE(db.IsCheckInputTrue(text, "分类", true, false, false, false));  // quotes only when asked
  EXPECT_TRUE(db.IsCheckInputTrue(blank, "备注"));
  EXPECT_TRUE(ui.Messages().empty());
  EXPECT_EQ(number.focused + date.focused + text.focused + blank.focused, 0);
}

TEST_F(DataStore, ScratchPadKeepsItsText) {
  EXPECT_EQ(db.GetUserNote(), "");  // Null reads as ""
  const QString note = "第一行\r\nO'Brien \"quoted\"\r\n";
  EXPECT_TRUE(db.UserNote_Modify(note));
  EXPECT_EQ(db.GetUserNote(), note);
  EXPECT_TRUE(db.UserNote_Modify(""));
  EXPECT_EQ(db.GetUserNote(), "");

  db.objConn.Execute("delete from configs");
  EXPECT_EQ(db.GetUserNote(), "");
  EXPECT_TRUE(ui.Messages().empty());
  EXPECT_FALSE(db.UserNote_Modify("lost?"));
  EXPECT_TRUE(OnlyBox().text.startsWith("修改临时记事便条时发生错误，"));
}

TEST_F(DataStore, FormatGroupsDaysAndMonthsNewestFirst) {
  for (const char* date : {"2024-05-01 09:00", "2023-12-31 23:59:59", "2024/5/1 18:30", "2024年5月12日"})
    ASSERT_NE(db.Moneys_Add(date, "支出", "t", "", 1, "", 1, 1, ""), 0);
  EXPECT_EQ(Column(db.Moneys_GetClass(), "moneysgroup"),
            QStringList({"2024年05月12日", "2024年05月01日", "2023年12月31日"}));
  EXPECT_EQ(db.Moneys_GetRecordSet("2024年05月01日")->RecordCount(), 2);

  for (const char* date : {"2024-04-30 08:00", "2024-05-30 08:00", "2024-05-01 07:00"})
    ASSERT_NE(db.Reminds_Add(date, "r", "", "", 0), 0);
  EXPECT_EQ(Column(db.Reminds_GetClass(), "remindsgroup"),
            QStringList({"2024年05月30日", "2024年05月01日", "2024年04月30日"}));
  EXPECT_EQ(Column(db.Reminds_GetRecordSet("2024年05月01日"), "remindstime"), QStringList({"2024-05-01 07:00:00"}));

  for (const char* date : {"2024-01-15", "2023-11-02", "2024-01-03", "2024-10-01"})
    ASSERT_NE(db.Diary_Add(date, "d", "", ""), 0);
  EXPECT_EQ(Column(db.Diary_GetClass(), "diarymonth"), QStringList({"2024年10月", "2024年01月", "2023年11月"}));
  EXPECT_EQ(Column(db.Diary_GetRecordSet("2024年01月"), "diarydate"),
            QStringList({"2024-01-03 00:00:00", "2024-01-15 00:00:00"}));

  EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(DataStore, LedgerQueryConditionsRunAsWritten) {
  db.Moneys_Add("2024-04-30", "支出", "午饭", "", 1, "份", 20, 20, "");
  db.Moneys_Add("2024-05-01", "收入", "工资 x", "", 1, "月", 9000, 9000, "");
  db.Moneys_Add("2024-05-02", "支出", "x 书", "", 2, "本", 30, 60, "");
  datastore::MoneysQuery query = YearQuery();
  query.startDate = QDate(2024, 5, 1);
  query.title = "X";
  query.orderField = "moneyssum";
  query.descending = true;
  EXPECT_EQ(Column(db.Moneys_Query(query), "moneystitle"), QStringList({"工资 x", "x 书"}));
  // Typed values go to the condition bound, so a quote in them is only a character.
  query.title = "x' or '1'='1";
  EXPECT_TRUE(db.Moneys_Query(query)->Eof());
  // SQLite's own printf format keeps its one- and three-argument forms.
  EXPECT_EQ(Value("select format('%s-%05d', 'n', 42) as v").toString(), "n-00042");
  EXPECT_EQ(Value("select format('100%%') as v").toString(), "100%");
  EXPECT_EQ(Value("select format(moneyssum,'#0.00') as v from moneys where moneystitle='x 书'").toString(), "60.00");
}

TEST_F(DataStore, LedgerQuerySortsTextsWithoutRegardToCase) {
  for (const char* title : {"banana", "Zebra", "Apple", "cherry", "apple"})
    db.Moneys_Add("2024-05-01", "支出", title, "", 1, "", 1, 1, "");
  datastore::MoneysQuery query = YearQuery();
  query.orderField = "moneystitle";
  EXPECT_EQ(Column(db.Moneys_Query(query), "moneystitle"), QStringList({"Apple", "apple", "banana", "cherry", "Zebra"}));
  query.descending = true;
  EXPECT_EQ(Column(db.Moneys_Query(query), "moneystitle"), QStringList({"Zebra", "cherry", "banana", "apple", "Apple"}));
}

TEST_F(DataStore, RowSetsWalkTheirRows) {
  auto empty = db.Moneys_GetClass();
  ASSERT_NE(empty, nullptr);  // an empty table is an open row set, not a failure
  EXPECT_TRUE(empty->Eof());
  EXPECT_EQ(empty->RecordCount(), 0);
  EXPECT_EQ(empty->State(), 1);
  empty->Close();
  EXPECT_EQ(empty->State(), 0);

  for (const char* title : {"乙", "b", "A", "a"}) db.Notes_Add(title, "", "类", "");
  auto rs = db.Notes_GetRecordSet();
  EXPECT_EQ(rs->RecordCount(), 4);
  EXPECT_EQ(rs->Fields("NOTESTITLE").toString(), "A");  // names match in any case
  // Columns by index read as the fields by name; a column that is not there is refused.
  const int title = rs->Column("NotesTitle"), mark = rs->Column(QStringLiteral("notesstring1"));
  EXPECT_EQ(rs->Column("nosuchfield"), -1);
  EXPECT_EQ(rs->Field(title), rs->Fields("notestitle"));
  EXPECT_EQ(rs->Utf8(title), QByteArrayView("A"));
  EXPECT_TRUE(rs->Field(mark).isNull() && rs->Utf8(mark).isEmpty());
  EXPECT_THROW(rs->Field(-1), datastore::DbError);
  EXPECT_THROW(rs->Utf8(6), datastore::DbError);
  EXPECT_EQ(Column(rs, "notestitle"), QStringList({"A", "a", "b", "乙"}));
  EXPECT_THROW(rs->Field(title), datastore::DbError);  // past the end
  EXPECT_TRUE(rs->Eof());
  EXPECT_EQ(rs->RecordCount(), 4);

  // Bytes bound to a row set's statement stay valid after the caller's values are gone.
  RowSetPtr bytes;
  {
    const QVector<QVariant> binds = {QByteArray(100000, 'x')};
    bytes = db.objConn.OpenRowSet("select length(?) as v union all select 2", binds);
  }
  EXPECT_EQ(bytes->RecordCount(), 2);
  EXPECT_EQ(bytes->Fields("v").toLongLong(), 100000);
}

// Closing the data set closes the row sets a window still holds, so nothing keeps the file.
TEST_F(DataStore, ClosingTheDataSetClosesItsOpenRowSets) {
  for (const char* title : {"a", "b", "c"}) ASSERT_GT(db.Notes_Add(title, "", "类", ""), 0);
  RowSetPtr uncounted = db.Notes_GetRecordSet();
  RowSetPtr walking = db.Notes_GetRecordSet();
  ASSERT_TRUE(uncounted && walking);
  walking->MoveNext();

  db.CloseDataBase();
  EXPECT_EQ(SideFiles(), QStringList());
  EXPECT_EQ(uncounted->State(), 0);
  EXPECT_TRUE(uncounted->Eof());
  try {
    uncounted->RecordCount();
    ADD_FAILURE() << "counted the rows of a closed data set";
  } catch (const datastore::DbError& e) {
    EXPECT_EQ(e.Description().toStdString(), "数据账套已经关闭");
  }
  EXPECT_THROW(walking->MoveNext(), datastore::DbError);
  EXPECT_THROW(walking->Fields("notestitle"), datastore::DbError);
  walking->Close();

  // A row set may also outlive the data-store object itself.
  {
    clsDate other;
    ASSERT_TRUE(other.OpenDataBase(path));
    walking = other.Notes_GetRecordSet();
    ASSERT_NE(walking, nullptr);
  }
  EXPECT_THROW(walking->RecordCount(), datastore::DbError);
  EXPECT_EQ(SideFiles(), QStringList());

  ASSERT_TRUE(db.OpenDataBase(path));
  EXPECT_EQ(Column(db.Notes_GetRecordSet(), "notestitle"), QStringList({"a", "b", "c"}));
}

TEST(DataStoreApp, AppUrlIsTheShippedHelpDocument) {
  const QString url = datastore::clsSystem::AppUrl();
  EXPECT_TRUE(url.startsWith("file:///"));
  EXPECT_TRUE(url.endsWith("/help.html"));
  EXPECT_TRUE(url.contains(QCoreApplication::applicationDirPath()));
}

} // namespace
} // namespace datastore_test
