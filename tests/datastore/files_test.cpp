// The file archive keeps a file's bytes exactly, refuses files it cannot read whole, and lists
// records without loading the bytes.
#include "filebytes.h"
#include "fixture.h"

#include <QFile>

namespace datastore_test {
namespace {

class FileArchive : public DataStore {
protected:
  QString WriteFile(const QString& name, const QByteArray& bytes) {
    EXPECT_TRUE(WriteBytes(dir.filePath(name), bytes));
    return dir.filePath(name);
  }
  static QByteArray Binary(int size) {
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i) bytes[i] = char((qint64(i) * 7919) % 256);  // includes 0 bytes
    return bytes;
  }
};

TEST_F(FileArchive, BytesRoundTripExactly) {
  const QByteArray bytes = Binary(300000);
  ASSERT_TRUE(bytes.contains('\0'));
  const QString source = WriteFile("图片.bin", bytes);
  const qint64 id = db.Files_Add("图片", source, "图片.bin", "bin", bytes.size(), "备注");
  ASSERT_GT(id, 0);
  auto rs = db.Files_GetModify(id);
  ASSERT_NE(rs, nullptr);
  EXPECT_EQ(rs->Fields("filescontent").toByteArray(), bytes);
  EXPECT_EQ(rs->Fields("filessize").toDouble(), 300000.0);
  EXPECT_EQ(Row(rs, {"filesfrom", "filestype"}), QStringList({source, "bin"}));
  rs.reset();

  // Re-upload replaces the bytes; the info-only modify keeps them.
  const QByteArray changed = Binary(1000).repeated(3);
  const QString second = WriteFile("second.bin", changed);
  EXPECT_EQ(db.Files_Modify_All(id, "新类", second, "second.bin", "bin", changed.size(), "m"), id);
  EXPECT_EQ(db.Files_Modify_Info(id, "其他", "renamed.bin", "memo"), id);
  rs = db.Files_GetModify(id);
  EXPECT_EQ(rs->Fields("filescontent").toByteArray(), changed);
  EXPECT_EQ(Row(rs, {"filesname", "filesclass", "filesfrom"}), QStringList({"renamed.bin", "其他", second}));
  EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(FileArchive, UnreadableFilesAreRefusedAndNothingIsStored) {
  const QString empty = WriteFile("empty.txt", QByteArray());
  EXPECT_EQ(db.Files_Add("c", empty, "empty.txt", "txt", 0, ""), 0);
  EXPECT_EQ(OnlyBox().text, "增加重要文件备案时发生错误，文件为空");

  ui.Clear();
  EXPECT_EQ(db.Files_Add("c", dir.filePath("gone.txt"), "gone.txt", "txt", 10, ""), 0);
  EXPECT_TRUE(OnlyBox().text.startsWith("增加重要文件备案时发生错误，文件不存在"));

  ui.Clear();
  EXPECT_EQ(db.Files_Add("c", dir.path(), "folder", "", 10, ""), 0);  // a folder is not a file
  EXPECT_EQ(ui.Messages().size(), 1u);
  EXPECT_TRUE(db.Files_GetRecordSet()->Eof());

  // A failed re-upload keeps the stored bytes.
  const QString source = WriteFile("a.bin", Binary(100));
  const qint64 id = db.Files_Add("c", source, "a.bin", "bin", 100, "");
  ui.Clear();
  EXPECT_EQ(db.Files_Modify_All(id, "x", empty, "empty.txt", "txt", 0, ""), 0);
  EXPECT_EQ(OnlyBox().text, "修改重要文件备案时发生错误，文件为空");
  auto rs = db.Files_GetModify(id);
  EXPECT_EQ(rs->Fields("filescontent").toByteArray(), Binary(100));
  EXPECT_EQ(rs->Fields("filesname").toString(), "a.bin");
}

TEST_F(FileArchive, ListingsLeaveTheBytesOut) {
  const QString source = WriteFile("a.bin", Binary(5000));
  const qint64 first = db.Files_Add("文档", source, "a.bin", "bin", 5000, "");
  const qint64 second = db.Files_Add("图片", source, "b.bin", "bin", 5000, "");
  auto all = db.Files_GetRecordSet();
  EXPECT_FALSE(all->HasField("filescontent"));
  EXPECT_TRUE(all->HasField("filesname"));
  EXPECT_TRUE(all->HasField("filesstring1"));
  EXPECT_EQ(Column(all, "filesid"), QStringList({QString::number(first), QString::number(second)}));
  EXPECT_EQ(Column(db.Files_GetRecordSet("图片"), "filesname"), QStringList({"b.bin"}));
  auto classes = db.Files_GetClass();
  EXPECT_FALSE(classes->HasField("filescontent"));
  EXPECT_EQ(Column(classes, "filesclass"), QStringList({"图片", "文档"}));

  EXPECT_TRUE(db.Files_ModifyClass("照片", "图片"));
  EXPECT_TRUE(db.Files_DeleteClass("照片"));
  EXPECT_TRUE(db.Files_Delete(first));
  EXPECT_TRUE(db.Files_GetRecordSet()->Eof());
}

} // namespace
} // namespace datastore_test
