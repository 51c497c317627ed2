#include "shell/startup.h"

#include "platform/settings.h"
#include "platform/ui.h"
#include "platform/widgets/widgetui.h"
#include "modules/registry.h"
#include "shell/Application.h"
#include "shell/frmMain.h"
#include "modules/listwindow/modStart.h"
#include "datastore/connection.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QLockFile>
#include <QStandardPaths>
#include <QTimer>
#include <QSocketNotifier>
#include <QTranslator>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <sys/socket.h>
#include <unistd.h>

namespace modStart {

namespace {

bool HasX11() { return !qEnvironmentVariableIsEmpty("DISPLAY"); }

bool HasWayland() {
  if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) return true;
  // Without the variable a Wayland client tries the compositor's default socket.
  const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
  return !runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/wayland-0"));
}

// Whether Qt will find a display, so that it never aborts with its own message. The platform
// may be a list of fallbacks ("wayland;xcb") and carry options ("xcb:name=..."); the other
// platforms (offscreen, vnc, eglfs, ...) need no display server.
bool HasDisplay() {
  const QString platforms = qEnvironmentVariable("QT_QPA_PLATFORM");
  if (platforms.isEmpty()) {
    // Qt chooses Wayland in a Wayland session and X11 otherwise.
    return HasX11() || (qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland") && HasWayland());
  }
  for (const QString& entry : platforms.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
    const QString name = entry.section(QLatin1Char(':'), 0, 0);
    if (name == QLatin1String("xcb")) {
      if (HasX11()) return true;
    } else if (name.startsWith(QLatin1String("wayland"))) {
      if (HasWayland()) return true;
    } else {
      return true;
    }
  }
  return false;
}

// A session end or `kill` (SIGTERM, SIGHUP, SIGINT) leaves the way File > Exit does. The
// handler writes a byte into a socket pair; the event loop reads it and runs `leave`. A wait for
// a data set locked by another program, which holds up the event loop, ends at once.
int g_signalFds[2] = {-1, -1};

void OnExitSignal(int) {
  const int saved = errno;
  datastore::StopLockWaits();
  const char byte = 1;
  [[maybe_unused]] const ssize_t written = ::write(g_signalFds[0], &byte, 1);
  errno = saved;
}

class ExitSignals {
public:
  explicit ExitSignals(std::function<void()> leave) : leave_(std::move(leave)) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalFds) != 0) {
      std::perror("almanor: socketpair");
      return;
    }
    // A full pipe must never block the handler: the byte already there is enough.
    ::fcntl(g_signalFds[0], F_SETFL, ::fcntl(g_signalFds[0], F_GETFL) | O_NONBLOCK);
    notifier_ = std::make_unique<QSocketNotifier>(g_signalFds[1], QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(), [this] {
      char buffer[16];
      [[maybe_unused]] const ssize_t got = ::read(g_signalFds[1], buffer, sizeof buffer);
      leave_();
    });
    struct sigaction action {};
    action.sa_handler = OnExitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int sig : kSignals) ::sigaction(sig, &action, nullptr);
  }
  ~ExitSignals() {
    if (!notifier_) return;
    // The program is ending: a further signal must not end it with another status.
    struct sigaction action {};
    action.sa_handler = SIG_IGN;
    sigemptyset(&action.sa_mask);
    for (int sig : kSignals) ::sigaction(sig, &action, nullptr);
    notifier_.reset();
    ::close(g_signalFds[0]);
    ::close(g_signalFds[1]);
    g_signalFds[0] = g_signalFds[1] = -1;
  }
  ExitSignals(const ExitSignals&) = delete;
  ExitSignals& operator=(const ExitSignals&) = delete;

private:
  static constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};
  std::function<void()> leave_;
  std::unique_ptr<QSocketNotifier> notifier_;
};

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

namespace {

// Lets the user pick a data set or name a new one, which is created empty. Empty when the user
// chose nothing or the new data set could not be made (the data store has said why).
QString ChooseDataSet(const QString& suggested, bool& failed) {
  platform::FileDialogRequest request;
  request.title = QStringLiteral("选择数据账套");
  request.fileName = suggested;
  request.filter = QStringLiteral("数据账套(*.kvt)|*.kvt");
  request.mustExist = false;
  const std::optional<QString> chosen = platform::FileDialog(request);
  if (!chosen || chosen->isEmpty()) return QString();
  QString path = *chosen;
  if (!QFileInfo(path).isFile()) {
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".kvt");
    if (!QFileInfo(path).isFile() && !objDate().CreateDataBase(path)) {
      failed = true;
      return QString();
    }
  }
  return path;
}

} // namespace

DataSetResult OpenDataSetAtStart(const QString& defaultPath) {
  datastore::clsDate& date = objDate();
  // Only a first start, with no setting at all, makes the default data set unasked. An empty
  // setting (left by a failed open) asks, so one failure never moves the user to an empty set.
  const bool firstStart = !platform::HasSetting("Option", "DataBase");
  QString path = firstStart ? defaultPath : platform::GetSetting("Option", "DataBase");
  bool failed = false;
  if (firstStart) {
    if (!QFileInfo(path).isFile()) {
      QDir().mkpath(QFileInfo(path).absolutePath());
      if (!date.CreateDataBase(path)) return DataSetResult::Failed;
    }
  } else if (path.isEmpty() || !QFileInfo(path).isFile()) {
    // No data set named, or it was moved or deleted: pick one, or name a new one to start afresh.
    // The missing file itself is offered while its folder is there; otherwise the default data
    // set, never a name in whatever folder the program was started from.
    const QFileInfo named(path);
    if (path.isEmpty() || !named.isAbsolute() || !named.absoluteDir().exists()) {
      path = defaultPath;
      QDir().mkpath(QFileInfo(path).absolutePath());  // so that the dialog can open there
    }
    path = ChooseDataSet(path, failed);
    if (path.isEmpty()) return failed ? DataSetResult::Failed : DataSetResult::Cancelled;
  }
  path = QFileInfo(path).absoluteFilePath();
  bool opened = date.OpenDataBase(path);
  if (!opened && firstStart) {
    // Nothing to fall back on from the default data set: after the data store's box the user
    // picks another one or names a new one. The bad file stays as it is.
    path = ChooseDataSet(QFileInfo(path).absolutePath() + QLatin1Char('/'), failed);
    if (path.isEmpty()) return failed ? DataSetResult::Failed : DataSetResult::Cancelled;
    path = QFileInfo(path).absoluteFilePath();
    opened = date.OpenDataBase(path);
  }
  // Told to end while the data set was locked by another program: the data set is fine, and the
  // next start opens it again.
  if (!opened && datastore::LockWaitsStopped()) return DataSetResult::Cancelled;
  if (!opened) {
    // The data store has shown why; the next start asks for a data set.
    platform::SaveSetting("Option", "DataBase", QString());
    return DataSetResult::Failed;
  }
  platform::SaveSetting("Option", "DataBase", path);
  return DataSetResult::Opened;
}

int Main(int argc, char** argv) {
  // A file size limit (ulimit -f) would kill the program in the middle of a write. Ignored, the
  // write fails with its error: the data store says why and rolls the data set back.
  std::signal(SIGXFSZ, SIG_IGN);
  if (!HasDisplay()) {
    std::fputs("almanor: 没有图形显示（图形平台所需的 DISPLAY 或 WAYLAND_DISPLAY 未设置），无法打开窗口。\n"
               "almanor: no display (DISPLAY or WAYLAND_DISPLAY, as the platform needs, is not set).\n"
               "Without a display, start it under a virtual one: xvfb-run -a build/almanor\n",
               stderr);
    return 1;
  }

  Application app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Almanor"));
  // The close box keeps the program in the tray; only Exit ends it.
  QApplication::setQuitOnLastWindowClosed(false);
  QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
  LoadChineseTranslations(app);
  UseChineseFont(app);
  platform::WidgetUi widgetUi;
  UiBackendScope uiScope(&widgetUi);

  // Leaves as File > Exit does, from any moment: every box and dialog on screen ends as if
  // cancelled (the event loops they wait in end with the application's, also before the main
  // loop runs), later ones no longer wait, and the main window unloads once the code that
  // showed them has returned.
  bool leaving = false;
  const auto leave = [&leaving, &widgetUi] {
    if (leaving) return;
    leaving = true;
    widgetUi.Leave();
    QCoreApplication::exit(0);
  };
  const ExitSignals exitSignals(leave);
  bool ok = false;
  const int quitAfterMs = qEnvironmentVariableIntValue("ALMANOR_TEST_QUIT_AFTER_MS", &ok);
  if (ok && quitAfterMs >= 0) QTimer::singleShot(quitAfterMs, &app, leave);

  const std::unique_ptr<QLockFile> lock = LockSingleInstance();
  if (!lock) {
    platform::MsgBox(QStringLiteral("程序 ") + objDate().objSystem.AppTitle + QStringLiteral(" 已经运行。"),
                     platform::MsgButtons::OK, platform::MsgIcon::Information, QStringLiteral("程序已运行"));
    return 0;
  }

  switch (OpenDataSetAtStart(DefaultDataSetPath())) {
  case DataSetResult::Opened: break;
  case DataSetResult::Cancelled: return 0;
  case DataSetResult::Failed: return 1;
  }

  frmMain main;
  for (const modules::ModuleEntry& entry : modules::Registry()) main.AddModule(entry);
  QObject::connect(&main, &frmMain::unloaded, &app, &QCoreApplication::quit, Qt::QueuedConnection);
  main.Form_Load();
  // Left during start-up, the main loop would never be told to end.
  const int code = leaving ? 0 : app.exec();
  // After Exit this has been done; after a signal or the end of the session it is done here.
  main.Unload();
  if (objDate().objConn.State() == 1) objDate().CloseDataBase();
  return code;
}

} // namespace modStart
