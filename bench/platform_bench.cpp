// Date-text conversion: every stored date goes through it when a list or the SQL format() reads it.
#include "platform/vb.h"

#include <benchmark/benchmark.h>

#include <QStringList>

namespace {

// The forms the program meets, stored, typed and refused, in a fixed mix.
QStringList Mix() {
  QStringList texts;
  for (int i = 0; i < 64; ++i) {
    const int day = 1 + i % 28, month = 1 + i % 12, hour = i % 24, minute = (i * 7) % 60;
    switch (i % 8) {
    case 0:
    case 1:
    case 2:
      texts << QString::asprintf("2024-%02d-%02d %02d:%02d:%02d", month, day, hour, minute, i % 60);
      break;
    case 3:
      texts << QString::asprintf("2024/%d/%d", month, day);
      break;
    case 4:
      texts << QString::fromUtf8("2024年%1月%2日 %3:%4").arg(month).arg(day).arg(hour).arg(minute, 2, 10, QChar(u'0'));
      break;
    case 5:
      texts << QString::asprintf("%d:%02d", hour, minute);
      break;
    case 6:
      texts << QString::asprintf("2023-02-%d", 27 + i % 4); // some refused
      break;
    default:
      texts << QStringLiteral("abc");
      break;
    }
  }
  return texts;
}

void BM_CDate(benchmark::State& state) {
  const QStringList texts = Mix();
  for (auto _ : state) {
    for (const QString& t : texts)
      benchmark::DoNotOptimize(vb::CDate(t));
  }
  state.SetItemsProcessed(state.iterations() * texts.size());
}
BENCHMARK(BM_CDate);

} // namespace

BENCHMARK_MAIN();
