#pragma once
// The one design shared by the record list windows (notes, ledger, reminders, file archive,
// bookmarks): a grey title bar, a search box with its history, a result list shown by the first
// search, the tree root "a0" / group "c" & group / record "_" & id, colour marks, and a bottom bar
// of label-buttons driven also by a Ctrl key table.
//
// A module window derives from ListWindow, passes its values in ListWindowParams (the record
// family among them), builds its record node text and its edit dialog, and calls Form_Load() at
// the end of its constructor. The other hooks are there for what a window adds to the design.
// Everything else lives here once.

#include "datastore/clsDate.h"
#include "modules/listwindow/LabelButton.h"
#include "modules/listwindow/RecordTree.h"
#include "modules/listwindow/ResultList.h"

#include <QColor>
#include <QHash>
#include <QIcon>
#include <QPixmap>
#include <QTreeView>
#include <QWidget>
#include <memory>
#include <optional>
#include <vector>

class QComboBox;
class QDialog;
class QFrame;
class QLabel;

namespace listwindow {

class EditDialog;

// The data-store operations of one record family, called on the run's one data-store object.
struct RecordFamily {
  using clsDate = datastore::clsDate;
  datastore::RowSetPtr (clsDate::*GetClass)() = nullptr;
  datastore::RowSetPtr (clsDate::*GetRecordSet)(const QString& strClass) = nullptr;
  datastore::RowSetPtr (clsDate::*GetModify)(qint64 id) = nullptr;
  // Null where groups cannot be renamed.
  bool (clsDate::*ModifyClass)(const QString& newClass, const QString& oldClass) = nullptr;
  bool (clsDate::*DeleteClass)(const QString& strClass) = nullptr;
  bool (clsDate::*Delete)(qint64 id) = nullptr;
  bool (clsDate::*ModifyColor)(qint64 id, const QString& strColor) = nullptr;
};

// How records are grouped: by a category field, or by the day of a date field ("yyyy年mm月dd日",
// the data store giving the days newest first).
enum class GroupKind { Category, Day };

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
  RecordFamily family;
  QString titleText;        // LabTitle reads titleText & "[" & count & "]"
  QString rootText;
  GroupKind groupKind = GroupKind::Category;
  // The column of the GetClass rows that holds the group text, and the field of a record row
  // that names its group: the category, or the date whose day is the group.
  QString classField;
  QString groupField;
  QString idField;
  QString markField;
  // Where the family has one: every record as GetRecordSet("") gives them, read in storage order,
  // each row with its rank in that order (RowSet::Rank): a whole-tree load reads it much quicker.
  datastore::RowSetPtr (datastore::clsDate::*allRecords)() = nullptr;
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
  QString addCaption;     // the edit dialog's caption for a new record
  QString modifyCaption;  // and for a modification
  QString groupDeleteTail;   // "确定要删除 " & group & groupDeleteTail
  QString recordDeleteTail;  // "确定要删除 " & node text & recordDeleteTail
  // After a record delete the window recounts its records instead of lowering the count by one.
  bool recountAfterDelete = false;
  Enabling rootEnabling;
  Enabling groupEnabling;
  Enabling recordEnabling;
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
  QTreeView* ListView1 = nullptr;  // the result list
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
  TreeNode* Node(const QString& key) const { return tree_.Node(key); }
  TreeNode* Root() const { return tree_.Root(); }
  // The tree's selected (current) node; null when none.
  TreeNode* CurrentNode() const;
  QModelIndex IndexOf(const TreeNode* node) const;
  static TreeNode* NodeAt(const QModelIndex& index);
  static NodeKind KindOf(const TreeNode* node);
  static qint64 RecordId(const TreeNode* node);
  // A node's background colour; an unmarked node has the root's.
  QColor NodeBackColor(const TreeNode* node) const;
  // The node's image as the tree shows it.
  const QIcon& NodeIcon(const TreeNode* node) const { return tree_.Model()->Icon(node); }
  // The result list's rows, and the key of the record node a row stands for.
  int ResultCount() const { return results_->rowCount(); }
  QString ResultKey(int row) const { return u'_' + QString::number(results_->Id(row)); }

  // The main window's reload (also Ctrl+R).
  void ReloadTree() { LoadTree(QString()); }

  void Form_Load();
  void Form_Resize();
  void Form_Unload();
  // The key table: true when the key ran a command.
  bool Form_KeyDown(int keyCode, Qt::KeyboardModifiers shift);
  virtual void ShowRecordCount();
  void LoadTree(const QString& strClass);
  void LoadRecords(const QString& strClass);
  void RemoveChildNodes(TreeNode* node);
  bool ClassNodeExists(const QString& strClass) const;
  void Combo1_KeyPress(int keyAscii);
  void Combo1_Click();
  void Combo1_Change();
  void Combo1_LostFocus();
  void SearchByKeyword();
  void SearchByColor();
  void InitResultList();
  void InitTreeView();
  void ListView1_ItemClick(const QModelIndex& item);
  void ListView1_DblClick();
  virtual void TreeView1_NodeClick(TreeNode* node);
  virtual void TreeView1_DblClick();
  void LabAllOpen_Click();
  void LabAllClose_Click();
  void LabAdd_Click();
  void LabModify_Click();
  void LabDelete_Click();
  void labHas_Click();
  void LabAd_Click();

protected:
  // Runs once per load before its rows: a window resolves the columns its hooks read.
  virtual void ResolveColumns(datastore::RowSet& rs);
  // The text of a record node, built from its row.
  virtual QString RecordNodeText(datastore::RowSet& rs) = 0;
  // The same, valid until the next row: a window that builds it in a buffer of its own spares
  // a string per record of a load. By default RecordNodeText's.
  virtual QStringView RecordNodeTextView(datastore::RowSet& rs);
  // The node's Tag; empty by default.
  virtual QString RecordNodeTag(datastore::RowSet& rs);
  // Runs for every record node a load adds, before the tree shows it: a window may set the node's
  // image (SetNodeImage) or note what the row tells it.
  virtual void RecordLoaded(TreeNode& node, datastore::RowSet& rs);
  // The node a load selects: by default the reloaded group, else the first group, else the root.
  virtual TreeNode* NodeToSelect(const QString& strClass);
  // The module's edit dialog, made afresh for every add and modify.
  virtual std::unique_ptr<EditDialog> MakeDialog() = 0;
  virtual void FourthButton_Click();
  // Double-click on a record node; by default the modify command.
  virtual void RecordDoubleClick();

  // Hides the main window around a modal dialog, as every edit command does.
  static void ExecModal(QDialog& dialog);
  // Selects a node without running the enabling rule.
  void SelectNode(TreeNode* node);
  void SetExpanded(TreeNode* node, bool expanded);
  // The image of ImageList1 under this key; an unknown key leaves the node's image as it is.
  void SetNodeImage(TreeNode& node, const QString& key);

  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

private:
  // The group a record row belongs to, from its group field's column.
  QString RecordClass(datastore::RowSet& rs, int column);
  bool CanRenameGroup() const { return params_.family.ModifyClass != nullptr; }
  void RenameGroup(TreeNode* node);
  void ModifyRecord(TreeNode* node);
  void PlaceTree();
  void SetCombo1BackColor(const QColor& color);
  void SetTitleCount(qint64 count);
  void AddResultItems(const std::vector<TreeNode*>& hits);

  ListWindowParams params_;
  QHash<QString, int> imageIndex_;  // ImageList1's keys in the model's image list
  RecordTree tree_;
  ResultModel* results_ = nullptr;  // ListView1's rows, owned by it
  QString nodeText_;  // RecordNodeTextView's text by default
  qint64 recordCountTag_ = 0;
  QColor combo1BackColor_;
  bool unloaded_ = false;
};

} // namespace listwindow
