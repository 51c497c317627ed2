#pragma once
// Figures of our work beside a reference doing the same work on the same file (the sqlite3 tool,
// cp), run alternately in the same iterations. Each figure ends as one line on stdout,
//   FIGURE <tab> name <tab> ours <tab> reference <tab> ratio <tab> target <tab> holds
// which bench/compare.sh gathers into its table. A figure whose runs fail, ours or the
// reference's, still prints its line, with "FAILED" where it holds or not; and a figure announces
// itself first (EXPECT <tab> name), so that compare.sh marks one that never printed its line (the
// program died in the middle) as failed too.

#include "benchutil.h"

#include <QFile>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace sidebyside {

using Clock = std::chrono::steady_clock;

using benchutil::Median;

// Seconds that run() takes; negative when it reports failure.
template <class Run>
double Seconds(Run run) {
  const auto start = Clock::now();
  const bool ok = run();
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  return ok ? seconds : -1;
}

// Seconds a program takes from its start to its exit, with stdin and stdout from and to files
// (empty: /dev/null); negative when it could not start or failed. Spawned without copying our
// address space, which may be large. The sqlite3 tool waits for a data set that another process
// holds for a moment, as the data store does, instead of failing at once.
inline double RunProgram(QStringList argv, const QString& input = QString(), const QString& output = QString()) {
  if (!argv.isEmpty() && argv.front() == QLatin1String("sqlite3")) argv = QStringList{argv.front(), "-cmd", ".timeout 10000"} + argv.mid(1);
  std::vector<QByteArray> bytes;
  for (const QString& arg : argv) bytes.push_back(QFile::encodeName(arg));
  std::vector<char*> args;
  for (QByteArray& arg : bytes) args.push_back(arg.data());
  args.push_back(nullptr);
  const QByteArray in = QFile::encodeName(input.isEmpty() ? QStringLiteral("/dev/null") : input);
  const QByteArray out = QFile::encodeName(output.isEmpty() ? QStringLiteral("/dev/null") : output);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, in.constData(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t pid = 0;
  const auto start = Clock::now();
  const int spawned = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return -1;
  int status = 0;
  waitpid(pid, &status, 0);
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? seconds : -1;
}

// The sqlite3 tool running sql on a data set, its rows thrown away.
inline double Sqlite3(const QString& dataSet, const QString& sql) { return RunProgram({"sqlite3", dataSet, sql}); }

inline std::string Ms(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f ms", seconds * 1e3);
  return text;
}

inline void Line(const std::string& name, const std::string& ours, const std::string& reference,
                 const std::string& ratio, const std::string& target, const std::string& holds) {
  std::printf("FIGURE\t%s\t%s\t%s\t%s\t%s\t%s\n", name.c_str(), ours.c_str(), reference.c_str(), ratio.c_str(),
              target.c_str(), holds.c_str());
  std::fflush(stdout);
}

// Announces a figure before its runs.
inline void Expect(const std::string& name) {
  std::printf("EXPECT\t%s\n", name.c_str());
  std::fflush(stdout);
}

inline std::string TargetText(double target) {
  char t[32];
  std::snprintf(t, sizeof t, "%.1fx", target);
  return target > 0 ? t : "-";
}

// The line of a figure whose runs failed: ours, the reference's or both (what is not known is "-").
inline void Failed(const std::string& name, bool ours, bool reference, double target) {
  Line(name, ours ? "FAILED" : "-", reference ? "FAILED" : "-", "-", TargetText(target), "FAILED");
}

// A ratio of medians; a target of 0 or less means the figure is shown without one.
inline void Ratio(const std::string& name, const std::vector<double>& ours, const std::vector<double>& reference,
                  double target) {
  const double a = Median(ours), b = Median(reference);
  const double ratio = b > 0 ? a / b : 0;
  if (ours.empty() || reference.empty() || a <= 0 || b <= 0) return Failed(name, a <= 0, b <= 0, target);
  char r[32];
  std::snprintf(r, sizeof r, "%.2fx", ratio);
  Line(name, Ms(a), Ms(b), r, TargetText(target), target > 0 ? (ratio <= target ? "yes" : "no") : "-");
}

// A figure with a limit of its own and no reference (memory, start-up time).
inline void Limit(const std::string& name, double value, double limit, const char* unit) {
  char v[32], t[32];
  std::snprintf(v, sizeof v, "%.1f %s", value, unit);
  std::snprintf(t, sizeof t, "< %.0f %s", limit, unit);
  Line(name, v, "-", "-", t, value < limit ? "yes" : "no");
}

// A reference beside ours: the name of its line, its target (0: none) and its run, which gives
// its seconds (negative when it failed).
struct Reference {
  std::string name;
  double target;
  std::function<double()> run;
};

// Runs each reference, then ours, in each iteration; the benchmark's time is ours. Ends with one
// line per reference (its figure), a failed one when a run of ours or of that reference failed.
template <class Ours>
void Alternate(benchmark::State& state, Ours ours, const std::vector<Reference>& references) {
  for (const Reference& r : references) Expect(r.name);
  std::vector<double> a;
  std::vector<std::vector<double>> b(references.size());
  for (auto _ : state) {
    std::vector<double> refs;
    for (const Reference& r : references) refs.push_back(r.run());
    const double seconds = ours();
    if (seconds < 0 || std::any_of(refs.begin(), refs.end(), [](double ref) { return ref < 0; })) {
      for (size_t i = 0; i < references.size(); ++i) Failed(references[i].name, seconds < 0, refs[i] < 0, references[i].target);
      return state.SkipWithError("a run failed (its figure says FAILED)");
    }
    state.SetIterationTime(seconds);
    a.push_back(seconds);
    for (size_t i = 0; i < refs.size(); ++i) b[i].push_back(refs[i]);
  }
  state.counters["median_ms"] = Median(a) * 1e3;
  for (size_t i = 0; i < references.size(); ++i) {
    state.counters[i ? "reference" + std::to_string(i + 1) + "_median_ms" : "reference_median_ms"] = Median(b[i]) * 1e3;
    Ratio(references[i].name, a, b[i], references[i].target);
  }
}

// The same with one reference.
template <class Ours, class Run>
void Alternate(benchmark::State& state, const std::string& name, double target, Ours ours, Run reference) {
  Alternate(state, ours, {Reference{name, target, reference}});
}

// The process's peak resident memory (VmHWM) in MB.
inline double PeakResidentMB() { return benchutil::PeakRssKiB() / 1024.0; }

} // namespace sidebyside
