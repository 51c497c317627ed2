// The notes list window over ALMANOR_BENCH_NOTES notes (default 100,000) in 500 categories, each
// figure beside its reference, run alternately:
// - the window opened end to end: the program started, its main window and reminders window
//   painted, then the notes window opened as the Project menu does and its tree painted
//   (bench/notes_open.cpp), beside the sqlite3 tool running the statements of our whole-tree load
//   on the same file from its own start, its rows thrown away;
// - the whole-tree load of the open window (a warm reload, Ctrl+R) beside the same;
// - for context, both beside the tool's plain select of the same rows in the same order, which
//   SQLite answers by a look-up per row;
// - keyword searches beside the floor of any search: the same node texts, copied in this process
//   into one buffer, scanned at once with SSE2 for the word as it is (the Chinese word) or for
//   its lower-case form over a lower-cased copy (the ASCII word), each text with a hit counted
//   once, with 1% hits and with none; for context, the same texts each scanned by
//   QStringView::indexOf, and the tool's `like` scan of the texts the nodes are made of;
// - for context: the rows read through our row set, and SQLite stepping them in this process;
// - the process's peak resident memory.
//
// Run offscreen (QT_QPA_PLATFORM=offscreen) from a release build; ALMANOR_BENCH_RUNS sets the
// runs of each figure (default 5). The data set is made on first use in $ALMANOR_BENCH_DATA
// (default /tmp/almanor-bench).

#include "datastore_datagen.h"
#include "modules/listwindow/modStart.h"
#include "modules/notes/frmNotes.h"
#include "platform/settings.h"
#include "platform/ui.h"
#include "sidebyside.h"
#include "statements.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QSettings>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <memory>
#include <sqlite3.h>
#include <vector>

namespace {

// The runs of each figure: ALMANOR_BENCH_RUNS, else 5.
int Runs() {
  bool ok = false;
  const int runs = qEnvironmentVariableIntValue("ALMANOR_BENCH_RUNS", &ok);
  return ok && runs > 0 ? runs : 5;
}

// A search takes milliseconds, so its median is taken over more runs: a few would move with the
// machine.
int SearchRuns() { return std::max(Runs(), 15); }

int g_notes = benchdata::kNotes;
QString g_dataSet;
frmNotes* g_window = nullptr;

std::string Name(const char* what) { return "notes " + QLocale(QLocale::English).toString(g_notes).toStdString() + ": " + what; }

// The statements of our whole-tree load, as the data store ran them in a reload; empty when it ran
// none.
const QString& LoadStatements() {
  static const QString sql = [] {
    const QString all = statements::Record([] { g_window->LoadTree(QString()); });
    std::fprintf(stderr, "the whole-tree load's statements:\n%s\n", qPrintable(all));
    return all;
  }();
  return sql;
}

// The sqlite3 tool running the load's own statements on the same file, its rows thrown away.
double ToolRunningTheLoad() { return LoadStatements().isEmpty() ? -1 : sidebyside::Sqlite3(g_dataSet, LoadStatements()); }

// For context: the categories, then every note in title order, as a plain select asks for them.
const QString kGroupsSql = QStringLiteral(
    "select min(notesclass) as notesclass from notes group by lower(notesclass) order by lower(notesclass)");
const QString kRowsSql = QStringLiteral("select * from notes order by lower(notestitle), notestitle");

double ToolSelectingTheRows() { return sidebyside::Sqlite3(g_dataSet, kGroupsSql + ';' + kRowsSql); }

const char* const kLoadReference = " / sqlite3 running the load's own statements";
const char* const kSelectReference = " / sqlite3 select of the same rows";

void BM_WholeTreeLoad(benchmark::State& state) {
  // At 10,000 notes the tool's own start is much of its time: shown without a target.
  sidebyside::Alternate(
      state,
      [] { return sidebyside::Seconds([] { g_window->LoadTree(QString()); return g_window->RecordCount() == g_notes; }); },
      {{Name("whole-tree load (warm reload)") + kLoadReference, g_notes >= 100000 ? 1.4 : 0, ToolRunningTheLoad},
       {Name("whole-tree load (warm reload)") + kSelectReference, 0, ToolSelectingTheRows}});
  state.counters["records"] = double(g_window->RecordCount());
}
BENCHMARK(BM_WholeTreeLoad)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(Runs());

// Seconds from the start of the program (notes_open, beside this program) to the notes window,
// opened once the main window and its reminders window were painted, painted with its whole
// tree, under settings of its own that name the data set; negative when it failed.
double OpenedEndToEnd() {
  QTemporaryDir home;
  const QString settings = home.filePath(QStringLiteral("config/Almanor/Almanor.ini"));
  {
    QSettings ini(settings, QSettings::IniFormat);
    ini.setValue(QStringLiteral("Option/DataBase"), g_dataSet);
  }
  qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(QStringLiteral("config"))));
  qputenv("XDG_DATA_HOME", QFile::encodeName(home.filePath(QStringLiteral("data"))));
  qputenv("ALMANOR_TEST_QUIT_AFTER_MS", "300000");  // a program that waits on a box ends anyway
  const QString program = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("notes_open"));
  const QString output = home.filePath(QStringLiteral("painted.txt"));
  const auto start = std::chrono::steady_clock::now();
  const bool ran = sidebyside::RunProgram({program}, QString(), output) >= 0;
  for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "ALMANOR_TEST_QUIT_AFTER_MS"}) qunsetenv(name);
  QFile file(output);
  if (!ran || !file.open(QIODevice::ReadOnly)) return -1;
  const QByteArray line = file.readAll().trimmed();
  bool ok = false;
  const qint64 painted = line.startsWith("painted ") ? line.mid(8).toLongLong(&ok) : 0;
  if (!ok) return -1;
  return double(painted - std::chrono::nanoseconds(start.time_since_epoch()).count()) * 1e-9;
}

void BM_OpenedEndToEnd(benchmark::State& state) {
  // Below a million notes the program's own start-up is a larger share.
  sidebyside::Alternate(state, OpenedEndToEnd,
                        {{Name("window opened end to end") + kLoadReference, g_notes >= 1000000 ? 1.8 : 3.0, ToolRunningTheLoad},
                         {Name("window opened end to end") + kSelectReference, 0, ToolSelectingTheRows}});
}
BENCHMARK(BM_OpenedEndToEnd)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(Runs());

// Every field of every row read through our row set, as a window's load reads them.
void BM_RowSetRead(benchmark::State& state) {
  sidebyside::Alternate(
      state, Name("every field read through the row set / sqlite3 select"), 0,
      [] {
        return sidebyside::Seconds([] {
          qint64 chars = 0;
          datastore::RowSetPtr rs = modStart::objDate().Notes_GetRecordSet(QString());
          for (; rs && !rs->Eof(); rs->MoveNext())
            for (int column = 0; column < 6; ++column) chars += rs->Field(column).toString().size();
          benchmark::DoNotOptimize(chars);
          return rs != nullptr;
        });
      },
      [] { return sidebyside::Sqlite3(g_dataSet, kRowsSql); });
}
BENCHMARK(BM_RowSetRead)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(Runs());

// The floor under any load: SQLite stepping the same rows in this process, touching every text.
void BM_Floor(benchmark::State& state) {
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(QFile::encodeName(g_dataSet).constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
    return state.SkipWithError("cannot open the data set");
  sidebyside::Alternate(
      state, Name("floor: SQLite stepping the rows in process / sqlite3 select"), 0,
      [db] {
        return sidebyside::Seconds([db] {
          sqlite3_stmt* stmt = nullptr;
          const QByteArray sql = kRowsSql.toUtf8();
          if (sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &stmt, nullptr) != SQLITE_OK) return false;
          qint64 bytes = 0;
          while (sqlite3_step(stmt) == SQLITE_ROW)
            for (int column = 0; column < 6; ++column) {
              benchmark::DoNotOptimize(sqlite3_column_text(stmt, column));
              bytes += sqlite3_column_bytes(stmt, column);
            }
          benchmark::DoNotOptimize(bytes);
          return sqlite3_finalize(stmt) == SQLITE_OK;
        });
      },
      [] { return sidebyside::Sqlite3(g_dataSet, kRowsSql); });
  sqlite3_close(db);
}
BENCHMARK(BM_Floor)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(Runs());

// The node texts in the order of searching, copied into one block (so that the copy gives its
// memory back at once when it goes), each scanned as a plain string.
struct Texts {
  QString all;
  std::vector<std::pair<qsizetype, qsizetype>> spans;  // start, length

  void Append(QStringView text) {
    spans.emplace_back(all.size(), text.size());
    all += text;
  }
};
Texts g_texts;
Texts g_lowerTexts;  // each text lower-cased
double g_peakBeforeCopy = 0;  // MB

// The texts as they are, or lower-cased; both copies are made at once, before any clock starts.
const Texts& NodeTexts(bool lower) {
  if (g_texts.spans.empty()) {
    g_peakBeforeCopy = sidebyside::PeakResidentMB();
    const listwindow::TreeNode* root = g_window->Root();
    std::vector<const listwindow::TreeNode*> nodes;
    for (int g = 0; root && g < root->ChildCount(); ++g)
      for (int r = 0; r < root->Child(g)->ChildCount(); ++r) nodes.push_back(root->Child(g)->Child(r));
    std::sort(nodes.begin(), nodes.end(), [](auto* a, auto* b) { return a->Order() < b->Order(); });
    qsizetype size = 0;
    for (const listwindow::TreeNode* node : nodes) size += node->TextView().size();
    g_texts.all.reserve(size);
    g_lowerTexts.all.reserve(size);
    for (const listwindow::TreeNode* node : nodes) {
      g_texts.Append(node->TextView());
      g_lowerTexts.Append(node->TextView().toString().toLower());
    }
  }
  return lower ? g_lowerTexts : g_texts;
}

// The texts holding the word, each counted once: the floor of any search over them. The whole
// block is scanned at once, eight units a step (SSE2, the build's baseline), for the word's first
// and last units at their distance; only there is the rest compared, and a text found is left
// for the next one.
qsizetype TextsHolding(const Texts& texts, QStringView word) {
  const char16_t* const s = reinterpret_cast<const char16_t*>(texts.all.utf16());
  const char16_t* const w = word.utf16();
  const qsizetype n = word.size(), size = texts.all.size();
  size_t text = 0;
  qsizetype hits = 0, p = 0;
  // A match at `at` counts when it lies within one text; the scan goes on at the next text.
  const auto found = [&](qsizetype at) {
    if (std::memcmp(s + at + 1, w + 1, size_t(std::max<qsizetype>(n - 2, 0)) * sizeof(char16_t)) != 0) return false;
    while (texts.spans[text].first + texts.spans[text].second <= at) ++text;
    if (at + n > texts.spans[text].first + texts.spans[text].second) return false;
    ++hits;
    p = ++text < texts.spans.size() ? texts.spans[text].first : size;
    return true;
  };
  if (n == 0 || n > size) return 0;
  const qsizetype last = size - n;  // the last place a match can start
#if defined(__SSE2__)
  const __m128i first = _mm_set1_epi16(short(w[0])), final = _mm_set1_epi16(short(w[n - 1]));
  while (p + 8 <= last + 1) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + p));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + p + n - 1));
    unsigned mask = unsigned(_mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi16(a, first), _mm_cmpeq_epi16(b, final))));
    const qsizetype block = p;
    for (; mask; mask &= mask - 1) {
      mask &= mask - 1;  // two bits a unit
      if (found(block + __builtin_ctz(mask) / 2)) break;
    }
    if (p == block) p += 8;
  }
#endif
  while (p <= last)
    if (!(s[p] == w[0] && s[p + n - 1] == w[n - 1] && found(p))) ++p;
  return hits;
}

// The search box over every node text (Enter, the result list filled) beside the floor of any
// search, the same texts scanned in this process with case mattering: the Chinese word as it is,
// an ASCII word in its lower-case form over the lower-cased texts, which finds what the search
// finds. The hits must agree. For context, each text scanned by QStringView::indexOf.
void Search(benchmark::State& state, const char* what, const QString& word, int hitsPerHundred) {
  g_window->Combo1->setEditText(word);
  const bool ascii = std::all_of(word.begin(), word.end(), [](QChar c) { return c.unicode() < 0x80; });
  const Texts& texts = NodeTexts(ascii);
  const QString scanned = ascii ? word.toLower() : word;
  const qsizetype expected = qsizetype(g_notes) / 100 * hitsPerHundred;
  qsizetype scanHits = -1;
  sidebyside::Alternate(
      state,
      [expected] {
        return sidebyside::Seconds([expected] {
          g_window->Combo1_KeyPress(13);
          return g_window->ResultCount() == expected;
        });
      },
      {{Name(what) + " / in-process SSE2 scan of one buffer", 1.5,
        [&] {
          return sidebyside::Seconds([&] {
            scanHits = TextsHolding(texts, scanned);
            return scanHits == expected;
          });
        }},
       {Name(what) + " / in-process indexOf per text", 0, [&] {
          return sidebyside::Seconds([&] {
            std::vector<qsizetype> hits;
            for (size_t i = 0; i < texts.spans.size(); ++i) {
              const QStringView text = QStringView(texts.all).sliced(texts.spans[i].first, texts.spans[i].second);
              if (text.indexOf(scanned, 0, Qt::CaseSensitive) >= 0) hits.push_back(qsizetype(i));
            }
            benchmark::DoNotOptimize(hits.data());
            return qsizetype(hits.size()) == expected;
          });
        }}});
  state.counters["hits"] = double(scanHits);
}

// The same beside the tool's case-insensitive scan of the texts the nodes are made of.
void SearchBesideTool(benchmark::State& state, const char* what, const QString& word) {
  g_window->Combo1->setEditText(word);
  const QString pattern = QString(word).replace('\'', "''");
  sidebyside::Alternate(
      state, Name(what) + " / sqlite3 like scan", 0,
      [] { return sidebyside::Seconds([] { g_window->Combo1_KeyPress(13); return true; }); },
      [&pattern] {
        return sidebyside::Sqlite3(g_dataSet, QStringLiteral("select notesid, notestitle from notes where notestitle "
                                                             "like '%%1%' or notescontent like '%%1%'")
                                                  .arg(pattern));
      });
}

const QString kAsciiWord = QString::fromLatin1(benchdata::kSearchedWord).toLower();  // found whatever the case
const QString kChineseWord = QString::fromUtf16(benchdata::kSearchedChineseWord);

void BM_KeywordSearchAscii(benchmark::State& state) { Search(state, "keyword search, ASCII word (1% hits)", kAsciiWord, 1); }
BENCHMARK(BM_KeywordSearchAscii)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(SearchRuns());

void BM_KeywordSearchAsciiNoHit(benchmark::State& state) {
  Search(state, "keyword search, ASCII word (no hit)", QStringLiteral("haystack"), 0);
}
BENCHMARK(BM_KeywordSearchAsciiNoHit)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(SearchRuns());

void BM_KeywordSearchChinese(benchmark::State& state) {
  Search(state, "keyword search, Chinese word (1% hits)", kChineseWord, 1);
}
BENCHMARK(BM_KeywordSearchChinese)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(SearchRuns());

void BM_KeywordSearchChineseNoHit(benchmark::State& state) {
  Search(state, "keyword search, Chinese word (no hit)", QStringLiteral("鲸鱼"), 0);
}
BENCHMARK(BM_KeywordSearchChineseNoHit)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(SearchRuns());

void BM_KeywordSearchBesideTool(benchmark::State& state) {
  SearchBesideTool(state, "keyword search, ASCII word (1% hits)", kAsciiWord);
}
BENCHMARK(BM_KeywordSearchBesideTool)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(Runs());

void BM_KeywordSearchNoHitBesideTool(benchmark::State& state) {
  SearchBesideTool(state, "keyword search, Chinese word (no hit)", QStringLiteral("鲸鱼"));
}
BENCHMARK(BM_KeywordSearchNoHitBesideTool)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(Runs());

} // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QTemporaryDir dir;
  platform::SetSettingsFile(dir.filePath("Almanor.ini"));
  platform::TestUi ui;  // no box may wait for an answer
  bool ok = false;
  const int notes = qEnvironmentVariableIntValue("ALMANOR_BENCH_NOTES", &ok);
  if (ok && notes > 0) g_notes = notes;
  g_dataSet = benchdata::NotesDataSet(g_notes);
  // Every connection opened from here on reports its statements (the reference runs the load's).
  statements::Install();
  if (!modStart::objDate().OpenDataBase(g_dataSet)) {
    std::fprintf(stderr, "cannot open the data set at %s\n", qPrintable(g_dataSet));
    return 1;
  }
  std::fprintf(stderr, "data set: %s\n", qPrintable(g_dataSet));
  auto window = std::make_unique<frmNotes>();
  window->resize(1000, 700);
  window->show();
  g_window = window.get();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  // The window's own: the peak before the scan's copies of the texts, and the peak of a search
  // once the copy has gone.
  double peak = sidebyside::PeakResidentMB();
  if (!g_texts.spans.empty()) {
    g_texts = Texts();
    g_lowerTexts = Texts();
    benchutil::ResetPeakRss();
    g_window->Combo1->setEditText(kAsciiWord);
    g_window->Combo1_KeyPress(13);
    peak = std::max(g_peakBeforeCopy, sidebyside::PeakResidentMB());
  }
  sidebyside::Limit(Name("peak resident memory of the window's process"), peak, 400, "MB");
  return 0;
}
