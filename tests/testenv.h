#pragma once
// A fresh settings file, a fresh open data set, a scripted message service and, when given, a frozen
// clock for one window test.

#include "platform/clock.h"
#include "platform/settings.h"
#include "platform/ui.h"
#include "modules/listwindow/modStart.h"

#include <QTemporaryDir>
#include <QtGlobal>

struct TestEnv {
  QTemporaryDir dir;
  platform::TestUi ui;

  explicit TestEnv(bool openDataSet = true, const QDateTime& now = {}) {
    if (!dir.isValid()) qFatal("cannot make the test folder");
    if (now.isValid()) platform::SetNow(now);
    platform::SetSettingsFile(dir.filePath(QStringLiteral("Almanor.ini")));
    if (openDataSet) {
      const QString path = dir.filePath(QStringLiteral("test.kvt"));
      if (!modStart::objDate().CreateDataBase(path) || !modStart::objDate().OpenDataBase(path))
        qFatal("cannot make the test data set");
    }
  }
  ~TestEnv() {
    platform::SetNow(QDateTime());
    if (modStart::objDate().objConn.State() == 1) modStart::objDate().CloseDataBase();
  }
};
