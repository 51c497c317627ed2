// Adding, modifying, marking and deleting the records of every family; duplicate checks; quotes
// inside texts; ids beyond 16 bits.
#include "filebytes.h"
#include "fixture.h"

#include <QFile>
#include <map>

namespace datastore_test {
namespace {

TEST_F(DataStore, DuplicateChecksShowTheirBoxAndStop) {
  ASSERT_NE(db.Notes_Add("周报", "", "工作", ""), 0);
  ASSERT_NE(db.Url_Add("首页", "https://example.org", "", "常用", ""), 0);
  ASSERT_NE(db.Diary_Add("2024/5/1 9:30", "d", "", ""), 0);
  db.objConn.Execute("insert into files (filesname, filesclass) values ('a.txt', 'x')");

  struct Case {
    std::function<bool(const QString&)> check;
    QString existing, message, title;
  };
  const std::vector<Case> cases = {
      {[&](const QString& t) { return db.Notes_CheckTitle(t); }, "周报", "资料主题 周报 已经存在，请您重新输入。", "资料主题重复"},
      {[&](const QString& t) { return db.Url_CheckUrlText(t); }, "首页", "收藏标题 首页 已经存在，请您重新输入。", "收藏标题重复"},
      {[&](const QString& t) { return db.Files_CheckFilesName(t); }, "a.txt", "文件名称 a.txt 已经存在，请您重新输入。", "文件名称重复"},
      {[&](const QString& t) { return db.Diary_CheckDate(t); }, "2024-05-01", "日记日期 2024-05-01 已经存在，请您重新输入。", "日记日期重复"},
  };
  for (const Case& c : cases) {
    ui.Clear();
    EXPECT_TRUE(c.check(c.existing));
    const auto box = OnlyBox();
    EXPECT_EQ(box.text, c.message);
    EXPECT_EQ(box.title, c.title);
    EXPECT_EQ(box.icon, MsgIcon::Critical);
    ui.Clear();
    EXPECT_FALSE(c.check("2099-01-01 new"));
    EXPECT_TRUE(ui.Messages().empty());
  }
}

TEST_F(DataStore, CardCheckAsksWhetherToKeepANamesake) {
  EXPECT_FALSE(db.Card_CheckCard("张三"));
  EXPECT_TRUE(ui.Messages().empty());

  ASSERT_NE(db.Card_Add("朋友", "张三", "某公司", "", "", "", "", "", "", "", "", "", "", ""), 0);
  ui.msgAnswers = {MsgResult::Yes, MsgResult::No};
  EXPECT_FALSE(db.Card_CheckCard("张三"));  // Yes: save the namesake
  EXPECT_TRUE(db.Card_CheckCard("张三"));   // No: stop
  const auto boxes = ui.Messages();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, "姓名“张三”在客户好友名片中已经存在。\n"
                           "\n"
                           "=====================================\n"
                           "位置：[朋友] 张三\n"
                           "公司：某公司\n"
                           "=====================================\n"
                           "\n"
                           "是否允许重复而继续保存？");
  EXPECT_EQ(boxes[0].title, "名片的姓名重复");
  EXPECT_EQ(boxes[0].icon, MsgIcon::Question);
  EXPECT_EQ(boxes[0].buttons, MsgButtons::YesNo);
}

TEST_F(DataStore, WhiteOrNoColourIsStoredAsNull) {
  // Adding with no colour leaves the record unmarked; a colour is stored as given.
  struct Adder {
    QString table;
    std::function<qint64(const QString&)> add;
  };
  const std::vector<Adder> adders = {
      {"notes", [&](const QString& c) { return db.Notes_Add("n" + c, "", "c", c); }},
      {"moneys", [&](const QString& c) { return db.Moneys_Add("2024-05-01", "支出", "t", "", 1, "", 1, 1, c); }},
      {"url", [&](const QString& c) { return db.Url_Add("u" + c, "", "", "", c); }},
      {"diary", [&](const QString& c) { return db.Diary_Add("2024-05-01", "d", "", c); }},
      {"card", [&](const QString& c) { return db.Card_Add("c", "n", "", "", "", "", "", "", "", "", "", "", "", c); }},
  };
  std::map<QString, qint64> marked;
  for (const Adder& a : adders) {
    SCOPED_TRACE(a.table.toStdString());
    const QString read = QString("select %1string1 as v from %1 where %1id=%2").arg(a.table);
    const qint64 plain = a.add("");
    ASSERT_GT(plain, 0);
    EXPECT_TRUE(Value(read.arg(plain)).isNull());
    marked[a.table] = a.add("255");
    EXPECT_EQ(Value(read.arg(marked[a.table])).toString(), "255");
  }

  const qint64 red = marked["notes"], moneys = marked["moneys"], url = marked["url"];
  const qint64 reminds = db.Reminds_Add("2024-05-01 08:00", "t", "", "", 0);
  db.objConn.Execute("insert into files (filesname) values ('f')");
  const qint64 files = db.objConn.LastInsertId();
  struct Family {
    QString table;
    qint64 id;
    std::function<bool(qint64, const QString&)> modifyColor;
  };
  const std::vector<Family> families = {
      {"notes", red, [&](qint64 id, const QString& c) { return db.Notes_ModifyColor(id, c); }},
      {"moneys", moneys, [&](qint64 id, const QString& c) { return db.Moneys_ModifyColor(id, c); }},
      {"reminds", reminds, [&](qint64 id, const QString& c) { return db.Reminds_ModifyColor(id, c); }},
      {"files", files, [&](qint64 id, const QString& c) { return db.Files_ModifyColor(id, c); }},
      {"url", url, [&](qint64 id, const QString& c) { return db.Url_ModifyColor(id, c); }},
  };
  for (const Family& f : families) {
    const QString read = QString("select %1string1 as v from %1 where %1id=%2").arg(f.table).arg(f.id);
    EXPECT_TRUE(f.modifyColor(f.id, "65280"));
    EXPECT_EQ(Value(read).toString(), "65280") << f.table.toStdString();
    EXPECT_TRUE(f.modifyColor(f.id, "16777215"));
    EXPECT_TRUE(Value(read).isNull()) << f.table.toStdString();
  }
  EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(DataStore, NotesAreAddedModifiedAndDeleted) {
  const qint64 id = db.Notes_Add("标题", "内容\r\n第二行", "分类", "255");
  ASSERT_GT(id, 0);
  EXPECT_EQ(Row(db.Notes_GetModify(id), {"notescontent", "notesdate"}),
            QStringList({"内容\r\n第二行", "2024-05-03 10:20:30"}));

  platform::SetNow(vb::MakeDateTime(QDate(2024, 5, 4), QTime(7, 0)));
  EXPECT_EQ(db.Notes_Modify(id, "新标题", "新内容", "新类"), id);
  // The mark stays.
  EXPECT_EQ(Row(db.Notes_GetModify(id), {"notestitle", "notesclass", "notesdate", "notesstring1"}),
            QStringList({"新标题", "新类", "2024-05-04 07:00:00", "255"}));

  db.Notes_Add("other", "", "新类", "");
  db.Notes_Add("kept", "", "旧类", "");
  EXPECT_EQ(Column(db.Notes_GetClass(), "notesclass"), QStringList({"新类", "旧类"}));
  EXPECT_TRUE(db.Notes_Delete(id));
  EXPECT_TRUE(db.Notes_GetModify(id)->Eof());
  EXPECT_TRUE(db.Notes_DeleteClass("新类"));
  EXPECT_EQ(Column(db.Notes_GetRecordSet(), "notestitle"), QStringList({"kept"}));
  EXPECT_TRUE(ui.Messages().empty());
}

// A modify of an id that no row has fails and neither adds a row nor touches another.
TEST_F(DataStore, ModifyingAMissingRecordFails) {
  const QString source = dir.filePath("a.txt");
  ASSERT_TRUE(WriteBytes(source, "new bytes"));
  ASSERT_GT(db.Notes_Add("n", "", "c", ""), 0);
  ASSERT_GT(db.Moneys_Add("2024-05-01", "支出", "t", "", 1, "", 1, 1, ""), 0);
  ASSERT_GT(db.Reminds_Add("2024-05-01 8:00", "t", "", "", 0), 0);
  ASSERT_GT(db.Files_Add("c", source, "a.txt", "txt", 9, "m"), 0);
  ASSERT_GT(db.Url_Add("t", "a", "m", "c", ""), 0);
  const QStringList tables = {"notes", "moneys", "reminds", "files", "url"};
  std::map<QString, QStringList> before;
  for (const QString& table : tables) before[table] = Rows(table);

  struct Case {
    QString text;
    std::function<qint64()> modify;
  };
  const std::vector<Case> cases = {
      {"修改常用资料笔记时发生错误，", [&] { return db.Notes_Modify(99, "a", "b", "c"); }},
      {"修改日常收支帐目时发生错误，", [&] { return db.Moneys_Modify(99, "2024-05-01", "支出", "t", "", 1, "", 1, 1); }},
      {"修改计划任务提醒时发生错误，", [&] { return db.Reminds_Modify(99, "2024-05-01 8:00", "t", "", "", 1); }},
      {"修改重要文件备案时发生错误，", [&] { return db.Files_Modify_Info(99, "c", "n", "m"); }},
      {"修改重要文件备案时发生错误，",
       [&] { return db.Files_Modify_All(99, "c", source, "n", "txt", 9, "m"); }},
      {"修改收藏网址资料时发生错误，", [&] { return db.Url_Modify(99, "t", "a", "m", "c"); }},
  };
  for (const Case& c : cases) {
    ui.Clear();
    EXPECT_EQ(c.modify(), 0) << c.text.toStdString();
    const auto box = OnlyBox();
    EXPECT_TRUE(box.text.startsWith(c.text)) << box.text.toStdString();
    EXPECT_EQ(box.title, "发生错误");
    for (const QString& table : tables) EXPECT_EQ(Rows(table), before[table]) << table.toStdString();
  }
}

TEST_F(DataStore, LedgerEntriesStoreTheirDateAsADate) {
  const qint64 id = db.Moneys_Add("2024/5/1 9:30", "支出", "书", "备注", 2, "本", 12.5, 25, "");
  ASSERT_GT(id, 0);
  EXPECT_EQ(Row(db.Moneys_GetModify(id), {"moneysdate", "moneysshow", "moneyssprice", "moneyssum", "moneysunit"}),
            QStringList({"2024-05-01 09:30:00", "2", "12.5", "25", "本"}));

  EXPECT_EQ(db.Moneys_Add("not a date", "支出", "x", "", 1, "", 1, 1, ""), 0);
  EXPECT_TRUE(OnlyBox().text.startsWith("增加日常收支帐目时发生错误，"));
  ui.Clear();
  EXPECT_EQ(db.Moneys_Modify(id, "2024-13-01", "收入", "y", "", 1, "", 1, 1), 0);
  EXPECT_TRUE(OnlyBox().text.startsWith("修改日常收支帐目时发生错误，"));
  EXPECT_EQ(db.Moneys_GetRecordSet()->RecordCount(), 1);  // nothing half-written
  EXPECT_EQ(db.Moneys_GetModify(id)->Fields("moneystitle").toString(), "书");

  EXPECT_EQ(db.Moneys_Modify(id, "2024-05-02", "收入", "退书", "", 1, "本", 25, 25), id);
  EXPECT_EQ(db.Moneys_GetModify(id)->Fields("moneysdate").toString(), "2024-05-02 00:00:00");
  db.Moneys_Add("2024-05-02 12:00", "支出", "午饭", "", 1, "", 20, 20, "");
  db.Moneys_Add("2024-05-03", "支出", "晚饭", "", 1, "", 30, 30, "");
  EXPECT_TRUE(db.Moneys_DeleteClass("2024年05月02日"));
  EXPECT_EQ(Column(db.Moneys_GetRecordSet(), "moneystitle"), QStringList({"晚饭"}));
  EXPECT_TRUE(db.Moneys_Delete(db.Moneys_GetRecordSet()->Fields("moneysid").toLongLong()));
  EXPECT_TRUE(db.Moneys_GetRecordSet()->Eof());
}

TEST_F(DataStore, RemindersRepeatDailyOrOnce) {
  const qint64 daily = db.Reminds_Add("2024-05-01 8:00", "起床", "", "/tmp/a.txt", 1);
  const qint64 once = db.Reminds_Add("2024-05-01 9:00", "开会", "", "", 0);
  EXPECT_EQ(db.Reminds_GetModify(daily)->Fields("remindsstring2").toString(), "Day");
  EXPECT_TRUE(db.Reminds_GetModify(once)->Fields("remindsstring2").isNull());

  db.Reminds_ModifyColor(daily, "255");
  EXPECT_EQ(db.Reminds_Modify(daily, "2024-05-02 7:45", "早起", "c", "", 0), daily);
  EXPECT_EQ(Row(db.Reminds_GetModify(daily), {"remindstime", "remindsstring2", "remindsstring1"}),
            QStringList({"2024-05-02 07:45:00", "<Null>", "255"}));

  EXPECT_TRUE(db.Reminds_DeleteClass("2024年05月01日"));
  EXPECT_TRUE(db.Reminds_GetModify(once)->Eof());
  EXPECT_TRUE(db.Reminds_Delete(daily));
  EXPECT_TRUE(db.Reminds_GetRecordSet()->Eof());
}

TEST_F(DataStore, BookmarksCardsAndDiaryKeepTheirFields) {
  const qint64 url = db.Url_Add("首页", "https://example.org", "说明", "常用", "255");
  EXPECT_EQ(db.Url_Modify(url, "主页", "https://example.com", "", "工作"), url);
  EXPECT_EQ(Row(db.Url_GetModify(url), {"urltext", "urladdress", "urlclass", "urlstring1"}),
            QStringList({"主页", "https://example.com", "工作", "255"}));
  EXPECT_TRUE(db.Url_ModifyClass("私人", "工作"));
  EXPECT_EQ(Column(db.Url_GetClass(), "urlclass"), QStringList({"私人"}));
  EXPECT_TRUE(db.Url_DeleteClass("私人"));
  EXPECT_TRUE(db.Url_GetRecordSet()->Eof());

  const qint64 card = db.Card_Add("客户", "李四", "公司", "经理", "地址", "电话", "传真", "手机", "a@b.c", "网址",
                                  "备注", "s2", "s3", "");
  EXPECT_EQ(Row(db.Card_ExpRecordSet(QString::number(card)), {"cardhandset", "cardstring3", "cardstring1"}),
            QStringList({"手机", "s3", "<Null>"}));
  EXPECT_EQ(Column(db.Card_GetRecordSet("客户"), "cardname"), QStringList({"李四"}));

  const qint64 diary = db.Diary_Add("2024-05-01", "晴", "正文", "");
  EXPECT_EQ(Row(db.Diary_ExpRecordSet(QString::number(diary)), {"diarydate", "diarytime"}),
            QStringList({"2024-05-01 00:00:00", "2024-05-03 10:20:30"}));
  EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(DataStore, BookmarksAndCardsAreListedByCategory) {
  const qint64 b = db.Url_Add("b", "", "", "工作", "");
  for (const char* title : {"乙", "A"}) db.Url_Add(title, "", "", "工作", "");
  db.Url_Add("私", "", "", "私人", "");
  EXPECT_EQ(Column(db.Url_GetRecordSet("工作"), "urltext"), QStringList({"A", "b", "乙"}));
  EXPECT_TRUE(db.Url_Delete(b));
  EXPECT_EQ(Column(db.Url_GetRecordSet(), "urltext"), QStringList({"A", "乙", "私"}));
  EXPECT_TRUE(db.Url_DeleteClass("私人"));
  EXPECT_EQ(Column(db.Url_GetRecordSet(), "urltext"), QStringList({"A", "乙"}));

  for (const char* cardclass : {"朋友", "客户", "朋友", "Ab", "客户"})
    db.Card_Add(cardclass, "n", "", "", "", "", "", "", "", "", "", "", "", "");
  EXPECT_EQ(Column(db.Card_GetClass(), "cardclass"), QStringList({"Ab", "客户", "朋友"}));
  EXPECT_TRUE(ui.Messages().empty());
}

// Whole lists and export lists come in their family's order whatever order the records were added
// in (dates typed in different forms compare as dates); an export list holds only the ids given.
TEST_F(DataStore, ListsComeInTheirFamilysOrder) {
  const QStringList dates = {"2024年5月12日", "2023-12-31 23:00", "2024/5/3 9:30", "2024-05-03 08:00"};
  const QStringList datesInOrder = {"2023-12-31 23:00", "2024-05-03 08:00", "2024/5/3 9:30", "2024年5月12日"};
  const QStringList names = {"乙", "b", "A", "a"};
  const QStringList namesInOrder = {"A", "a", "b", "乙"};
  struct Family {
    QString field;  // holds the text the record was added with
    std::function<qint64(const QString&)> add;
    QStringList added, inOrder;
    std::function<RowSetPtr()> all;                      // empty: no whole list checked
    std::function<RowSetPtr(const QString&)> exported;  // empty: the family has no export list
  };
  const std::vector<Family> families = {
      {"notestitle",
       [&](const QString& at) {
         platform::SetNow(*vb::CDate(at));  // the export list follows the time of the last save
         return db.Notes_Add(at, "", "c", "");
       },
       dates, datesInOrder, {}, [&](const QString& ids) { return db.Notes_ExpRecordSet(ids); }},
      {"moneystitle", [&](const QString& d) { return db.Moneys_Add(d, "支出", d, "", 1, "", 1, 1, ""); }, dates,
       datesInOrder, [&] { return db.Moneys_GetRecordSet(""); },
       [&](const QString& ids) { return db.Moneys_ExpRecordSet(ids); }},
      {"remindstitle", [&](const QString& d) { return db.Reminds_Add(d, d, "", "", 0); }, dates, datesInOrder,
       [&] { return db.Reminds_GetRecordSet(""); }, {}},
      {"diarytitle", [&](const QString& d) { return db.Diary_Add(d, d, "", ""); }, dates, datesInOrder,
       [&] { return db.Diary_GetRecordSet(""); }, [&](const QString& ids) { return db.Diary_ExpRecordSet(ids); }},
      {"urltext", [&](const QString& n) { return db.Url_Add(n, "", "", "c", ""); }, names, namesInOrder,
       [&] { return db.Url_GetRecordSet(""); }, [&](const QString& ids) { return db.Url_ExpRecordSet(ids); }},
      {"cardname",
       [&](const QString& n) { return db.Card_Add("c", n, "", "", "", "", "", "", "", "", "", "", "", ""); }, names,
       namesInOrder, [&] { return db.Card_GetRecordSet(""); },
       [&](const QString& ids) { return db.Card_ExpRecordSet(ids); }},
  };
  for (const Family& f : families) {
    SCOPED_TRACE(f.field.toStdString());
    const QString left = f.added[1];  // added, but not asked for in the export
    QStringList ids;
    for (const QString& text : f.added) {
      const qint64 id = f.add(text);
      ASSERT_GT(id, 0);
      if (text != left) ids << QString::number(id);
    }
    if (f.all) {
      EXPECT_EQ(Column(f.all(), f.field), f.inOrder);
    }
    if (f.exported) {
      QStringList expected = f.inOrder;
      expected.removeOne(left);
      EXPECT_EQ(Column(f.exported(ids.join(u',')), f.field), expected);
    }
  }
  EXPECT_TRUE(ui.Messages().empty());
}

// The whole list read in storage order gives each note its place in the title order, for ids
// close together and far apart; ties come by id.
TEST_F(DataStore, AllNotesComeWithTheirPlaceInTitleOrder) {
  const QStringList titles = {"b", "B", "a", "b", "甲", "A"};
  for (const qint64 step : {qint64(2), qint64(1) << 40}) {
    db.objConn.Execute("delete from notes");
    for (int i = 0; i < titles.size(); ++i)
      db.objConn.Execute("insert into notes (notesid, notestitle, notesclass) values (?, ?, 'c')",
                         {qint64(titles.size() - i) * step, titles[i]});
    const QStringList inOrder = Column(db.Notes_GetRecordSet(), "notesid");
    QStringList placed(inOrder.size());
    qint64 lastId = 0;
    for (RowSetPtr rs = db.Notes_GetAllRecords(); !rs->Eof(); rs->MoveNext()) {
      EXPECT_GT(rs->Fields("notesid").toLongLong(), lastId);
      lastId = rs->Fields("notesid").toLongLong();
      ASSERT_TRUE(rs->Rank() >= 0 && rs->Rank() < placed.size());
      placed[rs->Rank()] = rs->Fields("notesid").toString();
    }
    EXPECT_EQ(placed, inOrder);
  }
}

// Every record asked for comes once, however the ids are listed; records saved at the same time
// come in the order they were added.
TEST_F(DataStore, ExportListsTakeOnlyIds) {
  platform::SetNow(*vb::CDate("2024-05-03 08:00"));
  QStringList ids;
  for (const char* title : {"c", "a", "b"}) ids << QString::number(db.Notes_Add(title, "", "c", ""));
  EXPECT_EQ(Column(db.Notes_ExpRecordSet(QStringList{ids[2], ids[0], " " + ids[1], ids[2], ""}.join(u',')), "notestitle"),
            QStringList({"c", "a", "b"}));
  EXPECT_TRUE(ui.Messages().empty());
  EXPECT_EQ(db.Notes_ExpRecordSet("1) or (1=1"), nullptr);
  EXPECT_TRUE(OnlyBox().text.startsWith("获得导出资料列表时发生错误，"));
}

// A title like O'Brien reaches the store through import and category fields.
TEST_F(DataStore, QuotesAreStoredAndFoundAsTyped) {
  const QString name = "O'Brien's";
  const qint64 id = db.Notes_Add(name, "it's", name, "");
  ASSERT_GT(id, 0);
  EXPECT_TRUE(db.Notes_CheckTitle(name));
  EXPECT_EQ(OnlyBox().text, "资料主题 O'Brien's 已经存在，请您重新输入。");
  EXPECT_EQ(Column(db.Notes_GetRecordSet(name), "notestitle"), QStringList({name}));
  EXPECT_TRUE(db.Notes_ModifyClass("x' or '1'='1", name));
  EXPECT_EQ(Column(db.Notes_GetClass(), "notesclass"), QStringList({"x' or '1'='1"}));
  EXPECT_TRUE(db.Notes_DeleteClass("x' or '1'='1"));
  EXPECT_TRUE(db.Notes_GetRecordSet()->Eof());

  db.Url_Add(name, "", "", name, "");
  db.Url_Add("other", "", "", "other", "");
  EXPECT_TRUE(db.Url_ModifyClass("it's", name));
  EXPECT_TRUE(db.Url_DeleteClass("it's"));
  EXPECT_EQ(Column(db.Url_GetRecordSet(), "urltext"), QStringList({"other"}));
  db.Card_Add(name, name, "", "", "", "", "", "", "", "", "", "", "", "");
  ui.Clear();
  ui.msgAnswers = {MsgResult::No};
  EXPECT_TRUE(db.Card_CheckCard(name));
  EXPECT_TRUE(OnlyBox().text.contains("位置：[O'Brien's] O'Brien's"));
  db.Moneys_Add("2024-05-01", "支出", "t", "", 1, "", 1, 1, "");
  EXPECT_TRUE(db.Moneys_DeleteClass("2024年05月02日' or '1'='1"));
  EXPECT_EQ(db.Moneys_GetRecordSet()->RecordCount(), 1);  // the text never changed the statement
}

// Titles and categories compare, group and sort as Access compares text: without regard to ASCII
// letter case.
TEST_F(DataStore, TitlesAndCategoriesIgnoreLetterCase) {
  const qint64 abc = db.Notes_Add("abc", "", "work", "");
  db.Notes_Add("Banana", "", "Work", "");
  db.Notes_Add("apple", "", "WORK", "");
  db.Notes_Add("Él", "", "él", "");  // only ASCII letters fold
  EXPECT_EQ(Column(db.Notes_GetClass(), "notesclass"), QStringList({"WORK", "él"}));
  EXPECT_EQ(Column(db.Notes_GetRecordSet("Work"), "notestitle"), QStringList({"abc", "apple", "Banana"}));
  EXPECT_EQ(Column(db.Notes_GetRecordSet(), "notestitle"), QStringList({"abc", "apple", "Banana", "Él"}));
  EXPECT_TRUE(db.Notes_CheckTitle("ABC"));
  EXPECT_EQ(OnlyBox().title, "资料主题重复");
  ui.Clear();
  EXPECT_FALSE(db.Notes_CheckTitle("ABC", abc));  // the record being modified is not its own duplicate
  EXPECT_TRUE(db.Notes_CheckTitle("BANANA", abc));
  EXPECT_FALSE(db.Notes_CheckTitle("él"));
  ui.Clear();
  EXPECT_TRUE(db.Notes_ModifyClass("Personal", "wORK"));
  EXPECT_EQ(Column(db.Notes_GetRecordSet("personal"), "notestitle"), QStringList({"abc", "apple", "Banana"}));
  EXPECT_TRUE(db.Notes_DeleteClass("PERSONAL"));
  EXPECT_EQ(Column(db.Notes_GetRecordSet(), "notestitle"), QStringList({"Él"}));

  const qint64 url = db.Url_Add("Home", "", "", "Links", "");
  db.Url_Add("about", "", "", "links", "");
  db.objConn.Execute("insert into files (filesname, filesclass) values ('A.txt', 'Docs'), ('b.txt', 'docs')");
  db.Card_Add("Friends", "Li", "", "", "", "", "", "", "", "", "", "", "", "");
  EXPECT_EQ(Column(db.Url_GetRecordSet("LINKS"), "urltext"), QStringList({"about", "Home"}));
  EXPECT_EQ(Column(db.Files_GetClass(), "filesclass"), QStringList({"Docs"}));
  EXPECT_EQ(Column(db.Files_GetRecordSet("DOCS"), "filesname"), QStringList({"A.txt", "b.txt"}));
  EXPECT_TRUE(db.Url_CheckUrlText("HOME"));
  EXPECT_TRUE(db.Files_CheckFilesName("a.TXT"));
  ui.msgAnswers = {MsgResult::No};
  EXPECT_TRUE(db.Card_CheckCard("LI"));
  EXPECT_EQ(ui.Messages().size(), 3u);
  ui.Clear();
  EXPECT_FALSE(db.Url_CheckUrlText("HOME", url));
  EXPECT_TRUE(ui.Messages().empty());
}

// Every value is bound: a NUL inside a text (an imported title) neither cuts a statement nor
// makes two texts that differ after it the same.
TEST_F(DataStore, TextsWithANulAreStoredAndFound) {
  const QString title = QString("a") + QChar(0) + "b", cls = QString("c") + QChar(0) + "d";
  const QString otherTitle = QString("a") + QChar(0) + "x", otherCls = QString("c") + QChar(0) + "x";
  const qint64 id = db.Notes_Add(title, "", cls, "");
  ASSERT_GT(id, 0);
  db.Notes_Add(otherTitle, "", otherCls, "");
  EXPECT_EQ(db.Notes_GetModify(id)->Fields("notestitle").toString(), title);
  EXPECT_EQ(Column(db.Notes_GetClass(), "notesclass"), QStringList({cls, otherCls}));
  EXPECT_EQ(Column(db.Notes_GetRecordSet(cls), "notestitle"), QStringList({title}));
  EXPECT_TRUE(db.Notes_CheckTitle(title));
  ui.Clear();
  EXPECT_FALSE(db.Notes_CheckTitle("a"));
  EXPECT_FALSE(db.Notes_CheckTitle(QString("a") + QChar(0) + "c"));
  EXPECT_TRUE(ui.Messages().empty());
  const QString renamed = QString("e") + QChar(0) + "f";
  EXPECT_TRUE(db.Notes_ModifyClass(renamed, cls));
  EXPECT_EQ(Column(db.Notes_GetRecordSet(renamed), "notestitle"), QStringList({title}));
  EXPECT_TRUE(db.Notes_DeleteClass(renamed));
  EXPECT_EQ(Column(db.Notes_GetRecordSet(), "notestitle"), QStringList({otherTitle}));

  db.Url_Add(title, "", "", cls, "");
  EXPECT_TRUE(db.Url_CheckUrlText(title));
  EXPECT_FALSE(db.Url_CheckUrlText(otherTitle));
}

TEST_F(DataStore, IdsBeyondSixteenBitsWork) {
  db.objConn.Execute("insert into notes (notesid, notestitle, notesclass) values (40000, 'seed', 'c')");
  const qint64 id = db.Notes_Add("next", "", "c", "");
  EXPECT_GT(id, 32767);
  EXPECT_EQ(id, 40001);
  EXPECT_EQ(db.Notes_Modify(id, "renamed", "", "c"), id);
  EXPECT_TRUE(db.Notes_ModifyColor(id, "255"));
  EXPECT_EQ(db.Notes_GetModify(id)->Fields("notestitle").toString(), "renamed");
  EXPECT_TRUE(db.Notes_Delete(id));
  EXPECT_TRUE(db.Notes_GetModify(id)->Eof());
  EXPECT_EQ(db.Notes_GetRecordSet()->Fields("notesid").toLongLong(), 40000);
  EXPECT_TRUE(ui.Messages().empty());
}

} // namespace
} // namespace datastore_test
