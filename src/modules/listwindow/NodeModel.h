#pragma once
// The tree of a list window (root "a0", groups "c" & group, records "_" & id) as light nodes under
// a small item model. A whole tree of 100,000 records is built and dropped in a few milliseconds,
// which per-item widgets cannot do.

#include <QAbstractItemModel>
#include <QColor>
#include <QIcon>
#include <QString>
#include <memory>
#include <vector>

namespace listwindow {

enum class NodeKind : quint8 { None, Root, Group, Record };

class TreeNode {
public:
  TreeNode(NodeKind kind, QString text, qint64 id = 0) : text_(std::move(text)), id_(id), kind_(kind) {}

  NodeKind Kind() const { return kind_; }
  // "a0", "c" & the group text, "_" & the record id.
  QString Key() const;
  const QString& Text() const { return text_; }
  qint64 Id() const { return id_; }
  TreeNode* Parent() const { return parent_; }
  int Row() const { return row_; }
  int ChildCount() const { return static_cast<int>(children_.size()); }
  TreeNode* Child(int row) const;
  // The node's own background colour; invalid when it has none (the tree's default).
  QColor Back() const { return hasBack_ ? QColor::fromRgba(back_) : QColor(); }
  // The node's image in the model's list: by default the group image for the root and groups,
  // the record image for records.
  int Image() const { return image_ >= 0 ? image_ : kind_ == NodeKind::Record ? 1 : 0; }

  QString Tag;

private:
  friend class NodeModel;
  // Small members packed last: a window holds one node per record, a million of them at most.
  QString text_;
  std::vector<std::unique_ptr<TreeNode>> children_;
  qint64 id_;
  TreeNode* parent_ = nullptr;
  int row_ = 0;
  QRgb back_ = 0;

public:
  int Index = -1;  // place in the window's insertion-ordered record index

private:
  qint16 image_ = -1;
  NodeKind kind_;
  bool hasBack_ = false;
};

using NodePtr = std::unique_ptr<TreeNode>;

// Every change goes through here, so the view hears of it.
class NodeModel : public QAbstractItemModel {
  Q_OBJECT
public:
  // images[0] is the group image (root and groups), images[1] the record image; a record may
  // take any other of the list.
  NodeModel(std::vector<QIcon> images, QObject* parent = nullptr);
  ~NodeModel() override;

  TreeNode* Root() const { return root_.get(); }
  // Replaces the whole tree (null: an empty one).
  void Reset(NodePtr root);
  void Append(TreeNode* parent, NodePtr child);
  void Append(TreeNode* parent, std::vector<NodePtr>&& children);
  void Remove(TreeNode* node);
  void RemoveChildren(TreeNode* parent);
  void SetText(TreeNode* node, const QString& text);
  void SetBack(TreeNode* node, const QColor& color);
  void SetImage(TreeNode* node, int image);
  const QIcon& Icon(const TreeNode* node) const;

  QModelIndex IndexOf(const TreeNode* node) const;
  static TreeNode* NodeAt(const QModelIndex& index);

  QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
  void Changed(TreeNode* node, int role);

  std::vector<QIcon> images_;
  NodePtr root_;
};

} // namespace listwindow
