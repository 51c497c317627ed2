#pragma once
// Helpers shared by the benchmarks: fields of /proc/self, the median of repeated runs, and the
// settings and run of a benchmark program.

#include "platform/settings.h"

#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <fstream>
#include <string>
#include <vector>

namespace benchutil {

// A field of /proc/self/status or /proc/self/io ("VmHWM:", "rchar:") as a number; sizes in KiB.
inline double ProcField(const char* file, const std::string& field) {
  std::ifstream in(file);
  std::string line;
  while (std::getline(in, line))
    if (line.rfind(field, 0) == 0) return std::stod(line.substr(field.size()));
  return 0;
}

// The peak resident size of the process in KiB.
inline double PeakRssKiB() { return ProcField("/proc/self/status", "VmHWM:"); }

// Resets the peak resident size, so VmHWM afterwards is the peak of what follows.
inline void ResetPeakRss() { std::ofstream("/proc/self/clear_refs") << "5"; }

inline double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const size_t mid = values.size() / 2;
  return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

// The program's settings live in a temporary folder for as long as this does.
struct TempSettings {
  QTemporaryDir dir;
  TempSettings() { platform::SetSettingsFile(dir.filePath(QStringLiteral("Almanor.ini"))); }
};

// Runs the benchmarks the command line names.
inline int RunBenchmarks(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

} // namespace benchutil
