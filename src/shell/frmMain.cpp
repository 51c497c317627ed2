#include "shell/frmMain.h"

#include "exchange/frmExp.h"
#include "exchange/frmImp.h"
#include "modules/listwindow/ListWindow.h"
#include "modules/listwindow/Options.h"
#include "platform/ui.h"
#include "platform/vbcolor.h"
#include "modules/listwindow/modStart.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QVBoxLayout>

namespace {

constexpr qint64 kActiveButtonColor = 0xC0FFC0;

bool IsNormalState(const QWidget* w) {
  return !(w->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
}

void SetButtonColor(QPushButton* button, const QColor& color) {
  QPalette pal = button->palette();
  pal.setColor(QPalette::Button, color);
  button->setPalette(pal);
}


} // namespace

frmMain::frmMain(QWidget* parent) : QMainWindow(parent) {
  setObjectName(QStringLiteral("frmMain"));
  setWindowTitle(modStart::objDate().objSystem.AppTitle);
  setWindowIcon(style()->standardIcon(QStyle::SP_ComputerIcon));

  auto* central = new QWidget(this);
  auto* layout = new QHBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  picPanel = new QFrame(central);
  picPanel->setObjectName(QStringLiteral("picPanel"));
  picPanel->setFixedWidth(120);
  panelLayout_ = new QVBoxLayout(picPanel);
  panelLayout_->setContentsMargins(4, 4, 4, 4);
  panelLayout_->addStretch(1);
  picPanel->hide();  // shown once a module is registered
  mdiArea = new QMdiArea(central);
  mdiArea->setObjectName(QStringLiteral("mdiArea"));
  layout->addWidget(picPanel);
  layout->addWidget(mdiArea, 1);
  setCentralWidget(central);

  mnuFile = menuBar()->addMenu(QStringLiteral("文件(&F)"));
  mnuFile->setObjectName(QStringLiteral("mnuFile"));
  mnuFileExp = mnuFile->addAction(QStringLiteral("导出数据(&E)..."));
  mnuFileExp->setObjectName(QStringLiteral("mnuFileExp"));
  connect(mnuFileExp, &QAction::triggered, this, &frmMain::mnuFileExp_Click);
  mnuFileImp = mnuFile->addAction(QStringLiteral("导入数据(&I)..."));
  mnuFileImp->setObjectName(QStringLiteral("mnuFileImp"));
  connect(mnuFileImp, &QAction::triggered, this, &frmMain::mnuFileImp_Click);
  mnuFile->addSeparator();
  mnuFileExit = mnuFile->addAction(QStringLiteral("退出(&X)"));
  mnuFileExit->setObjectName(QStringLiteral("mnuFileExit"));
  connect(mnuFileExit, &QAction::triggered, this, &frmMain::mnuFileExit_Click);

  mnuProject = menuBar()->addMenu(QStringLiteral("项目(&P)"));
  mnuProject->setObjectName(QStringLiteral("mnuProject"));
  mnuProject->menuAction()->setVisible(false);  // shown once a module is registered

  mnuOption = menuBar()->addMenu(QStringLiteral("选项(&O)"));
  mnuOption->setObjectName(QStringLiteral("mnuOption"));
  mnuOptionHideMain = mnuOption->addAction(QStringLiteral("编辑时隐藏主界面(&H)"));
  mnuOptionHideMain->setObjectName(QStringLiteral("mnuOptionHideMain"));
  mnuOptionHideMain->setCheckable(true);
  mnuOptionHideMain->setChecked(platform::GetSetting(options::HideMain));
  connect(mnuOptionHideMain, &QAction::toggled, this, [](bool on) { platform::SaveSetting(options::HideMain, on); });
  mnuOptionMost = mnuOption->addAction(QStringLiteral("总在最前面(&T)"));
  mnuOptionMost->setObjectName(QStringLiteral("mnuOptionMost"));
  mnuOptionMost->setCheckable(true);
  mnuOptionMost->setChecked(platform::GetSetting(options::Most));
  connect(mnuOptionMost, &QAction::toggled, this, [this](bool on) {
    platform::SaveSetting(options::Most, on);
    ApplyMost(on);
  });

  // Made even where no tray exists yet (a panel may start after the program); the close box
  // asks whether a tray is there when it is pressed.
  trayIcon = new QSystemTrayIcon(windowIcon(), this);
  trayIcon->setObjectName(QStringLiteral("trayIcon"));
  trayIcon->setToolTip(windowTitle());
  trayMenu_ = new QMenu(this);
  trayExitSeparator_ = trayMenu_->addSeparator();
  QAction* exit = trayMenu_->addAction(QStringLiteral("退出(&X)"));
  connect(exit, &QAction::triggered, this, &frmMain::mnuFileExit_Click);
  trayIcon->setContextMenu(trayMenu_);
  connect(trayIcon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick) BringBack();
  });
  trayIcon->show();

  modStart::SetMainForm(this);
  platform::SetDialogParent(this);
}

frmMain::~frmMain() {
  if (modStart::MainForm() == this) modStart::SetMainForm(nullptr);
  if (platform::DialogParent() == this) platform::SetDialogParent(nullptr);
}

void frmMain::AddModule(const modules::ModuleEntry& entry) {
  Module m;
  m.entry = entry;
  const QString& objectName = entry.objectName;
  const QString& caption = entry.caption;

  m.action = new QAction(caption, this);
  m.action->setObjectName(QStringLiteral("mnuProject_") + objectName);
  connect(m.action, &QAction::triggered, this, [this, objectName] { ShowModule(objectName); });
  mnuProject->addAction(m.action);
  mnuProject->menuAction()->setVisible(true);
  trayMenu_->insertAction(trayExitSeparator_, m.action);

  QString buttonText = caption;
  buttonText.remove(QLatin1Char('&'));  // the mnemonic belongs to the menu entry
  m.button = new QPushButton(buttonText, picPanel);
  m.button->setObjectName(objectName + QStringLiteral("Button"));
  m.button->setFlat(true);  // a flat button shows its back colour
  m.button->setAutoFillBackground(true);
  m.button->setMinimumHeight(36);
  SetButtonColor(m.button, platform::SystemWindowColor());
  connect(m.button, &QPushButton::clicked, this, [this, objectName] { ShowModule(objectName); });
  panelLayout_->insertWidget(panelLayout_->count() - 1, m.button);
  picPanel->show();

  modules_.push_back(std::move(m));
}

frmMain::Module* frmMain::FindModule(const QString& objectName) {
  for (Module& m : modules_)
    if (m.entry.objectName == objectName) return &m;
  return nullptr;
}

void frmMain::Form_Load() {
  RestorePosition();
  modStart::SetTopMost(this, true);
  show();
  RecordTop();
  mnuProjectReminds_Click();
}

QWidget* frmMain::ShowModule(const QString& objectName) {
  Module* module = FindModule(objectName);
  if (!module) return nullptr;
  for (Module& m : modules_)
    SetButtonColor(m.button, &m == module ? platform::ColorFromVb(kActiveButtonColor) : platform::SystemWindowColor());
  // A command from the tray brings the hidden main window back with the module.
  if (!isVisible() || isMinimized()) BringBack();

  // A module window closed on its own leaves the area at once and is deleted a moment later.
  if (module->window && !mdiArea->subWindowList().contains(module->window)) module->window = nullptr;
  if (!module->window) {
    QWidget* window = module->entry.create();
    if (!window) return nullptr;
    if (window->objectName().isEmpty()) window->setObjectName(module->entry.objectName);
    module->window = mdiArea->addSubWindow(window, Qt::FramelessWindowHint);
    module->window->showMaximized();
  } else if (!module->window->isVisible()) {
    module->window->showMaximized();
  }
  mdiArea->setActiveSubWindow(module->window);
  return module->window->widget();
}

QWidget* frmMain::ExchangeWindow(const QString& refusal, const QString& title) {
  QMdiSubWindow* sub = mdiArea->currentSubWindow();
  if (!sub || !sub->isVisible() || !sub->widget()) {
    platform::MsgBox(QStringLiteral("请先打开要%1数据的模块窗口！").arg(title), platform::MsgButtons::OK,
                     platform::MsgIcon::Information, title);
    return nullptr;
  }
  const Module* module = FindModule(sub->widget()->objectName());
  if (!module || !module->entry.canExport) {
    platform::MsgBox(refusal, platform::MsgButtons::OK, platform::MsgIcon::Information, title);
    return nullptr;
  }
  return sub->widget();
}

void frmMain::mnuFileExp_Click() {
  QWidget* window = ExchangeWindow(QStringLiteral("您当前操作的模块暂未提供导出功能！"), QStringLiteral("导出"));
  if (!window) return;
  exchange::frmExp dialog(window->objectName(), this);
  dialog.exec();
}

void frmMain::mnuFileImp_Click() {
  QPointer<QWidget> window =
      ExchangeWindow(QStringLiteral("您当前操作的模块暂未提供导入功能！"), QStringLiteral("导入"));
  if (!window) return;
  bool imported = false;
  {
    exchange::frmImp dialog(window->objectName(), this);
    dialog.exec();
    imported = dialog.blnImported;  // a failed import has stored nothing
  }  // the file's text and its lines are freed before the window reloads
  if (!imported) return;
  if (auto* list = qobject_cast<listwindow::ListWindow*>(window.data())) list->ReloadTree();
}

void frmMain::mnuFileExit_Click() {
  if (!Unload()) return;
  hide();
  emit unloaded();
}

bool frmMain::Unload() {
  if (unloaded_) return true;
  // A second Exit (a signal) while a module window asks something waits for the first.
  if (unloading_) return false;
  unloading_ = true;
  // Module windows save their state through the data set, so they go while it is still open.
  for (QMdiSubWindow* sub : mdiArea->subWindowList()) {
    if (!sub->close()) {
      unloading_ = false;
      return false;
    }
  }
  SavePosition();
  modStart::objDate().CloseDataBase();
  trayIcon->hide();
  unloaded_ = true;
  unloading_ = false;
  return true;
}

bool frmMain::HidesToTray() const {
  return trayIcon->isVisible() && QSystemTrayIcon::isSystemTrayAvailable();
}

void frmMain::closeEvent(QCloseEvent* event) {
  if (unloaded_) {
    event->accept();
    return;
  }
  // The close box keeps the program running: into the tray, or minimised where there is no
  // tray, so the window can always be found again.
  event->ignore();
  if (HidesToTray())
    hide();
  else
    showMinimized();
}

void frmMain::moveEvent(QMoveEvent* event) {
  QMainWindow::moveEvent(event);
  RecordTop();
}

void frmMain::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  RecordTop();
}

void frmMain::RecordTop() {
  // An off-screen Top (the window moved away around an edit dialog) is never the one to return to.
  if (isVisible() && IsNormalState(this) && y() + frameGeometry().height() > 0) modStart::RecordMainTop(y());
}

void frmMain::RestorePosition() {
  const auto left = options::PlaceTwips(QStringLiteral("Left"));
  const auto top = options::PlaceTwips(QStringLiteral("Top"));
  const auto width = options::PlaceTwips(QStringLiteral("Width"));
  const auto height = options::PlaceTwips(QStringLiteral("Height"));
  if (left && top && width && height && *width >= options::kMinWindowWidth && *height >= options::kMinWindowHeight) {
    const QRect saved(platform::TwipsToPixels(*left), platform::TwipsToPixels(*top), platform::TwipsToPixels(*width),
                      platform::TwipsToPixels(*height));
    // A position on a screen that is gone would put the window out of reach.
    const QRect titleBar(saved.topLeft(), QSize(saved.width(), 40));
    for (QScreen* screen : QGuiApplication::screens()) {
      if (screen->availableGeometry().intersects(titleBar)) {
        resize(saved.size());
        move(saved.topLeft());
        return;
      }
    }
  }
  QScreen* screen = QGuiApplication::primaryScreen();
  const QRect avail = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
  const QSize size(qMin(960, avail.width()), qMin(680, avail.height()));
  resize(size);
  move(avail.center() - QPoint(size.width() / 2, size.height() / 2));
}

void frmMain::SavePosition() {
  if (!IsNormalState(this)) return;
  const double twipsWidth = platform::PixelsToTwips(width());
  const double twipsHeight = platform::PixelsToTwips(height());
  if (twipsWidth < options::kMinWindowWidth || twipsHeight < options::kMinWindowHeight) return;
  options::SavePlaceTwips(QStringLiteral("Left"), platform::PixelsToTwips(x()));
  options::SavePlaceTwips(QStringLiteral("Top"), platform::PixelsToTwips(y()));
  options::SavePlaceTwips(QStringLiteral("Width"), twipsWidth);
  options::SavePlaceTwips(QStringLiteral("Height"), twipsHeight);
}

void frmMain::ApplyMost(bool on) {
  if (on) {
    modStart::SetTopMost(this, false);
    return;
  }
  const bool visible = isVisible();
  setWindowFlag(Qt::WindowStaysOnTopHint, false);
  if (visible) show();  // changing the flags hides a shown window
}

void frmMain::BringBack() {
  setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
  show();
  raise();
  activateWindow();
}
