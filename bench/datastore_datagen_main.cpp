// Generates benchmark data sets (see datastore_datagen.h) and prints their paths. Arguments:
// notes:N, startup:N, archive; none means notes:100000 and archive. Existing ones are kept.
#include "datastore_datagen.h"

#include <QStringList>
#include <cstdio>

int main(int argc, char** argv) {
  QStringList sets;
  for (int i = 1; i < argc; ++i) sets << QString::fromLocal8Bit(argv[i]);
  if (sets.isEmpty()) sets = {QStringLiteral("notes:%1").arg(benchdata::kNotes), QStringLiteral("archive")};
  for (const QString& set : sets) {
    const QString kind = set.section(u':', 0, 0);
    bool ok = false;
    const int count = set.section(u':', 1).toInt(&ok);
    QString path;
    if (kind == QLatin1String("notes") && ok && count > 0) path = benchdata::NotesDataSet(count);
    else if (kind == QLatin1String("startup") && ok && count > 0) path = benchdata::StartUpDataSet(count);
    else if (kind == QLatin1String("archive")) path = benchdata::ArchiveDataSet();
    if (path.isEmpty()) {
      std::fprintf(stderr, "unknown data set: %s\n", qPrintable(set));
      return 1;
    }
    std::printf("%s\n", qPrintable(path));
  }
  return 0;
}
