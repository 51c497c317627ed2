#include "modules/listwindow/NodeModel.h"

#include "modules/listwindow/OneLine.h"

#include <QBrush>

namespace listwindow {

QString TreeNode::Key() const {
  switch (kind_) {
  case NodeKind::Root: return QStringLiteral("a0");
  case NodeKind::Group: return u'c' + text_;
  case NodeKind::Record: return u'_' + QString::number(id_);
  case NodeKind::None: break;
  }
  return QString();
}

TreeNode* TreeNode::Child(int row) const {
  return row >= 0 && row < ChildCount() ? children_[static_cast<size_t>(row)].get() : nullptr;
}

NodeModel::NodeModel(std::vector<QIcon> images, QObject* parent) : QAbstractItemModel(parent), images_(std::move(images)) {
  images_.resize(qMax<size_t>(images_.size(), 2));
}

NodeModel::~NodeModel() = default;

void NodeModel::Reset(NodePtr root) {
  beginResetModel();
  root_ = std::move(root);
  if (root_) {
    root_->parent_ = nullptr;
    root_->row_ = 0;
  }
  endResetModel();
}

void NodeModel::Append(TreeNode* parent, NodePtr child) {
  std::vector<NodePtr> children;
  children.push_back(std::move(child));
  Append(parent, std::move(children));
}

void NodeModel::Append(TreeNode* parent, std::vector<NodePtr>&& children) {
  if (children.empty()) return;
  const int first = parent->ChildCount();
  beginInsertRows(IndexOf(parent), first, first + static_cast<int>(children.size()) - 1);
  parent->children_.reserve(parent->children_.size() + children.size());
  int row = first;
  for (NodePtr& child : children) {
    child->parent_ = parent;
    child->row_ = row++;
    parent->children_.push_back(std::move(child));
  }
  endInsertRows();
}

void NodeModel::Remove(TreeNode* node) {
  TreeNode* parent = node->parent_;
  if (!parent) {
    Reset(nullptr);
    return;
  }
  const int row = node->row_;
  beginRemoveRows(IndexOf(parent), row, row);
  NodePtr gone = std::move(parent->children_[static_cast<size_t>(row)]);
  parent->children_.erase(parent->children_.begin() + row);
  for (int r = row; r < parent->ChildCount(); ++r) parent->children_[static_cast<size_t>(r)]->row_ = r;
  endRemoveRows();
}

void NodeModel::RemoveChildren(TreeNode* parent) {
  if (parent->children_.empty()) return;
  beginRemoveRows(IndexOf(parent), 0, parent->ChildCount() - 1);
  std::vector<NodePtr> gone;
  gone.swap(parent->children_);
  endRemoveRows();
}

void NodeModel::SetText(TreeNode* node, const QString& text) {
  node->text_ = text;
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
  if (!node->parent_ && node != root_.get()) return;  // not in the tree yet: no view shows it
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
  if (!parent.isValid()) return row == 0 && root_ ? createIndex(0, 0, root_.get()) : QModelIndex();
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
  case Qt::DisplayRole: return OneLine(node->text_);
  case Qt::DecorationRole: return Icon(node);
  case Qt::BackgroundRole: return node->hasBack_ ? QVariant(QBrush(node->Back())) : QVariant();
  default: return QVariant();
  }
}

Qt::ItemFlags NodeModel::flags(const QModelIndex& index) const {
  return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

} // namespace listwindow
