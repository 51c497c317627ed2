// The child of the kill test: saves notes into the data set named first on the command line until
// it is killed, writing each note's title (the second argument and a number) to standard output
// once its save has returned.
#include "datastore/clsDate.h"
#include "platform/ui.h"

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  platform::TestUi ui;  // a failure is recorded, never shown
  datastore::clsDate db;
  if (!db.OpenDataBase(QString::fromLocal8Bit(argv[1]))) return 3;
  const QString content(300, u'字');
  for (qint64 i = 0;; ++i) {
    const QString title = QString::fromLocal8Bit(argv[2]) + QString::number(i);
    if (db.Notes_Add(title, content, QStringLiteral("类") + QString::number(i % 7), QString()) == 0) return 4;
    std::printf("%s\n", title.toLocal8Bit().constData());
    std::fflush(stdout);
  }
}
