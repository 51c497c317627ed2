// The archive's shared pieces below the windows: the source name and type, the size limits, the
// long-path refusal, and extraction that writes exactly the stored bytes or nothing at all.

#include "modules/files/FileArchive.h"
#include "platform/ui.h"
#include "modules/listwindow/modStart.h"
#include "testenv.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <csignal>
#include <memory>
#include <sys/resource.h>

using platform::MsgIcon;
using platform::MsgResult;

namespace {

QByteArray AllByteValues() {
  QByteArray bytes;
  for (int round = 0; round < 3; ++round)
    for (int b = 0; b < 256; ++b) bytes.append(char(b));
  return bytes;
}

QString WriteFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) qFatal("cannot write %s", qPrintable(path));
  return path;
}

QByteArray ReadFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Limits how large a file this process may write, so a write fails part way as on a full disk.
class FileSizeLimit {
public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    previous_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, previous_);
  }

private:
  rlimit saved_{};
  void (*previous_)(int) = nullptr;
};

} // namespace

class TestFilesArchive : public QObject {
  Q_OBJECT

private:
  std::unique_ptr<TestEnv> env_;

private slots:
  void init() { env_ = std::make_unique<TestEnv>(); }
  void cleanup() { env_.reset(); }

  void nameAndTypeComeFromTheFileNamePart_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("type");
    QTest::newRow("two dots") << "/home/u/report.final.txt" << "report" << "final.txt";
    QTest::newRow("dotted folder") << "/a.b/f.txt" << "f" << "txt";
    QTest::newRow("no type") << "/my.docs/readme" << "readme" << "";
    QTest::newRow("hidden file") << "/home/u/.bashrc" << "" << "bashrc";
    QTest::newRow("chinese") << "/home/用户/年度 报告.pdf" << "年度 报告" << "pdf";
  }
  void nameAndTypeComeFromTheFileNamePart() {
    QFETCH(QString, path);
    QFETCH(QString, title);
    QFETCH(QString, type);
    QCOMPARE(filearchive::GetFileTitle(path), title);
    QCOMPARE(filearchive::GetFileExt(path), type);
  }

  void sizeLimitsAtTheirBoundaries() {
    auto& ui = env_->ui;
    QVERIFY(!filearchive::ConfirmUploadSize(10485760));
    QCOMPARE(ui.Messages().size(), size_t(1));
    QCOMPARE(ui.Messages()[0].text, "您所选择的文件大于或等于 10M，文件过大不允许上传！");
    QCOMPARE(ui.Messages()[0].title, "文件过大");

    ui.Clear();
    ui.msgAnswers = {MsgResult::No, MsgResult::Yes};
    QVERIFY(!filearchive::ConfirmUploadSize(10485759));
    QVERIFY(filearchive::ConfirmUploadSize(2097152));
    QCOMPARE(ui.Messages().size(), size_t(2));
    QCOMPARE(ui.Messages()[1].title, "文件较大");
    QCOMPARE(ui.Messages()[1].buttons, platform::MsgButtons::YesNo);

    ui.Clear();
    QVERIFY(filearchive::ConfirmUploadSize(2097151));
    QVERIFY(ui.Messages().empty());
  }

  void sourcePathsUpTo150CharactersAreKept() {
    const QString base = "/tmp/" + QString(135, u'文');
    const QString ok = base + "/12345.txt";  // 150
    QCOMPARE(ok.size(), 150);
    QVERIFY(filearchive::AcceptSourcePath(ok));
    QVERIFY(env_->ui.Messages().empty());

    const QString tooLong = base + "/123456.txt";
    QVERIFY(!filearchive::AcceptSourcePath(tooLong));
    QCOMPARE(env_->ui.Messages().size(), size_t(1));
    const auto box = env_->ui.Messages()[0];
    QCOMPARE(box.text, tooLong + "\n\n您所选择的该来源文件名称及路径字数过长，请缩短来源文件名称或路径后重试。");
    QCOMPARE(box.title, "来源文件字数过多");
    QCOMPARE(box.icon, MsgIcon::Exclamation);
  }

  void extractDialogOffersTheTypeThenAllFiles() {
    auto request = filearchive::ExtractRequest("pdf", "年度报告");
    QCOMPARE(request.title, "提取重要文件备案");
    QCOMPARE(request.filter, "PDF 文件(*.pdf)|*.pdf|所有文件(*.*)|*.*");
    QCOMPARE(request.fileName, "年度报告");
    QVERIFY(request.save && request.overwritePrompt);
    // An empty type still gives two entries; the first matches only names ending in a dot.
    request = filearchive::ExtractRequest("", "readme");
    QCOMPARE(request.filter, " 文件(*.)|*.|所有文件(*.*)|*.*");

    env_->ui.fileAnswers = {std::nullopt, QString("/tmp/x.pdf")};
    QCOMPARE(filearchive::AskExtractPath("pdf", "a"), QString());
    QCOMPARE(filearchive::AskExtractPath("pdf", "a"), "/tmp/x.pdf");
  }

  // Every byte value survives upload and extraction, and a longer file at the target leaves no tail.
  void extractionWritesExactlyTheStoredBytes() {
    const QByteArray bytes = AllByteValues();
    const QString source = WriteFile(env_->dir.filePath("source.bin"), bytes);
    auto& db = modStart::objDate();
    const qint64 id = db.Files_Add("资料", source, "source", "bin", double(bytes.size()), "说明");
    QVERIFY(id > 0);

    const auto stored = filearchive::ReadArchivedFile(db, id);
    QVERIFY(stored);
    QCOMPARE(stored->name, "source");
    QCOMPARE(stored->type, "bin");
    const QString target = WriteFile(env_->dir.filePath("target.bin"), QByteArray(100000, 'x'));
    QVERIFY(filearchive::ExtractAndOpen(target, stored->content));
    QCOMPARE(ReadFile(target), bytes);
    QCOMPARE(env_->ui.Opened(), QStringList{target});
    QVERIFY(env_->ui.Messages().empty());

    QVERIFY(!filearchive::ReadArchivedFile(db, id + 1));
  }

  void failedExtractionLeavesTheOldFileAndOpensNothing() {
    const QByteArray old(5000, 'o');
    const QString target = WriteFile(env_->dir.filePath("target.bin"), old);
    {
      FileSizeLimit limit(10000);
      QVERIFY(!filearchive::ExtractAndOpen(target, QByteArray(200000, 'n')));
    }
    QCOMPARE(ReadFile(target), old);
    QCOMPARE(QDir(env_->dir.path()).entryList({"target.bin*"}, QDir::Files | QDir::Hidden), QStringList{"target.bin"});
    QVERIFY(env_->ui.Opened().isEmpty());
    QCOMPARE(env_->ui.Messages().size(), size_t(1));
    QVERIFY(env_->ui.Messages()[0].text.startsWith("从数据文件中提取文件出现错误："));
    QCOMPARE(env_->ui.Messages()[0].title, "发生错误");

    // A folder that does not exist is a failure too, not silence.
    env_->ui.Clear();
    QVERIFY(!filearchive::ExtractAndOpen(env_->dir.filePath("gone/x.bin"), old));
    QCOMPARE(env_->ui.Messages().size(), size_t(1));

    // Written but no program to open it: the user is told.
    env_->ui.Clear();
    env_->ui.shellOpenSucceeds = false;
    QVERIFY(!filearchive::ExtractAndOpen(target, "new"));
    QCOMPARE(ReadFile(target), QByteArray("new"));
    QCOMPARE(env_->ui.Messages().size(), size_t(1));
  }
};

QTEST_MAIN(TestFilesArchive)
#include "test_files_archive.moc"
