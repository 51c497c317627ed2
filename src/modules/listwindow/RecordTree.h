#pragma once
// The tree of a list window with its indexes: groups by text, records by id. Records keep the
// order in which they were added, the order of searching. Every change goes through here, so the
// indexes always match the nodes.

#include "modules/listwindow/IdIndex.h"
#include "modules/listwindow/NodeModel.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace listwindow {

class WordMatcher;

class RecordTree {
public:
  explicit RecordTree(NodeModel* model) : model_(model) {}

  NodeModel* Model() const { return model_; }
  TreeNode* Root() const { return model_->Root(); }
  // The node with this key ("a0", "c" & group, "_" & id). Groups are found whatever the letter
  // case, as the data set groups them; otherwise only the exact key finds a node.
  TreeNode* Node(const QString& key) const;
  TreeNode* GroupNode(const QString& group) const;
  qint64 RecordCount() const { return recordIds_.Size(); }

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

  // Record nodes of one load, inserted in one go per group when committed (at the latest when
  // the batch ends).
  class Batch {
  public:
    explicit Batch(RecordTree& tree) : tree_(tree) {}
    ~Batch() { Commit(); }
    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;
    // A new record node under the group, or null when the group has no node or the record is
    // shown already. The node can be changed until the commit. Nodes stand in the order they are
    // added, unless rows come in another order than the load's: then each comes with its rank,
    // its place (from 0) in the load's order, and the commit places it by that. The rows of one
    // batch come all with ranks or all without.
    TreeNode* Add(TreeNode* group, qint64 id, QStringView text, QStringView tag = {}, qint64 rank = -1);
    void Commit();

  private:
    RecordTree& tree_;
    std::unordered_map<TreeNode*, std::vector<TreeNode*>> children_;
    std::vector<TreeNode*> order_;
    bool ranked_ = false;
    quint32 rankBase_ = 0;
  };

  void Remove(TreeNode* node);
  // Removes a record node, and its group with it when that was the group's last record.
  void RemoveRecord(TreeNode* node);
  void RemoveChildren(TreeNode* node);

  // The records that match, in the order in which they were added.
  template <class Match>
  std::vector<TreeNode*> FindRecords(Match match) const {
    std::vector<TreeNode*> hits;
    // By id, not by the tree: a load makes the nodes in id order, so this reads their memory in
    // sequence. Nodes of a batch not yet committed have no parent and are not in the tree yet.
    recordIds_.ForEach([&](TreeNode* node) {
      if (node->Parent() && match(node)) hits.push_back(node);
    });
    std::sort(hits.begin(), hits.end(), [](const TreeNode* a, const TreeNode* b) { return a->Order() < b->Order(); });
    return hits;
  }

  // The records whose text holds the word as the matcher finds it, in the order they were added.
  // Their memory is read as it lies, the word's first and last units looked for all along it, so
  // that a record costs next to nothing unless its text has them.
  std::vector<TreeNode*> FindText(const WordMatcher& matcher) const;

private:
  void Forget(TreeNode* node);
  // Orders from 0 again once they run out; records of a batch not yet committed come last.
  void Renumber(std::vector<TreeNode*> pending);

  // Qt's string hash is slow for the one group look-up per loaded record; a byte hash will do.
  struct TextHash {
    size_t operator()(const QString& text) const noexcept {
      return std::hash<std::u16string_view>()(std::u16string_view(QStringView(text).utf16(), size_t(text.size())));
    }
  };

  NodeModel* model_;
  std::unordered_map<QString, TreeNode*, TextHash> groups_;  // by vb::TextKey of the group text
  IdIndex recordIds_;
  quint32 nextOrder_ = 0;
  int changing_ = 0;
};

} // namespace listwindow
