#include "modules/listwindow/ListWindow.h"

#include "modules/listwindow/EditDialog.h"
#include "modules/listwindow/modStart.h"
#include "modules/listwindow/OneLine.h"
#include "modules/listwindow/WindowParts.h"
#include "modules/listwindow/WordMatcher.h"
#include "platform/ui.h"
#include "platform/vbcolor.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScopeGuard>
#include <QTreeView>
#include <algorithm>
#include <exception>

namespace listwindow {

using platform::TwipsToPixels;

const QString ListWindow::kPlaceholder = QStringLiteral("请在这里输入查找的关键字...");
const QString ListWindow::kColorSearch = QStringLiteral("标识颜色");

namespace {

constexpr qint64 kWhite = 16777215;

// ImageList1 for the model: the group image first, the record image second, then the others.
std::vector<QIcon> ImageList(const ListWindowParams& params, QHash<QString, int>& index) {
  std::vector<QIcon> images{params.images.value(params.groupImageKey), params.images.value(params.recordImageKey)};
  index.insert(params.groupImageKey, 0);
  index.insert(params.recordImageKey, 1);
  for (auto it = params.images.cbegin(); it != params.images.cend(); ++it) {
    if (index.contains(it.key())) continue;
    index.insert(it.key(), static_cast<int>(images.size()));
    images.push_back(it.value());
  }
  return images;
}

} // namespace

ListWindow::ListWindow(ListWindowParams params, QWidget* parent)
    : QWidget(parent),
      params_(std::move(params)),
      tree_(new NodeModel(ImageList(params_, imageIndex_), this)) {
  setObjectName(params_.objectName);
  combo1BackColor_ = platform::SystemWindowColor();

  picTop = MakeBar(this, "picTop");
  Image1 = MakeBarImage(picTop, params_.moduleIcon);
  LabTitle = MakeBarButton(picTop, "LabTitle", params_.titleText + "（0）", 345);
  LabTitle->SetPressable(false);
  LabTitle->setCursor(Qt::ArrowCursor);
  LabAllOpen = MakeBarButton(picTop, "LabAllOpen", "展开", params_.allOpenLeft);
  LabAllClose = MakeBarButton(picTop, "LabAllClose", "收缩", params_.allCloseLeft);

  Combo1 = MakeSearchBox(this);

  ListView1 = new ResultView(this);
  ListView1->setObjectName("ListView1");
  results_ = new ResultModel(QStringLiteral("查询结果 "), ListView1);
  ListView1->setModel(results_);
  ListView1->hide();
  ListView1->resize(ListView1->width(), TwipsToPixels(1485));

  TreeView1 = new QTreeView(this);
  TreeView1->setObjectName("TreeView1");
  TreeView1->setHeaderHidden(true);
  TreeView1->setUniformRowHeights(true);
  TreeView1->setModel(tree_.Model());

  picFoot = MakeBar(this, "picFoot");
  LabAdd = MakeFootButton(picFoot, "LabAdd", "&N.增加", 100);
  LabModify = MakeFootButton(picFoot, "LabModify", "&M.修改", 821);
  LabDelete = MakeFootButton(picFoot, "LabDelete", "&D.删除", 1542);
  if (!params_.fourthName.isEmpty())
    FourthButton = MakeFootButton(picFoot, params_.fourthName, params_.fourthCaption, params_.fourthLeft);
  labHas = MakeFootButton(picFoot, "labHas", "&H.标识", 2985);
  LabAd = MakeBarButton(picFoot, "LabAd", QString(), params_.labAdLeft);

  connect(LabAllOpen, &LabelButton::clicked, this, &ListWindow::LabAllOpen_Click);
  connect(LabAllClose, &LabelButton::clicked, this, &ListWindow::LabAllClose_Click);
  connect(LabAdd, &LabelButton::clicked, this, &ListWindow::LabAdd_Click);
  connect(LabModify, &LabelButton::clicked, this, &ListWindow::LabModify_Click);
  connect(LabDelete, &LabelButton::clicked, this, &ListWindow::LabDelete_Click);
  if (FourthButton) connect(FourthButton, &LabelButton::clicked, this, &ListWindow::FourthButton_Click);
  connect(labHas, &LabelButton::clicked, this, &ListWindow::labHas_Click);
  connect(LabAd, &LabelButton::clicked, this, &ListWindow::LabAd_Click);

  connect(Combo1, &QComboBox::activated, this, [this] { Combo1_Click(); });
  connect(Combo1, &QComboBox::editTextChanged, this, [this] { Combo1_Change(); });

  connect(TreeView1, &QTreeView::clicked, this, [this](const QModelIndex& index) {
    if (TreeNode* node = NodeAt(index)) TreeView1_NodeClick(node);
  });
  connect(TreeView1->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& current) {
    if (!tree_.Changing() && current.isValid()) TreeView1_NodeClick(NodeAt(current));
  });
  connect(TreeView1, &QTreeView::doubleClicked, this, [this] { TreeView1_DblClick(); });
  connect(ListView1, &QTreeView::clicked, this, [this](const QModelIndex& item) { ListView1_ItemClick(item); });
  connect(ListView1->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& current) {
    if (!tree_.Changing() && current.isValid()) ListView1_ItemClick(current);
  });
  connect(ListView1, &QTreeView::doubleClicked, this, [this] { ListView1_DblClick(); });

  // Key preview: the window sees the keys of all its controls first.
  qApp->installEventFilter(this);
}

ListWindow::~ListWindow() {
  qApp->removeEventFilter(this);
  // The controls outlive this part of the object: their last signals must not reach it.
  for (QObject* control : std::initializer_list<QObject*>{Combo1, TreeView1, TreeView1->selectionModel(), ListView1})
    control->disconnect(this);
}

TreeNode* ListWindow::CurrentNode() const { return NodeAt(TreeView1->currentIndex()); }

QModelIndex ListWindow::IndexOf(const TreeNode* node) const { return tree_.Model()->IndexOf(node); }

TreeNode* ListWindow::NodeAt(const QModelIndex& index) { return NodeModel::NodeAt(index); }

NodeKind ListWindow::KindOf(const TreeNode* node) { return node ? node->Kind() : NodeKind::None; }

qint64 ListWindow::RecordId(const TreeNode* node) { return node->Id(); }

QColor ListWindow::NodeBackColor(const TreeNode* node) const {
  return node->Back().isValid() ? node->Back() : platform::SystemWindowColor();
}

// ---- set-up -----------------------------------------------------------------------------------

void ListWindow::Form_Load() {
  LabAd->SetCaption(datastore::clsSystem::AppUrl());
  LoadSearchHistory(Combo1, params_.historySection);
  InitTreeView();
  InitResultList();
  LoadTree(QString());
}

void ListWindow::InitTreeView() {
  TreeView1->setIndentation(TwipsToPixels(200));
  TreeView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  KeepHighlightWhenInactive(TreeView1);
}

void ListWindow::InitResultList() {
  results_->Clear();
  ListView1->header()->setStretchLastSection(false);
  ListView1->setColumnWidth(0, TwipsToPixels(6200));
  ListView1->setRootIsDecorated(false);
  ListView1->setUniformRowHeights(true);
  ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
  ListView1->setItemDelegate(new OneLineGridDelegate(ListView1));
  KeepHighlightWhenInactive(ListView1);
}

// ---- the tree ---------------------------------------------------------------------------------

void ListWindow::SelectNode(TreeNode* node) {
  RecordTree::Change change(tree_);
  TreeView1->setCurrentIndex(IndexOf(node));
}

void ListWindow::SetExpanded(TreeNode* node, bool expanded) { TreeView1->setExpanded(IndexOf(node), expanded); }

void ListWindow::SetNodeImage(TreeNode& node, const QString& key) {
  if (const auto it = imageIndex_.constFind(key); it != imageIndex_.cend()) tree_.Model()->SetImage(&node, *it);
}

void ListWindow::LoadTree(const QString& strClass) {
  if (strClass.isEmpty()) {
    tree_.Reset(params_.rootText);
    // The old tree's memory serves the new one; what is left over goes once the load is done.
    const auto trim = qScopeGuard([this] { tree_.Model()->Trim(); });
    datastore::RowSetPtr rs = (modStart::objDate().*params_.family.GetClass)();
    if (!rs || rs->State() != 1) return;
    QStringList groups;
    for (; !rs->Eof(); rs->MoveNext()) groups.append(rs->Fields(params_.classField).toString());
    rs->Close();
    tree_.AddGroups(groups);
    {
      RecordTree::Change change(tree_);
      SetExpanded(Root(), true);
    }
    LoadRecords(QString());
    return;
  }
  if (ClassNodeExists(strClass))
    RemoveChildNodes(Node("c" + strClass));
  else
    tree_.AddGroup(strClass);
  LoadRecords(strClass);
}

// The group of a record: its category, or its date's day as the day list formats it.
QString ListWindow::RecordClass(datastore::RowSet& rs, int column) {
  const QVariant value = rs.Field(column);
  return params_.groupKind == GroupKind::Day ? datastore::FormatField(value, QStringLiteral("yyyy年mm月dd日"))
                                             : value.toString();
}

namespace {

// The bytes of a group field that decide the group alone: a category's whole text; the day of a
// date stored as the data set writes it. Empty for any other date.
QByteArrayView GroupKey(GroupKind kind, QByteArrayView bytes) {
  return kind == GroupKind::Category ? bytes : datastore::StampDay(bytes);
}

} // namespace

void ListWindow::LoadRecords(const QString& strClass) {
  datastore::clsDate& date = modStart::objDate();
  const bool all = strClass.isEmpty() && params_.allRecords;
  datastore::RowSetPtr rs = all ? (date.*params_.allRecords)() : (date.*params_.family.GetRecordSet)(strClass);
  if (rs && rs->State() == 1) {
    // Names are resolved once per load, not for every row.
    const int idColumn = rs->Column(params_.idField);
    const int groupColumn = rs->Column(params_.groupField);
    const int markColumn = rs->Column(params_.markField);
    ResolveColumns(*rs);
    // Many rows share a group (500 categories over 100,000 notes): its node is looked up once per
    // distinct text, without building the text for every row.
    QHash<QByteArray, TreeNode*> groupsByKey;
    RecordTree::Batch batch(tree_);
    for (; !rs->Eof(); rs->MoveNext()) {
      bool ok = false;
      const qint64 id = rs->Integer(idColumn, &ok);
      if (!ok) continue;  // ids are integer keys: a row without one cannot be addressed
      const QByteArrayView key = GroupKey(params_.groupKind, rs->Utf8(groupColumn));
      TreeNode* group = nullptr;
      if (key.data()) {
        const auto found = groupsByKey.constFind(QByteArray::fromRawData(key.data(), key.size()));
        if (found != groupsByKey.cend())
          group = *found;
        else
          group = groupsByKey.insert(key.toByteArray(), tree_.GroupNode(RecordClass(*rs, groupColumn))).value();
      } else {
        group = tree_.GroupNode(RecordClass(*rs, groupColumn));
      }
      TreeNode* node = batch.Add(group, id, RecordNodeTextView(*rs), RecordNodeTag(*rs), rs->Rank());
      if (!node) continue;
      // Most records are unmarked: an empty mark needs no conversion.
      if (!rs->Utf8(markColumn).isEmpty()) {
        const QVariant mark = rs->Field(markColumn);
        bool marked = false;
        const qint64 color = mark.toString().trimmed().toLongLong(&marked);
        if (marked) tree_.Model()->SetBack(node, platform::ColorFromVb(color));
      }
      RecordLoaded(*node, *rs);
    }
    rs->Close();
    batch.Commit();
  }

  if (TreeNode* selected = NodeToSelect(strClass)) {
    SelectNode(selected);
    SetExpanded(selected, true);
    TreeView1_NodeClick(selected);
  }
  ShowRecordCount();
}

TreeNode* ListWindow::NodeToSelect(const QString& strClass) {
  if (!strClass.isEmpty()) return Node("c" + strClass);
  TreeNode* root = Root();
  return root && root->ChildCount() ? root->Child(0) : root;
}

void ListWindow::ResolveColumns(datastore::RowSet&) {}

QStringView ListWindow::RecordNodeTextView(datastore::RowSet& rs) {
  nodeText_ = RecordNodeText(rs);
  return nodeText_;
}

QString ListWindow::RecordNodeTag(datastore::RowSet&) { return QString(); }

void ListWindow::RecordLoaded(TreeNode&, datastore::RowSet&) {}

void ListWindow::RemoveChildNodes(TreeNode* node) { tree_.RemoveChildren(node); }

bool ListWindow::ClassNodeExists(const QString& strClass) const {
  const TreeNode* root = Root();
  if (!root || root->ChildCount() == 0) return false;
  const TreeNode* node = Node("c" + strClass);
  return node && node->Parent() == root;
}

void ListWindow::SetTitleCount(qint64 count) {
  recordCountTag_ = count;
  LabTitle->SetCaption(params_.titleText + "[" + QString::number(count) + "]");
}

void ListWindow::ShowRecordCount() { SetTitleCount(tree_.RecordCount()); }

// ---- search box, result list and history ------------------------------------------------------

void ListWindow::SetCombo1BackColor(const QColor& color) {
  if (color == combo1BackColor_ && Combo1->palette().color(QPalette::Base) == color) return;  // every search sets it
  combo1BackColor_ = color;
  QPalette pal = Combo1->palette();
  pal.setColor(QPalette::Base, color);
  Combo1->setPalette(pal);
  if (Combo1->lineEdit()) Combo1->lineEdit()->setPalette(pal);
}

void ListWindow::PlaceTree() {
  const int m50 = TwipsToPixels(50);
  const int top = ListView1->isHidden() ? Combo1->y() + Combo1->height() + m50
                                        : ListView1->y() + ListView1->height() + m50;
  TreeView1->setGeometry(m50, top, Combo1->width(), qMax(0, picFoot->y() - m50 - top));
}

void ListWindow::Combo1_KeyPress(int keyAscii) {
  if (!Root() || keyAscii != 13 || Combo1->currentText().isEmpty()) return;
  {
    RecordTree::Change change(tree_);
    results_->Clear();
  }
  if (Combo1->currentText() == kColorSearch)
    SearchByColor();
  else
    SearchByKeyword();
  if (ListView1->isHidden()) {
    ListView1->show();
    PlaceTree();
  }
  if (results_->rowCount() > 0) {
    AddSearchHistory(Combo1, Combo1->currentText());
    const QModelIndex first = results_->index(0);
    {
      RecordTree::Change change(tree_);
      ListView1->setCurrentIndex(first);
    }
    ListView1_ItemClick(first);
  }
}

void ListWindow::Combo1_Click() { Combo1_KeyPress(13); }

void ListWindow::Combo1_Change() {
  if (!ListView1->isHidden() && Combo1->currentText().isEmpty()) {
    ListView1->hide();
    PlaceTree();
  }
}

void ListWindow::Combo1_LostFocus() {
  if (!Combo1->currentText().isEmpty()) return;
  SetCombo1BackColor(platform::SystemWindowColor());
  Combo1->setEditText(kPlaceholder);
}

void ListWindow::AddResultItems(const std::vector<TreeNode*>& hits) {
  RecordTree::Change change(tree_);
  results_->Reset(hits, *tree_.Model());
}

void ListWindow::SearchByKeyword() {
  SetCombo1BackColor(platform::SystemWindowColor());
  const WordMatcher matcher(Combo1->currentText());
  AddResultItems(tree_.FindText(matcher));
}

void ListWindow::SearchByColor() {
  const std::optional<QColor> chosen = platform::ColorDialog(combo1BackColor_);
  if (!chosen) return;
  SetCombo1BackColor(*chosen);
  const qint64 color = platform::ColorToVb(*chosen);
  const TreeNode* root = Root();
  if (!root) return;
  const qint64 unmarked = platform::ColorToVb(NodeBackColor(root));
  AddResultItems(tree_.FindRecords([&](const TreeNode* node) {
    const qint64 back = platform::ColorToVb(NodeBackColor(node));
    return color == kWhite ? back == unmarked : back == color;
  }));
}

void ListWindow::ListView1_ItemClick(const QModelIndex& item) {
  const QModelIndex current = ListView1->currentIndex();
  if (!item.isValid() || !current.isValid()) return;
  if (TreeNode* node = Node(ResultKey(current.row()))) SelectNode(node);
}

void ListWindow::ListView1_DblClick() { TreeView1_DblClick(); }

void ListWindow::Form_Unload() {
  if (unloaded_) return;
  unloaded_ = true;
  SaveSearchHistory(Combo1, params_.historySection);
}

// ---- layout and keys --------------------------------------------------------------------------

void ListWindow::Form_Resize() {
  if (isMinimized() || window()->isMinimized()) return;
  const int m50 = TwipsToPixels(50);
  const int m100 = TwipsToPixels(100);
  PlaceBars(this, picTop, Combo1, picFoot);
  LabAllClose->move(picTop->width() - m100 - LabAllClose->width(), LabAllClose->y());
  LabAllOpen->move(LabAllClose->x() - m50 - LabAllOpen->width(), LabAllOpen->y());
  ListView1->setGeometry(m50, Combo1->y() + Combo1->height() + m50, Combo1->width(), TwipsToPixels(1485));
  PlaceTree();
  PlaceAd(LabAd, labHas);
}

bool ListWindow::Form_KeyDown(int keyCode, Qt::KeyboardModifiers shift) {
  if ((shift & ~Qt::KeypadModifier) != Qt::ControlModifier) return false;
  if (params_.fourthKey != 0 && keyCode == params_.fourthKey) {
    FourthButton_Click();
    return true;
  }
  switch (keyCode) {
  case Qt::Key_N: LabAdd_Click(); return true;
  case Qt::Key_M: LabModify_Click(); return true;
  case Qt::Key_D: LabDelete_Click(); return true;
  case Qt::Key_R: LoadTree(QString()); return true;
  case Qt::Key_H: labHas_Click(); return true;
  default: return false;
  }
}

bool ListWindow::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::KeyPress && type != QEvent::FocusOut) return false;
  auto* widget = qobject_cast<QWidget*>(watched);
  if (!widget || (widget != this && !isAncestorOf(widget))) return false;
  if (type == QEvent::FocusOut) {
    // Only a move to another control counts: a drop-down list or another program taking the
    // focus leaves the box as it is.
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (widget == Combo1 && reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason)
      Combo1_LostFocus();
    return false;
  }
  auto* key = static_cast<QKeyEvent*>(event);
  if (Form_KeyDown(key->key(), key->modifiers())) return true;
  if (IsSearchEnter(key, widget, Combo1)) {
    // Handled here, so the box's own Enter handling cannot run the search a second time.
    Combo1_KeyPress(13);
    return true;
  }
  return false;
}

void ListWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Form_Resize();
}

void ListWindow::closeEvent(QCloseEvent* event) {
  Form_Unload();
  event->accept();
}

// ---- commands ---------------------------------------------------------------------------------

void ListWindow::TreeView1_NodeClick(TreeNode* node) {
  const NodeKind kind = KindOf(node);
  if (kind == NodeKind::None) return;
  const Enabling& rule = kind == NodeKind::Root    ? params_.rootEnabling
                         : kind == NodeKind::Group ? params_.groupEnabling
                                                   : params_.recordEnabling;
  LabModify->setEnabled(rule.modify);
  LabDelete->setEnabled(rule.remove);
  labHas->setEnabled(rule.mark);
  if (FourthButton && rule.fourth) FourthButton->setEnabled(*rule.fourth);
}

void ListWindow::TreeView1_DblClick() {
  if (KindOf(CurrentNode()) == NodeKind::Record) RecordDoubleClick();
}

void ListWindow::RecordDoubleClick() { LabModify_Click(); }

void ListWindow::FourthButton_Click() {}

void ListWindow::LabAllOpen_Click() {
  TreeNode* root = Root();
  if (!root) return;
  SetExpanded(root, true);
  for (int i = 0; i < root->ChildCount(); ++i) SetExpanded(root->Child(i), true);
}

void ListWindow::LabAllClose_Click() {
  TreeNode* root = Root();
  if (!root) return;
  SetExpanded(root, true);
  for (int i = 0; i < root->ChildCount(); ++i) SetExpanded(root->Child(i), false);
}

void ListWindow::ExecModal(QDialog& dialog) {
  modStart::HideMainForm();
  dialog.exec();
  modStart::ShowMainForm();
}

void ListWindow::LabAdd_Click() {
  const std::unique_ptr<EditDialog> dialog = MakeDialog();
  dialog->setWindowTitle(params_.addCaption);
  ExecModal(*dialog);
  if (!dialog->SavedClass.isEmpty()) LoadTree(dialog->SavedClass);
}

void ListWindow::LabModify_Click() {
  TreeNode* node = CurrentNode();
  switch (KindOf(node)) {
  case NodeKind::Group:
    if (CanRenameGroup()) RenameGroup(node);
    break;
  case NodeKind::Record: ModifyRecord(node); break;
  default: break;
  }
}

void ListWindow::RenameGroup(TreeNode* node) {
  const QString oldName = node->Text();
  const QString newName = platform::InputBox("请您输入新的分类名称：", "修改分类", oldName);
  if (newName.isEmpty() || newName == oldName) return;
  if (!(modStart::objDate().*params_.family.ModifyClass)(newName, oldName)) return;
  if (ClassNodeExists(newName)) {
    LoadTree(QString());  // merged into an existing group
    return;
  }
  tree_.RenameGroup(node, newName);
}

void ListWindow::ModifyRecord(TreeNode* node) {
  const QString key = node->Key();
  const qint64 id = RecordId(node);
  datastore::RowSetPtr rs = (modStart::objDate().*params_.family.GetModify)(id);
  // A record deleted meanwhile has no row: nothing to modify.
  if (!rs || rs->State() != 1 || rs->Eof()) return;
  const std::unique_ptr<EditDialog> dialog = MakeDialog();
  dialog->setWindowTitle(params_.modifyCaption);
  dialog->Modify(id, *rs);
  rs->Close();
  ExecModal(*dialog);
  const QString saved = dialog->SavedClass;
  if (saved.isEmpty()) return;
  // The dialog may have moved the record to another group: drop it here, reload its new group.
  if (TreeNode* current = Node(key)) tree_.RemoveRecord(current);
  LoadTree(saved);
  if (TreeNode* again = Node(key)) SelectNode(again);
}

void ListWindow::LabDelete_Click() {
  TreeNode* node = CurrentNode();
  const NodeKind kind = KindOf(node);
  if (kind != NodeKind::Group && kind != NodeKind::Record) return;
  try {
    const auto ask = [&](const QString& tail) {
      return platform::MsgBox("确定要删除 " + OneLine(node->Text()) + tail, platform::MsgButtons::YesNo,
                              platform::MsgIcon::Question, "确认删除") == platform::MsgResult::Yes;
    };
    if (kind == NodeKind::Group) {
      if (!ask(params_.groupDeleteTail)) return;
      const QString group = node->Text();
      if (!(modStart::objDate().*params_.family.DeleteClass)(group)) return;
      if (!ListView1->isHidden() && results_->rowCount() > 0) {
        const QString prefix = group + " > ";
        RecordTree::Change change(tree_);
        results_->RemoveIf([&](int row) { return results_->Text(row).startsWith(prefix); });
      }
      tree_.Remove(node);
      ShowRecordCount();
      return;
    }
    if (!ask(params_.recordDeleteTail)) return;
    if (!(modStart::objDate().*params_.family.Delete)(RecordId(node))) return;
    if (!ListView1->isHidden()) {
      RecordTree::Change change(tree_);
      const qint64 id = node->Id();
      results_->RemoveIf([&](int row) { return results_->Id(row) == id; });
    }
    tree_.RemoveRecord(node);
    if (params_.recountAfterDelete)
      ShowRecordCount();
    else
      SetTitleCount(recordCountTag_ - 1);
  } catch (const std::exception& e) {
    platform::MsgBox("执行该操作时发生错误，" + QString::fromUtf8(e.what()), platform::MsgButtons::OK,
                     platform::MsgIcon::Critical, "发生错误");
  }
}

void ListWindow::labHas_Click() {
  TreeNode* node = CurrentNode();
  if (KindOf(node) != NodeKind::Record) return;
  const std::optional<QColor> chosen = platform::ColorDialog(NodeBackColor(node));
  if (!chosen) return;
  const qint64 color = platform::ColorToVb(*chosen);
  if (!(modStart::objDate().*params_.family.ModifyColor)(RecordId(node), QString::number(color))) return;
  tree_.Model()->SetBack(node, color == kWhite ? Root()->Back() : platform::ColorFromVb(color));
}

void ListWindow::LabAd_Click() { modStart::OpenWebPage(QString()); }

} // namespace listwindow
