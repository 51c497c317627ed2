#pragma once
// The tree of a list window with its indexes: groups by text, records by id, and the records in
// the order in which they were added, which is the order of counting and searching. Every change
// goes through here, so the indexes always match the nodes.

#include "modules/listwindow/NodeModel.h"

#include <QHash>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace listwindow {

class RecordTree {
public:
  explicit RecordTree(NodeModel* model) : model_(model) {}

  NodeModel* Model() const { return model_; }
  TreeNode* Root() const { return model_->Root(); }
  // The node with this key ("a0", "c" & group, "_" & id). Groups are found whatever the letter
  // case, as the data set groups them; otherwise only the exact key finds a node.
  TreeNode* Node(const QString& key) const;
  TreeNode* GroupNode(const QString& group) const;
  qint64 RecordCount() const { return static_cast<qint64>(records_.size()) - removed_; }

  // While a change runs, the view's selection signals are the tree's, not the user's.
  bool Changing() const { return changing_ > 0; }
  class Change {
  public:
    explicit Change(RecordTree& tree) : depth_(tree.changing_) { ++depth_; }
    ~Change() { --depth_; }
    Change(const Change&) = delete;
    Change& operator=(const Change&) = delete;

  private:
    int& depth_;
  };

  // Replaces the whole tree by a root alone.
  void Reset(const QString& rootText);
  // Adds group nodes as the last children of the root; a group already there is not added twice.
  void AddGroups(const QStringList& groups);
  TreeNode* AddGroup(const QString& group);
  // The key follows the text: the group is found under its new name only.
  void RenameGroup(TreeNode* group, const QString& newName);

  // Record nodes of one load, inserted in one go per group when committed.
  class Batch {
  public:
    explicit Batch(RecordTree& tree) : tree_(tree) {}
    // A new record node under the group, or null when the group has no node or the record is
    // shown already. The node can be changed until the commit.
    TreeNode* Add(TreeNode* group, qint64 id, QString text);
    void Commit();

  private:
    RecordTree& tree_;
    std::unordered_map<TreeNode*, std::vector<NodePtr>> children_;
    std::vector<TreeNode*> order_;
  };

  void Remove(TreeNode* node);
  // Removes a record node, and its group with it when that was the group's last record.
  void RemoveRecord(TreeNode* node);
  void RemoveChildren(TreeNode* node);

  // Record nodes in index order.
  template <class Visit>
  void ForEachRecord(Visit visit) const {
    for (TreeNode* node : records_)
      if (node) visit(node);
  }

private:
  void Forget(TreeNode* node);
  void CompactIndex();

  // Qt's string hash is slow for the one group look-up per loaded record; a byte hash will do.
  struct TextHash {
    size_t operator()(const QString& text) const noexcept {
      return std::hash<std::u16string_view>()(std::u16string_view(QStringView(text).utf16(), size_t(text.size())));
    }
  };

  NodeModel* model_;
  std::unordered_map<QString, TreeNode*, TextHash> groups_;  // by vb::TextKey of the group text
  QHash<qint64, TreeNode*> recordIds_;
  std::vector<TreeNode*> records_;  // null where removed
  qint64 removed_ = 0;
  int changing_ = 0;
};

} // namespace listwindow
