#pragma once
// The one design shared by the record list windows (notes, ledger, reminders, file archive,
// bookmarks): a grey title bar, a search box with its history, a result list shown by the first
// search, the tree root "a0" / group "c" & group / record "_" & id, colour marks, and a bottom bar
// of label-buttons driven also by a Ctrl key table.
//
// A module window derives from ListWindow, passes its values in ListWindowParams, implements the
// family hooks (the data-store operations, the record node text, its edit dialog) and calls
// Form_Load() at the end of its constructor. Everything else lives here once.

#include "datastore/connection.h"
#include "modules/listwindow/LabelButton.h"
#include "modules/listwindow/NodeModel.h"

#include <QColor>
#include <QHash>
#include <QIcon>
#include <QPixmap>
#include <QTreeWidgetItem>
#include <QWidget>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

class QComboBox;
class QDialog;
class QFrame;
class QLabel;
class QTreeView;
class QTreeWidget;

namespace listwindow {

// What selecting a node of one kind does to the commands; an empty `fourth` leaves the fourth
// button as it is.
struct Enabling {
  bool modify = false;
  bool remove = false;
  bool mark = false;
  std::optional<bool> fourth;
};

struct ListWindowParams {
  QString objectName;
  QString titleText;        // LabTitle reads titleText & "[" & count & "]"
  QString rootText;
  // Group kind: the column of the GetClass rows that holds the group text, and the field of a
  // record row that names its group (day groups override RecordClass instead).
  QString classField;
  QString groupField;
  QString idField;
  QString markField;
  // ImageList1 and the keys of the group and record images; Image1 is the module's icon.
  QHash<QString, QIcon> images;
  QString groupImageKey;
  QString recordImageKey;
  QPixmap moduleIcon;
  QString historySection;
  // The fourth button: its object name, caption, the Ctrl letter (Qt::Key_*) that runs it and its
  // left in the bottom bar. An empty name means none.
  QString fourthName;
  QString fourthCaption;
  int fourthKey = 0;
  int fourthLeft = 2263;
  // Design lefts (twips) before the first layout.
  int labAdLeft = 3840;
  int allOpenLeft = 2160;
  int allCloseLeft = 2640;
  bool canRenameGroup = false;
  QString groupDeleteTail;   // "确定要删除 " & group & groupDeleteTail
  QString recordDeleteTail;  // "确定要删除 " & node text & recordDeleteTail
  Enabling rootEnabling;
  Enabling groupEnabling;
  Enabling recordEnabling;
};

// A result item of ListView1: the key of its record node, and "group > record node text".
class ResultItem : public QTreeWidgetItem {
public:
  ResultItem(QString key, const QString& text, const QIcon& icon);
  QString Key;
};

class ListWindow : public QWidget {
  Q_OBJECT
public:
  ListWindow(ListWindowParams params, QWidget* parent = nullptr);
  ~ListWindow() override;

  // Controls, named as the users' manual and the module windows know them.
  QFrame* picTop = nullptr;
  QLabel* Image1 = nullptr;
  LabelButton* LabTitle = nullptr;
  LabelButton* LabAllOpen = nullptr;
  LabelButton* LabAllClose = nullptr;
  QComboBox* Combo1 = nullptr;
  QTreeWidget* ListView1 = nullptr;
  QTreeView* TreeView1 = nullptr;
  QFrame* picFoot = nullptr;
  LabelButton* LabAdd = nullptr;
  LabelButton* LabModify = nullptr;
  LabelButton* LabDelete = nullptr;
  LabelButton* FourthButton = nullptr;  // null when the window has none
  LabelButton* labHas = nullptr;
  LabelButton* LabAd = nullptr;

  static const QString kPlaceholder;  // "请在这里输入查找的关键字..."
  static const QString kColorSearch;  // "标识颜色"

  // LabTitle.Tag: the record count last shown.
  qint64 RecordCount() const { return recordCountTag_; }
  QColor Combo1BackColor() const { return combo1BackColor_; }
  TreeNode* Node(const QString& key) const;
  TreeNode* Root() const;
  // The tree's selected (current) node; null when none.
  TreeNode* CurrentNode() const;
  QModelIndex IndexOf(const TreeNode* node) const;
  static TreeNode* NodeAt(const QModelIndex& index);
  static NodeKind KindOf(const TreeNode* node);
  static qint64 RecordId(const TreeNode* node);
  // A node's background colour; an unmarked node has the root's.
  QColor NodeBackColor(const TreeNode* node) const;

  // The main window's reload (also Ctrl+R).
  void ReloadTree() { LoadTree(QString()); }

  void Form_Load();
  void Form_Resize();
  void Form_Unload();
  // The key table: true when the key ran a command.
  bool Form_KeyDown(int keyCode, Qt::KeyboardModifiers shift);
  virtual void ShowRecordCount();
  void LoadTree(const QString& strClass);
  virtual void LoadRecords(const QString& strClass);
  void RemoveChildNodes(TreeNode* node);
  bool ClassNodeExists(const QString& strClass) const;
  void Combo1_KeyPress(int keyAscii);
  void Combo1_Click();
  void Combo1_Change();
  void Combo1_LostFocus();
  void SearchByKeyword();
  void SearchByColor();
  void InitResultList();
  void AddSearchHistory(const QString& strText);
  void LoadSearchHistory();
  void InitTreeView();
  void ListView1_ItemClick(QTreeWidgetItem* item);
  void ListView1_DblClick();
  virtual void TreeView1_NodeClick(TreeNode* node);
  virtual void TreeView1_DblClick();
  void LabAllOpen_Click();
  void LabAllClose_Click();
  virtual void LabAdd_Click();
  virtual void LabModify_Click();
  void LabDelete_Click();
  void labHas_Click();
  void LabAd_Click();

protected:
  // The record family.
  virtual datastore::RowSetPtr GetClass() = 0;
  virtual datastore::RowSetPtr GetRecordSet(const QString& strClass) = 0;
  virtual bool ModifyClass(const QString& newClass, const QString& oldClass);
  virtual bool DeleteClass(const QString& strClass) = 0;
  virtual bool Delete(qint64 id) = 0;
  virtual bool ModifyColor(qint64 id, const QString& strColor) = 0;
  // The group a record row belongs to; by default the params' groupField.
  virtual QString RecordClass(datastore::RowSet& rs);
  virtual QString RecordNodeText(datastore::RowSet& rs) = 0;
  virtual QString RecordNodeTag(datastore::RowSet& rs);
  // The edit dialog: run it (through ExecModal) and hand back its SavedClass, "" when nothing
  // was saved. ShowModifyDialog also returns "" when the record cannot be read.
  virtual QString ShowAddDialog() = 0;
  virtual QString ShowModifyDialog(qint64 id) = 0;
  virtual void FourthButton_Click();
  // Double-click on a record node; by default the modify command.
  virtual void RecordDoubleClick();

  // Hides the main window around a modal dialog, as every edit command does.
  static void ExecModal(QDialog& dialog);
  // Selects a node without running the enabling rule.
  void SelectNode(TreeNode* node);
  void SetExpanded(TreeNode* node, bool expanded);
  LabelButton* MakeFootButton(const QString& name, const QString& caption, int left);

  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

private:
  // Programmatic tree changes must not run the enabling rule.
  struct Quiet {
    explicit Quiet(int& depth) : depth_(depth) { ++depth_; }
    ~Quiet() { --depth_; }
    int& depth_;
  };

  static NodeKind KindOf(const QString& key);
  TreeNode* GroupNode(const QString& group) const;
  TreeNode* AddGroupNode(const QString& group);
  void Register(TreeNode* node);
  void Forget(TreeNode* node);
  void RemoveNode(TreeNode* node);
  // Removes a record node, and its group with it when that was the group's last record.
  void RemoveRecordNode(TreeNode* node);
  void ClearTree(NodePtr root);
  void CompactIndex();
  void PlaceTree();
  void SetCombo1BackColor(const QColor& color);
  void SetTitleCount(qint64 count);
  void AddResultItems(const std::vector<TreeNode*>& hits);
  LabelButton* MakeBarButton(QWidget* bar, const QString& name, const QString& caption, int left);

  ListWindowParams params_;
  // Qt's string hash is slow for the one group look-up per loaded record; a byte hash will do.
  struct TextHash {
    size_t operator()(const QString& text) const noexcept {
      return std::hash<std::u16string_view>()(std::u16string_view(QStringView(text).utf16(), size_t(text.size())));
    }
  };
  // Nodes by key, one index per kind: a record's key is "_" & id, so records are found by the id.
  std::unordered_map<QString, TreeNode*, TextHash> groups_;  // vb::TextKey of the group text -> group node
  QHash<qint64, TreeNode*> recordIds_;  // record id -> record node
  NodeModel* model_ = nullptr;
  std::vector<TreeNode*> records_;    // record nodes in index order; null where removed
  qint64 removedRecords_ = 0;
  qint64 recordCountTag_ = 0;
  QColor combo1BackColor_;
  int quiet_ = 0;
  bool unloaded_ = false;
};

} // namespace listwindow
