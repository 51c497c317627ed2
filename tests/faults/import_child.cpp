// The child of the kill test: imports a ledger file of 100,000 lines through the import dialog
// into the data set it is given, saying "start" on its output just before the import runs. Its
// settings file is the parent's to remove: the child is killed, so it makes no folder of its own.

#include "exchange/frmImp.h"
#include "modules/listwindow/modStart.h"
#include "platform/settings.h"
#include "platform/ui.h"

#include <QApplication>
#include <cstdio>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 4) return 2;
  platform::SetSettingsFile(QString::fromLocal8Bit(argv[3]));
  platform::TestUi ui;
  if (!modStart::objDate().OpenDataBase(QString::fromLocal8Bit(argv[1]))) return 3;
  exchange::frmImp imp("frmMoneys");
  ui.fileAnswers.push_back(QString::fromLocal8Bit(argv[2]));
  imp.cmdOpen_Click();
  imp.cmdSelectAll_Click();
  std::puts("start");
  std::fflush(stdout);
  imp.cmdOk_Click();
  std::puts(imp.blnImported ? "done" : "failed");
  return 0;
}
