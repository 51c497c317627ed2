// Generates the benchmark data sets (see datastore_datagen.h) and prints their paths.
#include "datastore_datagen.h"

#include <cstdio>

int main() {
  std::printf("%s\n%s\n", qPrintable(benchdata::NotesDataSet()), qPrintable(benchdata::ArchiveDataSet()));
  return 0;
}
