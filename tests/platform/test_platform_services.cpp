// Settings, text files, colours and screen units, the clock, and the scripted user-interface backend.
#include "platform/clock.h"
#include "platform/settings.h"
#include "platform/textfile.h"
#include "platform/ui.h"
#include "platform/vb.h"
#include "platform/vbcolor.h"
#include "filebytes.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPalette>
#include <QScreen>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <thread>

using namespace platform;

namespace {

class SettingsTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    SetSettingsFile(dir.filePath(QStringLiteral("Almanor.ini")));
  }
  void TearDown() override { SetSettingsFile(QString()); }
  QTemporaryDir dir;
};

} // namespace

TEST_F(SettingsTest, ValuesReadBackExactlyAsWritten) {
  const QStringList values = {"plain", "a, b, c", "say \"hi\"", "  padded  ", "常用资料 笔记", "@at the start",
                              "@String(x)", "True", "False", "C:\\path\\file.kvt", "semi;colon = equals # hash", "12",
                              "line1\r\nline2", QString()};
  int n = 0;
  for (const QString& v : values)
    SaveSetting(QStringLiteral("Options"), QStringLiteral("Key%1").arg(n++), v);
  n = 0;
  for (const QString& v : values) {
    SCOPED_TRACE(v.toStdString());
    EXPECT_EQ(GetSetting(QStringLiteral("Options"), QStringLiteral("Key%1").arg(n++), QStringLiteral("dflt")), v);
  }
}

TEST_F(SettingsTest, DefaultsSectionsAndDeletion) {
  EXPECT_EQ(GetSetting(QStringLiteral("Main"), QStringLiteral("Missing"), QStringLiteral("dflt")), "dflt");
  EXPECT_EQ(GetSetting(QStringLiteral("Main"), QStringLiteral("Missing")), QString());

  // An empty value is a value, not a missing key.
  SaveSetting(QStringLiteral("Main"), QStringLiteral("Empty"), QString());
  EXPECT_EQ(GetSetting(QStringLiteral("Main"), QStringLiteral("Empty"), QStringLiteral("dflt")), QString());

  SaveSetting(QStringLiteral("Main"), QStringLiteral("Left"), QStringLiteral("120"));
  SaveSetting(QStringLiteral("Notes"), QStringLiteral("Left"), QStringLiteral("300"));
  EXPECT_EQ(GetSetting(QStringLiteral("Main"), QStringLiteral("Left")), "120");
  EXPECT_EQ(GetSetting(QStringLiteral("Notes"), QStringLiteral("Left")), "300");

  DeleteSetting(QStringLiteral("Main"), QStringLiteral("Left"));
  EXPECT_EQ(GetSetting(QStringLiteral("Main"), QStringLiteral("Left"), QStringLiteral("d")), "d");
  EXPECT_EQ(GetSetting(QStringLiteral("Notes"), QStringLiteral("Left")), "300");
}

TEST_F(SettingsTest, SavedValuesAreOnDiskAtOnce) {
  SaveSetting(QStringLiteral("Main"), QStringLiteral("DataFile"), QString::fromUtf8("/home/用户/Almanor.kvt"));
  const QByteArray bytes = ReadBytes(SettingsFile());
  EXPECT_TRUE(bytes.contains("[Main]"));
  EXPECT_TRUE(bytes.contains("DataFile"));
}

TEST_F(SettingsTest, DefaultLocationFollowsTheUserConfigFolder) {
  const QByteArray old = qgetenv("XDG_CONFIG_HOME");
  qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit());
  SetSettingsFile(QString());
  EXPECT_EQ(SettingsFile(), dir.path() + "/Almanor/Almanor.ini");
  SaveSetting(QStringLiteral("Main"), QStringLiteral("K"), QStringLiteral("v"));
  EXPECT_TRUE(QFile::exists(dir.path() + "/Almanor/Almanor.ini"));
  if (old.isNull())
    qunsetenv("XDG_CONFIG_HOME");
  else
    qputenv("XDG_CONFIG_HOME", old);
}

TEST(TextFile, CodecChoosesByContent) {
  const QString chinese = QString::fromUtf8("中文 text €\r\n第二行 😀");
  // Written as GB18030, not UTF-8, and read back without loss.
  const QByteArray gb = EncodeText(chinese);
  EXPECT_NE(gb, chinese.toUtf8());
  EXPECT_EQ(DecodeText(gb), chinese);
  // Bytes from the Windows program (code page 936) that are not valid UTF-8.
  EXPECT_EQ(DecodeText(QByteArray("\xD6\xD0\xCE\xC4")), QString::fromUtf8("中文"));
  // UTF-8, with or without a byte-order mark.
  EXPECT_EQ(DecodeText(chinese.toUtf8()), chinese);
  EXPECT_EQ(DecodeText(QByteArray("\xEF\xBB\xBF") + chinese.toUtf8()), chinese);
  EXPECT_EQ(DecodeText(QByteArray("\xEF\xBB\xBF")), QString());
  EXPECT_EQ(DecodeText(QByteArray()), QString());
  EXPECT_EQ(EncodeText(QStringLiteral("a\r\nb")), QByteArray("a\r\nb"));
}

// The encoder gives the converter's bytes for every character, alone or among others, and for
// text with characters outside the BMP or broken surrogates.
TEST(TextFile, EncodingGivesTheConvertersBytes) {
  const auto converter = [](const QString& text) -> QByteArray { return QStringEncoder("GB18030").encode(text); };
  QStringList wrong;
  QString all;
  for (char32_t c = 1; c < 0x10000; ++c) {
    if (QChar::isSurrogate(c)) continue;
    const QString one{QChar(char16_t(c))};
    all += one;
    if (EncodeText(one) != converter(one) && wrong.size() < 10) wrong << QString::number(uint(c), 16);
  }
  EXPECT_EQ(wrong, QStringList());
  EXPECT_EQ(EncodeText(all), converter(all));
  const QChar high(char16_t(0xD83D)), low(char16_t(0xDE00));
  for (const QString& text : {QString::fromUtf8("中😀a𠀀\r\n€"), QString(QChar(0)) + "x", "a" + QString(high) + "b",
                              "a" + QString(low) + "b", QString::fromUtf8("中") + high, QString(low) + high + low})
    EXPECT_EQ(EncodeText(text), converter(text)) << text.toStdString();
}

TEST(TextFile, BrokenBytesShowAndSpoilNothingAfterThem) {
  const auto broken = [](char16_t byte) { return QString(QChar(char16_t(0xDC00 + byte))); };
  // A NUL before digits must not take the first byte of the next character with it.
  EXPECT_EQ(DecodeText(QByteArray::fromHex("003132d6d0")), QString(QChar(0)) + QString::fromUtf8("12中"));
  // A broken or cut-off character reads as a lone surrogate that names its byte (which an import
  // refuses); it never vanishes. A replacement character in the file is text like any other.
  EXPECT_EQ(DecodeText(QByteArray::fromHex("41817f41d6")), "A" + broken(0x81) + "\x7f" "A" + broken(0xD6));
  EXPECT_EQ(DecodeText(QByteArray::fromHex("fe39fe39")), broken(0xFE) + "9" + broken(0xFE) + "9");
  const QString typed = QString::fromUtf8("甲\uFFFD乙");
  EXPECT_EQ(DecodeText(EncodeText(typed)), typed);
  EXPECT_EQ(DecodeText(typed.toUtf8()), typed);
  // After the byte-order mark, a U+FEFF is text.
  EXPECT_EQ(DecodeText(QByteArray::fromHex("efbbbfefbbbf41")), QString(QChar(0xFEFF)) + "A");
}

// Every GB2312 character (from the code page's own table) with its GB18030 bytes.
std::vector<std::pair<QByteArray, QString>> Gb2312Characters() {
  std::vector<std::pair<QByteArray, QString>> chars;
  for (int row = 0xA1; row <= 0xF7; ++row)
    for (int cell = 0xA1; cell <= 0xFE; ++cell) {
      const QByteArray bytes = QByteArray(1, char(row)) + char(cell);
      QStringDecoder gb2312("GB2312", QStringConverter::Flag::Stateless);
      const QString text = gb2312.decode(bytes);
      if (!gb2312.hasError() && text.size() == 1 && text[0] != QChar(0xFFFD) && EncodeText(text) == bytes)
        chars.emplace_back(bytes, text);
    }
  return chars;
}

// Every GBK character: the two-byte characters of GB18030.
std::vector<QString> GbkCharacters() {
  std::vector<QString> chars;
  for (int lead = 0x81; lead <= 0xFE; ++lead)
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      const QByteArray bytes = QByteArray(1, char(lead)) + char(trail);
      QStringDecoder gb("GB18030", QStringConverter::Flag::Stateless);
      const QString text = gb.decode(bytes);
      if (!gb.hasError() && text.size() == 1 && EncodeText(text) == bytes) chars.push_back(text);
    }
  return chars;
}

// Files we write read back exactly, even those whose GB18030 bytes are valid UTF-8 too ("谢谢" is
// UTF-8 "лл"): every GB2312 character and pair of them, every GBK character, and mixed texts.
TEST(TextFile, EveryTextWeWriteReadsBack) {
  const auto chars = Gb2312Characters();
  ASSERT_GT(chars.size(), 7400u);
  QStringList wrong;
  for (const auto& [bytes, text] : chars)
    if (DecodeText(bytes) != text) wrong << text;
  EXPECT_EQ(wrong, QStringList());

  // A pair whose first character ends in a byte above 0xBF cannot read as UTF-8 (that byte, a lead
  // byte, needs a continuation byte 0x80-0xBF): it reads as GB18030, as its characters above did.
  // Every other pair is read whole, spread over a few threads.
  std::vector<size_t> firsts;
  for (size_t i = 0; i < chars.size(); ++i)
    if (uchar(chars[i].first[1]) <= 0xBF) firsts.push_back(i);
  const size_t threads = std::clamp<size_t>(std::thread::hardware_concurrency() / 2, 1, 4);
  std::vector<QStringList> wrongs(threads);
  std::vector<std::thread> workers;
  for (size_t t = 0; t < threads; ++t)
    workers.emplace_back([&, t] {
      QByteArray pair(4, '\0');
      for (size_t k = t; k < firsts.size(); k += threads) {
        const auto& [firstBytes, first] = chars[firsts[k]];
        pair[0] = firstBytes[0];
        pair[1] = firstBytes[1];
        for (const auto& [secondBytes, second] : chars) {
          pair[2] = secondBytes[0];
          pair[3] = secondBytes[1];
          const QString read = DecodeText(pair);
          if ((read.size() != 2 || read[0] != first[0] || read[1] != second[0]) && wrongs[t].size() < 10)
            wrongs[t] << first + second;
        }
      }
    });
  for (std::thread& worker : workers) worker.join();
  for (const QStringList& w : wrongs) wrong += w;
  EXPECT_EQ(wrong, QStringList());

  // Every GBK character alone and between ASCII neighbours, "鎮東 hotel" (東 ends in "|", so its
  // bytes are UTF-8 "悖| hotel" too), and random short mixes.
  const std::vector<QString> gbk = GbkCharacters();
  ASSERT_GT(gbk.size(), 21000u);
  for (const QString& c : gbk)
    for (const QString& a : QStringList{"a", " ", "|"})
      for (const QString& text : {c, a + c, c + a, a + c + a})
        if (DecodeText(EncodeText(text)) != text && wrong.size() < 10) wrong << text;
  std::mt19937 random(19);
  const QString ascii = QStringLiteral("abZ |1");
  for (int n = 0; n < 100000; ++n) {
    QString text = n == 0 ? QString::fromUtf8("鎮東 hotel") : QString();
    for (int k = 1 + int(random() % 12); k > 0; --k)
      text += random() % 3 ? gbk[random() % gbk.size()] : QString(ascii[qsizetype(random() % ascii.size())]);
    if (DecodeText(EncodeText(text)) != text && wrong.size() < 10) wrong << text;
  }
  EXPECT_EQ(wrong, QStringList());

  const QStringList pieces = {"谢", "学习", "锘", "a", "OK ", "1", "\r\n", "。", "€", "é", "Д", "繁體", "😀", "\t"};
  for (const QString& a : pieces)
    for (const QString& b : pieces)
      for (const QString& c : pieces)
        for (const QString& text : {a, a + b, a + b + c})
          if (DecodeText(EncodeText(text)) != text && wrong.size() < 10) wrong << text;
  EXPECT_EQ(wrong, QStringList());
}

// Text files of other programs still read: UTF-8 with its byte-order mark, or without it when it
// holds a few ordinary Chinese words (a shorter one that is GB18030 too reads as GB18030), and
// code page 936, whose 0x80 is the euro sign.
TEST(TextFile, OtherProgramsFilesRead) {
  for (const char* text : {"你好，世界。", "工作|会议|255|第一行{br}第二行", "“引号”里的字", "价格 5€ 很便宜",
                           "emoji 😀 表情包", "naïve 中文文本", "a — 这是一个测试"}) {
    const QString expected = QString::fromUtf8(text);
    EXPECT_EQ(DecodeText(expected.toUtf8()), expected) << text;
  }
  const QByteArray shortUtf8 = QString::fromUtf8("中文").toUtf8();
  EXPECT_EQ(DecodeText(shortUtf8), QString(QStringDecoder("GB18030").decode(shortUtf8)));
  EXPECT_EQ(DecodeText(QByteArray("\xEF\xBB\xBF") + QString::fromUtf8("лл café").toUtf8()), QString::fromUtf8("лл café"));
  EXPECT_EQ(DecodeText(QByteArray("\x80")), QString::fromUtf8("€"));
  EXPECT_EQ(DecodeText(QByteArray("\xBC\xDB\x80\x35\r\n\xD6\xD0")), QString::fromUtf8("价€5\r\n中"));
}

TEST(TextFile, WriteAndReadKeepLineBreaks) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QString::fromUtf8("记录.txt"));
  const QString text = QString::fromUtf8("第一行\r\n第二行\n第三行\r\n");
  EXPECT_EQ(WriteTextFile(path, text), QString());
  EXPECT_EQ(ReadBytes(path), EncodeText(text));
  const TextFileResult read = ReadTextFile(path);
  ASSERT_TRUE(read.ok) << read.error.toStdString();
  EXPECT_EQ(read.text, text);

  // A shorter text replaces the file whole.
  EXPECT_EQ(WriteTextFile(path, QStringLiteral("x")), QString());
  EXPECT_EQ(ReadBytes(path), QByteArray("x"));
}

TEST(TextFile, FailuresAreReported) {
  QTemporaryDir dir;
  const TextFileResult missing = ReadTextFile(dir.filePath(QStringLiteral("none.txt")));
  EXPECT_FALSE(missing.ok);
  EXPECT_FALSE(missing.error.isEmpty());
  EXPECT_FALSE(WriteTextFile(dir.filePath(QStringLiteral("no/such/folder/a.txt")), QStringLiteral("a")).isEmpty());

  // A folder cannot be written as a file, and the folder is left as it was.
  const QString folder = dir.filePath(QStringLiteral("folder"));
  ASSERT_TRUE(QDir().mkpath(folder));
  EXPECT_FALSE(WriteTextFile(folder, QStringLiteral("a")).isEmpty());
  EXPECT_TRUE(QFileInfo(folder).isDir());
  EXPECT_FALSE(ReadTextFile(folder).ok);

  const QString utf8 = dir.filePath(QStringLiteral("utf8.txt"));
  ASSERT_TRUE(WriteBytes(utf8, QByteArray("\xEF\xBB\xBF") + QString::fromUtf8("标题\r\n").toUtf8()));
  EXPECT_EQ(ReadTextFile(utf8).text, QString::fromUtf8("标题\r\n"));
}

TEST(Colors, VbNumbersAndBack) {
  const struct {
    qint64 number;
    QColor color;
  } cases[] = {
      {255, QColor(255, 0, 0)},       {65280, QColor(0, 255, 0)},     {16711680, QColor(0, 0, 255)},
      {16777215, QColor(255, 255, 255)}, {0, QColor(0, 0, 0)},       {0x336699, QColor(0x99, 0x66, 0x33)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.number);
    EXPECT_EQ(ColorFromVb(c.number), c.color);
    EXPECT_EQ(ColorToVb(c.color), c.number);
  }
  EXPECT_FALSE(ColorFromVb(-1).isValid());
  EXPECT_FALSE(ColorFromVb(0x1000000).isValid());
}

TEST(Colors, SystemWindowColorIsThePaletteBase) {
  const QPalette saved = QGuiApplication::palette();
  QPalette palette = saved;
  palette.setColor(QPalette::Base, QColor(12, 34, 56));
  QGuiApplication::setPalette(palette);
  EXPECT_EQ(SystemWindowColor(), QColor(12, 34, 56));
  EXPECT_EQ(ColorFromVb(kSystemWindowColor), QColor(12, 34, 56));
  QGuiApplication::setPalette(saved);
}

TEST(Twips, FifteenPerPixelAt96Dpi) {
  const double dpi = QGuiApplication::primaryScreen()->logicalDotsPerInch();
  EXPECT_EQ(TwipsToPixels(1440), qRound(dpi));
  EXPECT_DOUBLE_EQ(PixelsToTwips(qRound(dpi)), 1440.0 * qRound(dpi) / dpi);
  if (qFuzzyCompare(dpi, 96.0)) {
    EXPECT_EQ(TwipsToPixels(7605), 507);
    EXPECT_EQ(TwipsToPixels(15), 1);
    EXPECT_DOUBLE_EQ(PixelsToTwips(100), 1500);
  }
  EXPECT_EQ(TwipsToPixels(0), 0);
}

TEST(Clock, FrozenAndRunning) {
  const QDateTime fixed = vb::MakeDateTime(QDate(2024, 5, 1), QTime(9, 30, 15, 500));
  SetNow(fixed);
  EXPECT_EQ(Now(), vb::MakeDateTime(QDate(2024, 5, 1), QTime(9, 30, 15)));
  EXPECT_EQ(Today(), QDate(2024, 5, 1));

  SetNow(QDateTime());
  const QDateTime now = Now();
  const QDateTime local = QDateTime::currentDateTime();
  EXPECT_EQ(now.timeSpec(), Qt::UTC);
  EXPECT_EQ(now.time().msec(), 0);
  // The wall-clock reading, not the UTC instant.
  const QDateTime wall = vb::MakeDateTime(local.date(), local.time());
  EXPECT_LE(std::abs(now.secsTo(wall)), 2);
}

TEST(TestUiBackend, AnswersFromQueuesAndRecordsWhatWasShown) {
  TestUi ui;
  ui.msgAnswers = {MsgResult::Yes};
  ui.inputAnswers = {QStringLiteral("新分类")};
  ui.fileAnswers = {QStringLiteral("/tmp/a.txt")};
  ui.colorAnswers = {QColor(Qt::red)};
  FontChoice font;
  font.name = QStringLiteral("WenQuanYi Zen Hei");
  font.bold = true;
  ui.fontAnswers = {font};

  EXPECT_EQ(MsgBox(QStringLiteral("删除吗？"), MsgButtons::YesNo, MsgIcon::Question, QStringLiteral("提示")), MsgResult::Yes);
  EXPECT_EQ(InputBox(QStringLiteral("名称"), QStringLiteral("新建"), QStringLiteral("默认")), QString::fromUtf8("新分类"));
  FileDialogRequest request;
  request.title = QStringLiteral("保存");
  request.save = true;
  request.overwritePrompt = true;
  EXPECT_EQ(FileDialog(request), QStringLiteral("/tmp/a.txt"));
  EXPECT_EQ(ColorDialog(Qt::white), QColor(Qt::red));
  ASSERT_TRUE(FontDialog(FontChoice()).has_value());
  EXPECT_TRUE(ShellOpen(QStringLiteral("https://example.org")));

  ASSERT_EQ(ui.shown.size(), 6u);
  EXPECT_EQ(ui.shown[0].kind, ShownMessage::Message);
  EXPECT_EQ(ui.shown[0].text, QString::fromUtf8("删除吗？"));
  EXPECT_EQ(ui.shown[0].title, QString::fromUtf8("提示"));
  EXPECT_EQ(ui.shown[0].icon, MsgIcon::Question);
  EXPECT_EQ(ui.shown[0].buttons, MsgButtons::YesNo);
  EXPECT_EQ(ui.shown[1].defaultText, QString::fromUtf8("默认"));
  EXPECT_TRUE(ui.shown[2].file.save && ui.shown[2].file.overwritePrompt);
  EXPECT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Opened(), QStringList{QStringLiteral("https://example.org")});
  EXPECT_TRUE(ui.msgAnswers.empty() && ui.inputAnswers.empty() && ui.fileAnswers.empty());
}

TEST(TestUiBackend, EmptyQueuesAnswerTheLastButtonOrCancel) {
  TestUi ui;
  EXPECT_EQ(MsgBox(QStringLiteral("a")), MsgResult::OK);
  EXPECT_EQ(MsgBox(QStringLiteral("b"), MsgButtons::OKCancel), MsgResult::Cancel);
  EXPECT_EQ(MsgBox(QStringLiteral("c"), MsgButtons::YesNo), MsgResult::No);
  EXPECT_EQ(MsgBox(QStringLiteral("d"), MsgButtons::YesNoCancel), MsgResult::Cancel);
  EXPECT_EQ(InputBox(QStringLiteral("p")), QString());
  EXPECT_FALSE(FileDialog(FileDialogRequest()).has_value());
  EXPECT_FALSE(ColorDialog(Qt::black).has_value());
  EXPECT_FALSE(FontDialog(FontChoice()).has_value());
  ui.shellOpenSucceeds = false;
  EXPECT_FALSE(ShellOpen(QStringLiteral("/nowhere")));
  // A queued Cancel is an answer, too.
  ui.fileAnswers = {std::nullopt, QStringLiteral("/x")};
  EXPECT_FALSE(FileDialog(FileDialogRequest()).has_value());
  EXPECT_EQ(FileDialog(FileDialogRequest()), QStringLiteral("/x"));
}

TEST(TestUiBackend, NestsAndRestoresThePreviousBackend) {
  EXPECT_EQ(MsgBox(QStringLiteral("no backend"), MsgButtons::YesNo), MsgResult::No);
  TestUi outer;
  {
    TestUi inner;
    MsgBox(QStringLiteral("inner"));
    EXPECT_EQ(inner.shown.size(), 1u);
  }
  MsgBox(QStringLiteral("outer"));
  ASSERT_EQ(outer.shown.size(), 1u);
  EXPECT_EQ(outer.shown[0].text, QStringLiteral("outer"));
}

TEST(FileFilter, VbFilterToQt) {
  const struct {
    const char* vb;
    const char* qt;
  } cases[] = {
      {"文本文件(*.txt)|*.txt|所有文件(*.*)|*.*", "文本文件(*.txt) (*.txt);;所有文件(*.*) (*)"},
      {"图片|*.bmp;*.jpg", "图片 (*.bmp *.jpg)"},
      {"记录文件 (*.rec)|*.rec", "记录文件 (*.rec) (*.rec)"},
      {"", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(QtFilterFromVb(QString::fromUtf8(c.vb)), QString::fromUtf8(c.qt));
}

TEST(FontChoiceTest, RoundTripThroughQFont) {
  FontChoice choice;
  choice.name = QStringLiteral("WenQuanYi Zen Hei");
  choice.size = 10.5;
  choice.bold = true;
  choice.underline = true;
  choice.strikethrough = true;
  QFont font;
  choice.ApplyTo(font);
  const FontChoice back = FontChoice::FromFont(font);
  EXPECT_EQ(back.name, choice.name);
  EXPECT_DOUBLE_EQ(back.size, 10.5);
  EXPECT_TRUE(back.bold && back.underline && back.strikethrough);
  EXPECT_FALSE(back.italic);
}

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
