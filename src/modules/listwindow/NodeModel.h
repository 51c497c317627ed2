#pragma once
// The tree of a list window (root "a0", groups "c" & group, records "_" & id) as light nodes under
// a small item model. A whole tree of 100,000 records is built and dropped in a few milliseconds,
// which per-item widgets cannot do, and a million records fit in a few hundred megabytes: a record
// node is one block of the model's pool holding its text and tag after its fields.

#include "modules/listwindow/NodePool.h"

#include <QAbstractItemModel>
#include <QColor>
#include <QIcon>
#include <QString>
#include <vector>

namespace listwindow {

enum class NodeKind : quint8 { None, Root, Group, Record };

class TreeNode {
public:
  NodeKind Kind() const { return kind_; }
  // "a0", "c" & the group text, "_" & the record id.
  QString Key() const;
  QStringView TextView() const { return kind_ == NodeKind::Record ? QStringView(Inline(), textSize_) : BranchText(); }
  QString Text() const { return TextView().toString(); }
  // What a module keeps with a record (a bookmark's address, an archived file's source).
  QString Tag() const;
  qint64 Id() const { return id_; }
  TreeNode* Parent() const { return parent_; }
  int Row() const { return row_; }
  int ChildCount() const;
  TreeNode* Child(int row) const;
  // The node's own background colour; invalid when it has none (the tree's default).
  QColor Back() const { return hasBack_ ? QColor::fromRgba(back_) : QColor(); }
  // The node's image in the model's list: by default the group image for the root and groups,
  // the record image for records.
  int Image() const { return image_ >= 0 ? image_ : kind_ == NodeKind::Record ? 1 : 0; }
  // A record's place in the order in which the records were added.
  quint32 Order() const { return order_; }

private:
  friend class NodeModel;
  friend class RecordTree;
  friend class TextScan;
  TreeNode(NodeKind kind, qint64 id) : id_(id), kind_(kind) {}
  QStringView BranchText() const;
  const char16_t* Inline() const { return reinterpret_cast<const char16_t*>(this + 1); }
  char16_t* Inline() { return reinterpret_cast<char16_t*>(this + 1); }
  size_t Bytes() const {
    const size_t bytes = sizeof(TreeNode) + sizeof(char16_t) * (size_t(textSize_) + size_t(tagSize_));
    return (bytes + NodePool::kAlign - 1) / NodePool::kAlign * NodePool::kAlign;
  }

  qint64 id_;
  TreeNode* parent_ = nullptr;
  qint32 textSize_ = 0;
  qint32 tagSize_ = 0;
  int row_ = 0;
  quint32 order_ = 0;
  QRgb back_ = 0;
  qint16 image_ = -1;
  NodeKind kind_;
  bool hasBack_ = false;
};

// Every change goes through here, so the view hears of it. Nodes made by the model and not yet
// added are the caller's to add or discard.
class NodeModel : public QAbstractItemModel {
  Q_OBJECT
public:
  // images[0] is the group image (root and groups), images[1] the record image; a record may
  // take any other of the list.
  NodeModel(std::vector<QIcon> images, QObject* parent = nullptr);
  ~NodeModel() override;

  TreeNode* NewBranch(NodeKind kind, const QString& text);
  TreeNode* NewRecord(qint64 id, QStringView text, QStringView tag);
  void Discard(TreeNode* node);

  TreeNode* Root() const { return root_; }
  // Replaces the whole tree (null: an empty one). Every record node goes with it; their memory is
  // kept for the next records until Trim.
  void Reset(TreeNode* root);
  void Trim();
  void Append(TreeNode* parent, std::vector<TreeNode*>&& children);
  void Remove(TreeNode* node);
  void RemoveChildren(TreeNode* parent);
  // Only the root and groups are renamed.
  void SetText(TreeNode* node, const QString& text);
  void SetBack(TreeNode* node, const QColor& color);
  void SetImage(TreeNode* node, int image);
  const QIcon& Icon(const TreeNode* node) const;
  // The memory of the record nodes as it lies (NodePool::ForEachSpan), while it holds them back to
  // back with no freed one among them; false otherwise (nothing visited).
  template <class Visit>
  bool ForEachRecordSpan(Visit visit) const {
    if (!pool_.Full()) return false;
    pool_.ForEachSpan(visit);
    return true;
  }

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
  // Frees the node and everything under it; with records false, the records are left to a Clear.
  void Free(TreeNode* node, bool records = true);

  std::vector<QIcon> images_;
  NodePool pool_;
  TreeNode* root_ = nullptr;
};

} // namespace listwindow
