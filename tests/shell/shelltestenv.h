#pragma once
// A fresh settings file, a fresh open data set and a scripted message service for one test.

#include "platform/settings.h"
#include "platform/ui.h"
#include "shell/modStart.h"

#include <QTemporaryDir>
#include <QtTest>

struct ShellTestEnv {
  QTemporaryDir dir;
  platform::TestUi ui;

  explicit ShellTestEnv(bool openDataSet = true) {
    platform::SetSettingsFile(dir.filePath(QStringLiteral("Almanor.ini")));
    if (openDataSet) {
      const QString path = dir.filePath(QStringLiteral("test.kvt"));
      if (!modStart::objDate().CreateDataBase(path) || !modStart::objDate().OpenDataBase(path))
        qFatal("cannot make the test data set");
    }
  }
  ~ShellTestEnv() {
    if (modStart::objDate().objConn.State() == 1) modStart::objDate().CloseDataBase();
  }
};
