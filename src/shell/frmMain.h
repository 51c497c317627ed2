#pragma once
// The main window: the module panel on the left, the module windows as maximised MDI children,
// the menus, and the tray icon.

#include "modules/registry.h"

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <vector>

class QAction;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QPushButton;
class QSystemTrayIcon;
class QVBoxLayout;

class frmMain : public QMainWindow {
  Q_OBJECT
public:
  explicit frmMain(QWidget* parent = nullptr);
  ~frmMain() override;

  // A module window plugs in here before Form_Load: adds its Project-menu entry, its panel
  // button and its tray entry.
  void AddModule(const modules::ModuleEntry& entry);

  // Restores position, size and options, shows the window and opens the reminders window.
  void Form_Load();

  // Highlights the module's panel button, then shows its window maximised (made on first use)
  // or brings it to the front. Returns the module's window; null for an unknown module.
  QWidget* ShowModule(const QString& objectName);

  void mnuProjectNote_Click() { ShowModule(QStringLiteral("frmNotes")); }
  void mnuProjectMoney_Click() { ShowModule(QStringLiteral("frmMoneys")); }
  void mnuProjectReminds_Click() { ShowModule(QStringLiteral("frmReminds")); }
  void mnuProjectFiles_Click() { ShowModule(QStringLiteral("frmFiles")); }
  void mnuProjectUrl_Click() { ShowModule(QStringLiteral("frmUrl")); }
  void mnuProjectTemp_Click() { ShowModule(QStringLiteral("frmTemp")); }

  // File > Export and Import: the records of the active module window's family, through the
  // export and import dialogs; after an import that added records the window reloads.
  void mnuFileExp_Click();
  void mnuFileImp_Click();

  // File > Exit and the tray's Exit: unloads, then asks the application to quit.
  void mnuFileExit_Click();

  // Closes the open module windows (the data set still open), saves the position and size and
  // closes the data set. False when a module window refused to close; then nothing else happens.
  // Runs once; later calls return true.
  bool Unload();

  QMdiArea* mdiArea = nullptr;
  QMenu* mnuFile = nullptr;
  QMenu* mnuProject = nullptr;
  QMenu* mnuOption = nullptr;
  QAction* mnuFileExp = nullptr;
  QAction* mnuFileImp = nullptr;
  QAction* mnuFileExit = nullptr;
  QAction* mnuOptionHideMain = nullptr;
  QAction* mnuOptionMost = nullptr;
  QSystemTrayIcon* trayIcon = nullptr;

  // Whether the close box hides the window into the tray: only while a tray is there to show
  // the icon; otherwise it minimises.
  bool HidesToTray() const;

signals:
  // The window has unloaded through Exit; the application should end now.
  void unloaded();

protected:
  void closeEvent(QCloseEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

private:
  struct Module {
    modules::ModuleEntry entry;
    QPushButton* button = nullptr;
    QAction* action = nullptr;
    QPointer<QMdiSubWindow> window;
  };

  Module* FindModule(const QString& objectName);
  // The open module window that export or import serves, or null after telling the user why
  // there is none.
  QWidget* ExchangeWindow(const QString& refusal, const QString& title);
  void RestorePosition();
  void SavePosition();
  void RecordTop();
  void ApplyMost(bool on);
  void BringBack();

  std::vector<Module> modules_;
  QWidget* picPanel = nullptr;
  QVBoxLayout* panelLayout_ = nullptr;
  QMenu* trayMenu_ = nullptr;
  QAction* trayExitSeparator_ = nullptr;
  bool unloading_ = false;
  bool unloaded_ = false;
};
