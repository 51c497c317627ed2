// The file archive driven offscreen: the upload limits, exact bytes out of the window and the
// dialog (also onto a longer file, and a failed write that keeps the old one), the modify branches
// and the double-click on a moved source.

#include "modules/files/frmFiles.h"
#include "modules/files/frmFilesEdit.h"
#include "modules/listwindow/modStart.h"
#include "modules/registry.h"
#include "platform/ui.h"
#include "testenv.h"
#include "driver.h"
#include "filebytes.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <csignal>
#include <memory>
#include <sys/resource.h>

using platform::MsgResult;

namespace {

datastore::clsDate& db() { return modStart::objDate(); }

QString WriteFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) qFatal("cannot write %s", qPrintable(path));
  return path;
}

// A file of this length without writing its bytes.
QString SizedFile(const QString& path, qint64 size) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly) || !file.resize(size)) qFatal("cannot size %s", qPrintable(path));
  return path;
}

QVariant Field(qint64 id, const char* name) {
  datastore::RowSetPtr rs = db().Files_GetModify(id);
  return rs && !rs->Eof() ? rs->Fields(name) : QVariant();
}

// Lets this process write only `bytes` per file, so a write fails part way as on a full disk.
struct FileSizeLimit {
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = saved;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, SIG_DFL);
  }
  rlimit saved{};
};

} // namespace

class TestFiles : public QObject {
  Q_OBJECT

  std::unique_ptr<TestEnv> env_;

  QString Path(const QString& name) const { return env_->dir.filePath(name); }
  QStringList Titles() const {
    QStringList titles;
    for (const auto& m : env_->ui.Messages()) titles << m.title;
    return titles;
  }

  // The user picks path in the open dialog, then describes and files it.
  void Choose(frmFilesEdit& d, const QString& path) {
    env_->ui.fileAnswers.push_back(path);
    d.cmdSelectFile->click();
  }
  void Fill(frmFilesEdit& d, const QString& path, const QString& cls = "文档") {
    Choose(d, path);
    d.txtMemo->setPlainText("说明");
    d.cobClass->setCurrentText(cls);
  }

  std::unique_ptr<frmFilesEdit> Dialog(std::optional<qint64> id = std::nullopt) {
    auto d = std::make_unique<frmFilesEdit>();
    if (id) d->Modify(*id, *db().Files_GetModify(*id));
    d->show();
    return d;
  }

  std::unique_ptr<frmFiles> Window() { return Shown(std::make_unique<frmFiles>()); }

private slots:
  void init() { env_ = std::make_unique<TestEnv>(); }
  void cleanup() { env_.reset(); }

  void uploadLimits() {
    struct Case {
      qint64 size;
      QStringList boxes;
      bool stored;  // also the answer to the 2 MiB question
    };
    const Case cases[] = {{10485760, {"文件过大"}, false},
                          {10485759, {"文件较大"}, false},
                          {10485759, {"文件较大"}, true},
                          {2097152, {"文件较大"}, true},
                          {2097151, {}, true}};
    for (const Case& c : cases) {
      env_->ui.Clear();
      env_->ui.msgAnswers = {c.stored ? MsgResult::Yes : MsgResult::No};
      auto d = Dialog();
      Fill(*d, SizedFile(Path(QString("f%1.bin").arg(c.size)), c.size));
      d->cmdOk->click();
      QCOMPARE(Titles(), c.boxes);
      QCOMPARE(d->SavedClass.isEmpty(), !c.stored);
    }
    QCOMPARE(Field(1, "filessize").toDouble(), 10485759.0);
    QCOMPARE(Field(1, "filescontent").toByteArray().size(), 10485759);

    // 150 characters of path are kept, 151 refused; a typed name stays, the type follows the file.
    env_->ui.Clear();
    auto d = Dialog();
    const QString head = env_->dir.path() + "/";
    const QString ok = WriteFile(head + QString(140 - head.size(), u'x') + ".final.txt", "12345");
    const QString tooLong = WriteFile(head + QString(141 - head.size(), u'y') + ".final.txt", "1");
    QCOMPARE(ok.size(), 150);
    Choose(*d, tooLong);
    QCOMPARE(env_->ui.Messages().at(0).text,
             tooLong + "\n\n您所选择的该来源文件名称及路径字数过长，请缩短来源文件名称或路径后重试。");
    QCOMPARE(d->txtFrom->text(), QString());
    Choose(*d, ok);
    QCOMPARE(d->txtName->text(), QString(140 - head.size(), u'x'));
    QCOMPARE(d->txtKuo->text(), "final.txt");
    QCOMPARE(d->txtSize->text(), "5.00 字节");
    d->txtName->setText("名字");
    Choose(*d, WriteFile(Path("p.png"), QByteArray(2048, 'p')));
    QCOMPARE(d->txtName->text(), "名字");
    QCOMPARE(d->txtKuo->text(), "png");
    QCOMPARE(d->txtSize->text(), "2.00 KB");
  }

  // The length checked and stored is the source's when saved, not when it was chosen.
  void sourceChangedSinceChosen() {
    auto d = Dialog();
    const QString path = WriteFile(Path("grow.bin"), QByteArray(1000, 'g'));
    Fill(*d, path);
    SizedFile(path, 10485760);
    d->cmdOk->click();
    QCOMPARE(Titles(), QStringList{"文件过大"});
    WriteFile(path, QByteArray(3000, 'h'));
    d->cmdOk->click();
    QCOMPARE(Field(1, "filessize").toDouble(), 3000.0);
    QCOMPARE(Field(1, "filescontent").toByteArray(), QByteArray(3000, 'h'));
  }

  // Upload through the window; Ctrl+T writes every byte value over a longer file.
  void roundTripThroughTheWindow() {
    auto w = Window();
    QByteArray bytes;
    for (int b = 0; b < 1024; ++b) bytes.append(char(255 - b % 256));
    const QString source = WriteFile(Path("all.bin"), bytes);
    bool getFileEnabled = true;
    QTimer::singleShot(0, [&] {
      auto* d = qobject_cast<frmFilesEdit*>(QApplication::activeModalWidget());
      QVERIFY(d);
      getFileEnabled = d->cmdGetFile->isEnabled();
      Fill(*d, source, "二进制");
      d->cmdOk->click();
    });
    w->LabAdd_Click();
    QVERIFY(!getFileEnabled);
    const listwindow::TreeNode* group = w->Node("c二进制");
    const listwindow::TreeNode* node = group->Child(0);
    QCOMPARE(node->Text(), "all.bin （1.00 KB） 说明");
    QCOMPARE(node->Tag(), source);

    // Ctrl+T does nothing on a group, and runs on a record whatever LabGoto's state.
    env_->ui.Clear();
    QVERIFY(!w->LabGoto->isEnabled());
    QTest::keyClick(w->TreeView1, Qt::Key_T, Qt::ControlModifier);
    QVERIFY(env_->ui.shown.empty());
    w->TreeView1->setCurrentIndex(w->IndexOf(node));
    QVERIFY(w->LabGoto->isEnabled());
    w->LabGoto->setEnabled(false);
    const QString target = WriteFile(Path("out.bin"), QByteArray(50000, 'z'));
    env_->ui.fileAnswers = {target};
    QTest::keyClick(w->TreeView1, Qt::Key_T, Qt::ControlModifier);
    const platform::FileDialogRequest asked = env_->ui.shown.front().file;
    QCOMPARE(asked.title, "提取重要文件备案");
    QCOMPARE(asked.filter, "BIN 文件(*.bin)|*.bin|所有文件(*.*)|*.*");
    QCOMPARE(asked.fileName, "all");
    QCOMPARE(ReadBytes(target), bytes);
    QCOMPARE(env_->ui.Opened(), QStringList{target});

    // A write that fails part way leaves the old file whole and opens nothing.
    env_->ui.Clear();
    env_->ui.fileAnswers = {target};
    {
      FileSizeLimit limit(100);
      w->LabGoto_Click();
    }
    QCOMPARE(ReadBytes(target).size(), bytes.size());
    QCOMPARE(ReadBytes(target), bytes);
    QVERIFY(env_->ui.Opened().isEmpty());
    QVERIFY(env_->ui.Messages().at(0).text.startsWith("从数据文件中提取文件出现错误："));
  }

  void modifyBranches() {
    const QString source = WriteFile(Path("doc.txt"), "version one");
    const qint64 id = db().Files_Add("文档", source, "doc", "", 11, "v1");

    // Grown source: No keeps the old copy and size, Yes re-uploads.
    WriteFile(source, "version two, longer");
    env_->ui.msgAnswers = {MsgResult::No, MsgResult::Yes};
    auto d = Dialog(id);
    QVERIFY(d->cmdGetFile->isEnabled());
    d->txtMemo->setPlainText("v2");
    d->cmdOk->click();
    QCOMPARE(env_->ui.Messages().at(0).text, "来源文件已更改，是否重新上传？");
    QCOMPARE(Field(id, "filescontent").toByteArray(), QByteArray("version one"));
    QCOMPARE(Field(id, "filessize").toDouble(), 11.0);
    QCOMPARE(Field(id, "filesmemo").toString(), "v2");
    Dialog(id)->cmdOk->click();
    QCOMPARE(Field(id, "filescontent").toByteArray(), QByteArray("version two, longer"));
    QCOMPARE(Field(id, "filessize").toDouble(), 19.0);

    // Source deleted: no question, the stored copy stays and the dialog still extracts it, with
    // the two-entry filter although the type is empty.
    env_->ui.Clear();
    QFile::remove(source);
    d = Dialog(id);
    d->cobClass->setCurrentText("归档");
    env_->ui.fileAnswers = {Path("copy")};
    d->cmdGetFile->click();
    QCOMPARE(env_->ui.shown.front().file.filter, " 文件(*.)|*.|所有文件(*.*)|*.*");
    QCOMPARE(ReadBytes(Path("copy")), QByteArray("version two, longer"));
    d->cmdOk->click();
    QCOMPARE(Titles(), QStringList());
    QCOMPARE(Field(id, "filesclass").toString(), "归档");
    QCOMPARE(Field(id, "filescontent").toByteArray(), QByteArray("version two, longer"));

    // Its own name in another letter case is no duplicate; another record's name is.
    db().Files_Add("文档", WriteFile(Path("other.txt"), "o"), "other", "txt", 1, "o");
    for (const char* name : {"DOC", "Other"}) {
      d = Dialog(id);
      d->txtName->setText(name);
      d->cmdOk->click();
    }
    QCOMPARE(Titles(), QStringList({"文件名称重复"}));
    QCOMPARE(Field(id, "filesname").toString(), "DOC");
  }

  void doubleClickOnAMovedSource() {
    const QString source = WriteFile(Path("plan.txt"), "plan");
    db().Files_Add("计划", source, "plan", "txt", 4, "年度计划");
    auto w = Window();
    w->TreeView1->setCurrentIndex(w->IndexOf(w->Node("c计划")->Child(0)));
    w->TreeView1_DblClick();
    QCOMPARE(env_->ui.Opened(), QStringList{source});

    QFile::rename(source, Path("moved.txt"));
    env_->ui.Clear();
    w->Combo1->setEditText("年度");
    QTest::keyClick(w->Combo1, Qt::Key_Return);
    env_->ui.msgAnswers = {MsgResult::Yes};
    env_->ui.fileAnswers = {Path("back.txt")};
    w->ListView1_DblClick();
    QCOMPARE(env_->ui.Messages().at(0).text, "上传来源文件已不存在，是否需要提取？");
    QCOMPARE(ReadBytes(Path("back.txt")), QByteArray("plan"));
  }

  // The main window's command makes this window; export and import stay refused for it.
  void registered() {
    for (const modules::ModuleEntry& entry : modules::Registry()) {
      if (entry.objectName != "frmFiles") continue;
      QVERIFY(!entry.canExport);
      const std::unique_ptr<QWidget> window(entry.create());
      QVERIFY(qobject_cast<frmFiles*>(window.get()));
      return;
    }
    QFAIL("no entry for frmFiles");
  }
};

QTEST_MAIN(TestFiles)
#include "test_files.moc"
