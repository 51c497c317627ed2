// A disk that fills up while the program writes: extracting an archived file, saving the scratch
// pad (into the data set and to a text file), writing an export, importing into a data set on that
// disk. Each shows its error box, which says that the disk is full (the system's own text in the
// bracket, untranslated, though Qt's texts are in Chinese), leaves the old target file as it was (no journal beside a data set), loses none of the user's text, and works once there is
// room again.

#include "exchange/frmExp.h"
#include "exchange/frmImp.h"
#include "faultenv.h"
#include "modules/files/frmFiles.h"
#include "modules/scratchpad/frmTemp.h"
#include "platform/textfile.h"
#include "testenv.h"

#include <QLibraryInfo>
#include <QPlainTextEdit>
#include <QTest>
#include <QTranslator>
#include <memory>
#include <tuple>
#include <utility>

using faults::Snapshot;

namespace {

datastore::clsDate& db() { return modStart::objDate(); }

// Longer than any write buffer, so the write itself meets the full disk.
QString LongText() { return QStringLiteral("满盘测试的内容 😀\n").repeated(20000); }

} // namespace

class tst_faults_fulldisk : public QObject {
  Q_OBJECT
private slots:
  void initTestCase() {
    // As the program does: Qt's own texts in Chinese.
    QVERIFY(translator_.load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)));
    QCoreApplication::installTranslator(&translator_);
  }
  void init() {
    env_ = std::make_unique<TestEnv>();
    disk_ = std::make_unique<faults::FullDisk>(Path(QStringLiteral("disk")));
    qInfo("full disk by %s", qPrintable(disk_->how));
  }
  void cleanup() {
    disk_.reset();
    env_.reset();
  }

  void extractionOntoAFullDisk();
  void scratchPadOnAFullDisk();
  void exportOntoAFullDisk();
  void importOntoAFullDisk();

private:
  QString Path(const QString& name) const { return env_->dir.filePath(name); }
  QString OnDisk(const QString& name) const { return Path(QStringLiteral("disk/") + name); }
  // What a box says of the full disk: the file size limit stands in for it when nothing can be
  // mounted.
  QString FullDiskCause() const {
    return disk_->how == QLatin1String("small tmpfs") ? QStringLiteral("磁盘已满") : QStringLiteral("文件太大");
  }
  // And of a file it stopped.
  QString FullFileCause() const {
    return FullDiskCause() + (disk_->how == QLatin1String("small tmpfs") ? QStringLiteral("（No space left on device）")
                                                                          : QStringLiteral("（File too large）"));
  }
  // The one message box shown since the last Clear.
  platform::ShownMessage OnlyBox() const {
    const auto boxes = env_->ui.Messages();
    return boxes.size() == 1 ? boxes[0] : platform::ShownMessage{};
  }
  QTranslator translator_;
  std::unique_ptr<TestEnv> env_;
  std::unique_ptr<faults::FullDisk> disk_;
};

void tst_faults_fulldisk::extractionOntoAFullDisk() {
  QByteArray stored;
  for (int i = 0; i < 300000; ++i) stored.append(char(i * 7 % 256));
  QVERIFY(WriteBytes(Path(QStringLiteral("报告.bin")), stored));
  const qint64 id = db().Files_Add(QStringLiteral("文档"), Path(QStringLiteral("报告.bin")), QStringLiteral("报告"),
                                   QStringLiteral("bin"), double(stored.size()), QString());
  QVERIFY(id > 0);
  frmFiles window;
  window.resize(900, 600);
  window.show();
  window.TreeView1->setCurrentIndex(window.IndexOf(window.Node(QStringLiteral("_%1").arg(id))));

  const QString target = OnDisk(QStringLiteral("报告.bin"));
  QVERIFY(WriteBytes(target, "the old file"));
  const auto before = Snapshot(OnDisk(QString()));
  disk_->Fill();
  env_->ui.fileAnswers = {target};
  window.LabGoto_Click();
  disk_->Free();
  const platform::ShownMessage box = OnlyBox();
  QVERIFY2(box.text.startsWith(QStringLiteral("从数据文件中提取文件出现错误：")) && box.text.contains(FullFileCause()), qPrintable(box.text));
  QCOMPARE(box.icon, platform::MsgIcon::Exclamation);
  QVERIFY(env_->ui.Opened().isEmpty());
  QCOMPARE(Snapshot(OnDisk(QString())), before);  // the old file whole, no half-written copy beside it

  // With room again the same command writes every stored byte.
  env_->ui.Clear();
  env_->ui.fileAnswers = {target};
  window.LabGoto_Click();
  QCOMPARE(ReadBytes(target), stored);
  QCOMPARE(env_->ui.Opened(), QStringList{target});
}

void tst_faults_fulldisk::scratchPadOnAFullDisk() {
  // The data set itself lives on the disk that fills up.
  db().CloseDataBase();
  const QString dataSet = OnDisk(QStringLiteral("便条.kvt"));
  QVERIFY(db().CreateDataBase(dataSet));
  QVERIFY(db().OpenDataBase(dataSet));
  QVERIFY(db().UserNote_Modify(QStringLiteral("旧的内容")));
  const QString copy = OnDisk(QStringLiteral("副本.txt"));
  QVERIFY(WriteBytes(copy, "old copy"));

  frmTemp pad;
  pad.resize(900, 600);
  pad.show();
  const QString text = LongText();
  pad.txtContent->selectAll();
  pad.txtContent->insertPlainText(text);

  disk_->Fill();
  env_->ui.Clear();
  QTest::keyClick(pad.txtContent, Qt::Key_S, Qt::ControlModifier);
  platform::ShownMessage box = OnlyBox();
  QVERIFY2(box.text.startsWith(QStringLiteral("修改临时记事便条时发生错误，")) && box.text.contains(FullDiskCause()), qPrintable(box.text));
  QCOMPARE(box.icon, platform::MsgIcon::Critical);
  QVERIFY(pad.IsChanged());

  env_->ui.Clear();
  env_->ui.fileAnswers = {copy};
  pad.labHas_Click();
  box = OnlyBox();
  QVERIFY2(box.text.startsWith(QStringLiteral("将当前的临时记事便条内容另存时发生错误，")) && box.text.contains(FullFileCause()), qPrintable(box.text));
  QCOMPARE(ReadBytes(copy), QByteArray("old copy"));
  disk_->Free();

  // Nothing of the text is lost: it is still in the window, the data set is sound and still holds
  // the old text, and the next save stores it all.
  QCOMPARE(pad.Text(), text);
  QCOMPARE(db().objConn.OpenRowSet(QStringLiteral("pragma integrity_check"))->Fields("integrity_check").toString(),
           QStringLiteral("ok"));
  QCOMPARE(db().GetUserNote(), QStringLiteral("旧的内容"));
  env_->ui.Clear();
  QTest::keyClick(pad.txtContent, Qt::Key_S, Qt::ControlModifier);
  QCOMPARE(OnlyBox().text, QStringLiteral("请放心，当前的内容已保存！"));
  QCOMPARE(db().GetUserNote(), QString(text).replace(u'\n', QStringLiteral("\r\n")));
  QVERIFY(!pad.IsChanged());
  db().CloseDataBase();
}

void tst_faults_fulldisk::exportOntoAFullDisk() {
  QVERIFY(db().Notes_Add(QStringLiteral("甲"), LongText(), QStringLiteral("工作"), QString()) > 0);
  const QString file = OnDisk(QStringLiteral("导出资料.txt"));
  QVERIFY(WriteBytes(file, "an earlier export"));
  const auto before = Snapshot(OnDisk(QString()));
  exchange::frmExp exp(QStringLiteral("frmNotes"));
  exp.cmdSelectAll_Click();

  disk_->Fill(64 * 1024);  // the write stops short, part way
  env_->ui.fileAnswers = {file};
  exp.cmdOk_Click();
  disk_->Free();
  const platform::ShownMessage box = OnlyBox();
  QVERIFY2(box.text.startsWith(QStringLiteral("导出过程中发生错误，")) && box.text.contains(FullFileCause()), qPrintable(box.text));
  QCOMPARE(box.icon, platform::MsgIcon::Critical);
  QCOMPARE(Snapshot(OnDisk(QString())), before);

  env_->ui.Clear();
  env_->ui.fileAnswers = {file};
  exp.cmdOk_Click();
  QCOMPARE(OnlyBox().title, QStringLiteral("完成"));
  QVERIFY(platform::ReadTextFile(file).text.contains(QStringLiteral("满盘测试的内容 😀{br}")));
}

void tst_faults_fulldisk::importOntoAFullDisk() {
  db().CloseDataBase();
  const QString dataSet = OnDisk(QStringLiteral("导入.kvt"));
  QVERIFY(db().CreateDataBase(dataSet));
  QVERIFY(db().OpenDataBase(dataSet));
  auto count = [] { return db().objConn.OpenRowSet(QStringLiteral("select count(*) as n from notes"))->Fields("n").toInt(); };
  // A run fails at its commit while its records fit in SQLite's page cache, else at the add that
  // spills them to the file; either way none of its records is stored, and the box says why and so.
  // The second is closed while the disk is still full: no journal stays beside the data set.
  const QString failures[] = {QStringLiteral("导入到资料模块中发生错误，保存所导入的记录时失败："),
                              QStringLiteral("导入到资料模块中发生错误，第 ")};
  for (const auto& [lines, charsEach, closeFull] : {std::tuple{10, 10000, false}, std::tuple{25, 35000, true}}) {
    QString text;
    for (int i = 0; i < lines; ++i) text += QStringLiteral("工作|第%1篇||%2|\r\n").arg(i).arg(QString(charsEach, u'满'));
    exchange::frmImp imp(QStringLiteral("frmNotes"));
    imp.LoadFile(text);
    imp.cmdSelectAll_Click();
    const int before = count();
    env_->ui.Clear();
    disk_->Fill(256 * 1024);
    imp.cmdOk_Click();
    if (closeFull) {
      db().CloseDataBase();
      QCOMPARE(QDir(OnDisk(QString())).entryList(QDir::Files), QStringList{QStringLiteral("导入.kvt")});
    }
    disk_->Free();
    const platform::ShownMessage box = OnlyBox();
    QVERIFY2(box.text.startsWith(failures[0]) || box.text.startsWith(failures[1]), qPrintable(box.text));
    QVERIFY2(box.text.contains(FullDiskCause()) && box.text.endsWith(QStringLiteral("本次导入的记录均未保存。")),
             qPrintable(box.text));
    QCOMPARE(box.icon, platform::MsgIcon::Critical);
    QVERIFY(!imp.blnImported);
    if (closeFull) QVERIFY(db().OpenDataBase(dataSet));
    QCOMPARE(count(), before);

    // With room again the same "完成" stores them all.
    env_->ui.Clear();
    imp.cmdOk_Click();
    QVERIFY(imp.blnImported);
    QCOMPARE(count(), before + lines);
    QVERIFY(env_->ui.Messages().empty());
  }
  QCOMPARE(db().objConn.OpenRowSet(QStringLiteral("pragma integrity_check"))->Fields("integrity_check").toString(),
           QStringLiteral("ok"));
  db().CloseDataBase();
}

QTEST_MAIN(tst_faults_fulldisk)
#include "tst_faults_fulldisk.moc"
