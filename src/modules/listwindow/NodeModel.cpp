#include "modules/listwindow/NodeModel.h"

#include "modules/listwindow/OneLine.h"

#include <QBrush>
#include <algorithm>
#include <charconv>
#include <new>

namespace listwindow {

namespace {

// The root and groups: few, renamed now and then, and the only nodes with children.
struct Branch : TreeNode {
  QString text;
  std::vector<TreeNode*> children;
  bool branches = false;  // a child is a branch: the root's groups
};

bool IsBranch(const TreeNode* node) { return node->Kind() != NodeKind::Record; }
Branch* AsBranch(TreeNode* node) { return static_cast<Branch*>(node); }
const Branch* AsBranch(const TreeNode* node) { return static_cast<const Branch*>(node); }

} // namespace

QString TreeNode::Key() const {
  switch (kind_) {
  case NodeKind::Root: return QStringLiteral("a0");
  case NodeKind::Group: return u'c' + AsBranch(this)->text;
  case NodeKind::Record: {
    // One allocation: a search makes one key per hit.
    char key[24] = {'_'};
    const auto end = std::to_chars(key + 1, key + sizeof key, id_).ptr;
    return QString::fromLatin1(key, end - key);
  }
  case NodeKind::None: break;
  }
  return QString();
}

QStringView TreeNode::BranchText() const { return AsBranch(this)->text; }

QString TreeNode::Tag() const {
  return IsBranch(this) ? QString() : QStringView(Inline() + textSize_, tagSize_).toString();
}

int TreeNode::ChildCount() const {
  return IsBranch(this) ? static_cast<int>(AsBranch(this)->children.size()) : 0;
}

TreeNode* TreeNode::Child(int row) const {
  return row >= 0 && row < ChildCount() ? AsBranch(this)->children[static_cast<size_t>(row)] : nullptr;
}

NodeModel::NodeModel(std::vector<QIcon> images, QObject* parent) : QAbstractItemModel(parent), images_(std::move(images)) {
  images_.resize(qMax<size_t>(images_.size(), 2));
  static_assert(alignof(TreeNode) <= NodePool::kAlign && sizeof(TreeNode) % alignof(char16_t) == 0);
}

NodeModel::~NodeModel() { Free(root_, false); }

TreeNode* NodeModel::NewBranch(NodeKind kind, const QString& text) {
  auto* node = new Branch{TreeNode(kind, 0), text, {}, false};
  return node;
}

TreeNode* NodeModel::NewRecord(qint64 id, QStringView text, QStringView tag) {
  TreeNode header(NodeKind::Record, id);
  header.textSize_ = static_cast<qint32>(text.size());
  header.tagSize_ = static_cast<qint32>(tag.size());
  auto* node = new (pool_.Allocate(header.Bytes())) TreeNode(header);
  std::copy(text.utf16(), text.utf16() + text.size(), node->Inline());
  std::copy(tag.utf16(), tag.utf16() + tag.size(), node->Inline() + text.size());
  return node;
}

void NodeModel::Discard(TreeNode* node) { Free(node); }

void NodeModel::Free(TreeNode* node, bool records) {
  if (!node) return;
  if (!IsBranch(node)) {
    if (records) pool_.Free(node, node->Bytes());
    return;
  }
  // Records left to a Clear are not even read: a million of them lie all over memory.
  if (records || AsBranch(node)->branches)
    for (TreeNode* child : AsBranch(node)->children) Free(child, records);
  delete AsBranch(node);
}

void NodeModel::Reset(TreeNode* root) {
  beginResetModel();
  // The records of the old tree go all at once, as the pool's blocks.
  Free(root_, false);
  pool_.Clear();
  root_ = root;
  if (root_) {
    root_->parent_ = nullptr;
    root_->row_ = 0;
  }
  endResetModel();
}

void NodeModel::Trim() { pool_.Release(); }

void NodeModel::Append(TreeNode* parent, std::vector<TreeNode*>&& children) {
  if (children.empty()) return;
  std::vector<TreeNode*>& list = AsBranch(parent)->children;
  const int first = static_cast<int>(list.size());
  beginInsertRows(IndexOf(parent), first, first + static_cast<int>(children.size()) - 1);
  int row = first;
  for (TreeNode* child : children) {
    child->parent_ = parent;
    child->row_ = row++;
    AsBranch(parent)->branches |= IsBranch(child);
  }
  if (list.empty())
    list = std::move(children);  // a group's first records: the batch's list becomes its own
  else
    list.insert(list.end(), children.begin(), children.end());
  endInsertRows();
}

void NodeModel::Remove(TreeNode* node) {
  TreeNode* parent = node->parent_;
  if (!parent) {
    Reset(nullptr);
    Trim();  // no tree comes after it
    return;
  }
  const int row = node->row_;
  std::vector<TreeNode*>& list = AsBranch(parent)->children;
  beginRemoveRows(IndexOf(parent), row, row);
  list.erase(list.begin() + row);
  for (size_t r = static_cast<size_t>(row); r < list.size(); ++r) list[r]->row_ = static_cast<int>(r);
  endRemoveRows();
  Free(node);
}

void NodeModel::RemoveChildren(TreeNode* parent) {
  if (parent->ChildCount() == 0) return;
  beginRemoveRows(IndexOf(parent), 0, parent->ChildCount() - 1);
  std::vector<TreeNode*> gone;
  gone.swap(AsBranch(parent)->children);
  endRemoveRows();
  for (TreeNode* child : gone) Free(child);
}

void NodeModel::SetText(TreeNode* node, const QString& text) {
  if (!IsBranch(node)) return;
  AsBranch(node)->text = text;
  Changed(node, Qt::DisplayRole);
}

void NodeModel::SetBack(TreeNode* node, const QColor& color) {
  node->hasBack_ = color.isValid();
  node->back_ = color.isValid() ? color.rgba() : 0;
  Changed(node, Qt::BackgroundRole);
}

void NodeModel::SetImage(TreeNode* node, int image) {
  node->image_ = static_cast<qint16>(image >= 0 && static_cast<size_t>(image) < images_.size() ? image : -1);
  Changed(node, Qt::DecorationRole);
}

const QIcon& NodeModel::Icon(const TreeNode* node) const { return images_[static_cast<size_t>(node->Image())]; }

void NodeModel::Changed(TreeNode* node, int role) {
  if (!node->parent_ && node != root_) return;  // not in the tree yet: no view shows it
  const QModelIndex index = IndexOf(node);
  emit dataChanged(index, index, {role});
}

QModelIndex NodeModel::IndexOf(const TreeNode* node) const {
  return node ? createIndex(node->row_, 0, const_cast<TreeNode*>(node)) : QModelIndex();
}

TreeNode* NodeModel::NodeAt(const QModelIndex& index) {
  return index.isValid() ? static_cast<TreeNode*>(index.internalPointer()) : nullptr;
}

QModelIndex NodeModel::index(int row, int column, const QModelIndex& parent) const {
  if (column != 0) return QModelIndex();
  if (!parent.isValid()) return row == 0 && root_ ? createIndex(0, 0, root_) : QModelIndex();
  const TreeNode* node = NodeAt(parent)->Child(row);
  return node ? createIndex(row, 0, const_cast<TreeNode*>(node)) : QModelIndex();
}

QModelIndex NodeModel::parent(const QModelIndex& child) const {
  const TreeNode* node = NodeAt(child);
  return node ? IndexOf(node->parent_) : QModelIndex();
}

int NodeModel::rowCount(const QModelIndex& parent) const {
  if (parent.column() > 0) return 0;
  if (!parent.isValid()) return root_ ? 1 : 0;
  return NodeAt(parent)->ChildCount();
}

int NodeModel::columnCount(const QModelIndex&) const { return 1; }

QVariant NodeModel::data(const QModelIndex& index, int role) const {
  const TreeNode* node = NodeAt(index);
  if (!node) return QVariant();
  switch (role) {
  // A node is one line high: line breaks of a record's text show as blanks.
  case Qt::DisplayRole: return OneLine(node->Text());
  case Qt::DecorationRole: return Icon(node);
  case Qt::BackgroundRole: return node->hasBack_ ? QVariant(QBrush(node->Back())) : QVariant();
  default: return QVariant();
  }
}

Qt::ItemFlags NodeModel::flags(const QModelIndex& index) const {
  return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

} // namespace listwindow
