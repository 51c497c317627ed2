#include "shell/startup.h"

#include "platform/settings.h"
#include "platform/ui.h"
#include "platform/widgets/widgetui.h"
#include "modules/notes/frmNotes.h"
#include "shell/frmMain.h"
#include "shell/modStart.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QLockFile>
#include <QPointer>
#include <QStandardPaths>
#include <QTimer>
#include <QTranslator>
#include <cstdio>

namespace modStart {

namespace {

bool HasDisplay() {
  return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || !qEnvironmentVariableIsEmpty("DISPLAY") ||
         !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

// Qt's own texts (message-box buttons, file dialogs) in Chinese: the system locale may be C.
void LoadChineseTranslations(QApplication& app) {
  const QString dir = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
  for (const char* name : {"qtbase_zh_CN", "qt_zh_CN"}) {
    auto* translator = new QTranslator(&app);
    if (translator->load(QLatin1String(name), dir))
      app.installTranslator(translator);
    else
      delete translator;
  }
}

// Without a font that has CJK glyphs every Chinese text is drawn as boxes.
void UseChineseFont(QApplication& app) {
  QFont font = app.font();
  font.setFamilies({QStringLiteral("WenQuanYi Zen Hei"), QStringLiteral("Noto Sans CJK SC"),
                    QStringLiteral("Source Han Sans SC"), QStringLiteral("WenQuanYi Micro Hei"),
                    QStringLiteral("AR PL UMing CN"), font.family()});
  app.setFont(font);
}

class UiBackendScope {
public:
  explicit UiBackendScope(platform::UiBackend* backend) { platform::SetUiBackend(backend); }
  ~UiBackendScope() { platform::SetUiBackend(nullptr); }
};

} // namespace

std::unique_ptr<QLockFile> LockSingleInstance() {
  // Beside the settings file: one copy per settings folder, so a test with its own folder runs
  // beside the user's copy. A lock left by a crashed copy is taken over (its process is gone).
  const QString folder = QFileInfo(platform::SettingsFile()).absolutePath();
  QDir().mkpath(folder);
  auto lock = std::make_unique<QLockFile>(folder + QStringLiteral("/Almanor.lock"));
  lock->setStaleLockTime(0);
  if (!lock->tryLock(0)) return nullptr;
  return lock;
}

QString DefaultDataSetPath() {
  return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/Almanor.kvt");
}

DataSetResult OpenDataSetAtStart(const QString& defaultPath) {
  datastore::clsDate& date = objDate();
  QString path = platform::GetSetting("Option", "DataBase");
  if (path.isEmpty()) {
    path = defaultPath;
    if (!QFileInfo(path).isFile()) {
      QDir().mkpath(QFileInfo(path).absolutePath());
      if (!date.CreateDataBase(path)) return DataSetResult::Failed;
    }
  } else if (!QFileInfo(path).isFile()) {
    // The data set was moved or deleted: pick one, or name a new one to start afresh.
    platform::FileDialogRequest request;
    request.title = QStringLiteral("选择数据账套");
    request.fileName = path;
    request.filter = QStringLiteral("数据账套(*.kvt)|*.kvt");
    request.mustExist = false;
    const std::optional<QString> chosen = platform::FileDialog(request);
    if (!chosen || chosen->isEmpty()) return DataSetResult::Cancelled;
    path = *chosen;
    if (!QFileInfo(path).isFile()) {
      if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".kvt");
      if (!QFileInfo(path).isFile() && !date.CreateDataBase(path)) return DataSetResult::Failed;
    }
  }
  path = QFileInfo(path).absoluteFilePath();
  if (!date.OpenDataBase(path)) {
    // The data store has shown why; the next start begins from the default data set.
    platform::SaveSetting("Option", "DataBase", QString());
    return DataSetResult::Failed;
  }
  platform::SaveSetting("Option", "DataBase", path);
  return DataSetResult::Opened;
}

int Main(int argc, char** argv) {
  if (!HasDisplay()) {
    std::fputs("almanor: 没有图形显示（DISPLAY 和 WAYLAND_DISPLAY 都未设置），无法打开窗口。\n"
               "almanor: no display (neither DISPLAY nor WAYLAND_DISPLAY is set).\n"
               "Without a display, start it under a virtual one: xvfb-run -a build/almanor\n",
               stderr);
    return 1;
  }

  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Almanor"));
  // The close box keeps the program in the tray; only Exit ends it.
  QApplication::setQuitOnLastWindowClosed(false);
  QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
  LoadChineseTranslations(app);
  UseChineseFont(app);
  platform::WidgetUi widgetUi;
  UiBackendScope uiScope(&widgetUi);

  QPointer<frmMain> mainWindow;
  bool quitEarly = false;
  bool ok = false;
  const int quitAfterMs = qEnvironmentVariableIntValue("ALMANOR_TEST_QUIT_AFTER_MS", &ok);
  if (ok && quitAfterMs >= 0) {
    QTimer::singleShot(quitAfterMs, &app, [&mainWindow, &quitEarly] {
      if (mainWindow) {
        mainWindow->mnuFileExit_Click();
      } else {
        quitEarly = true;
        QCoreApplication::exit(0);  // ends the box or dialog on screen
      }
    });
  }

  const std::unique_ptr<QLockFile> lock = LockSingleInstance();
  if (!lock) {
    const QString text = QStringLiteral("程序 ") + objDate().objSystem.AppTitle + QStringLiteral(" 已经运行。");
    // Offscreen nobody sees the box; say it where a script can read it.
    if (QGuiApplication::platformName() == QLatin1String("offscreen"))
      std::fprintf(stderr, "%s\n", text.toUtf8().constData());
    platform::MsgBox(text, platform::MsgButtons::OK, platform::MsgIcon::Information, QStringLiteral("程序已运行"));
    return 0;
  }

  switch (OpenDataSetAtStart(DefaultDataSetPath())) {
  case DataSetResult::Opened: break;
  case DataSetResult::Cancelled: return 0;
  case DataSetResult::Failed: return 1;
  }

  frmMain main;
  mainWindow = &main;
  // Module windows register here, one line each, before the load.
  main.AddModule(QStringLiteral("frmNotes"), QStringLiteral("常用资料笔记(&N)"), [] { return static_cast<QWidget*>(new frmNotes); });
  QObject::connect(&main, &frmMain::unloaded, &app, &QCoreApplication::quit, Qt::QueuedConnection);
  // A session that ends while the program runs unloads it the same way as Exit.
  QObject::connect(&app, &QCoreApplication::aboutToQuit, &main, [&main] { main.Unload(); });
  main.Form_Load();
  if (quitEarly) QTimer::singleShot(0, &main, &frmMain::mnuFileExit_Click);
  const int code = app.exec();
  if (objDate().objConn.State() == 1) objDate().CloseDataBase();
  return code;
}

} // namespace modStart
