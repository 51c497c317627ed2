#include "modules/listwindow/RecordTree.h"

#include "modules/listwindow/WordMatcher.h"
#include "platform/vb.h"

#include <QStringList>
#include <limits>

namespace listwindow {

TreeNode* RecordTree::Node(const QString& key) const {
  TreeNode* node = nullptr;
  if (key.startsWith(u'a')) {
    node = Root();
  } else if (key.startsWith(u'c')) {
    return GroupNode(key.mid(1));  // whatever the letter case, as the data set compares
  } else if (key.startsWith(u'_')) {
    bool ok = false;
    const qint64 id = QStringView(key).mid(1).toLongLong(&ok);
    if (ok) node = recordIds_.Find(id);
  }
  // "_07" is not "_7".
  return node && node->Key() == key ? node : nullptr;
}

TreeNode* RecordTree::GroupNode(const QString& group) const {
  const auto it = groups_.find(vb::TextKey(group));
  return it == groups_.end() ? nullptr : it->second;
}

void RecordTree::Reset(const QString& rootText) {
  Change change(*this);
  // A reload is usually about as big as the tree it replaces.
  const size_t groups = groups_.size();
  const qsizetype records = recordIds_.Size();
  groups_.clear();
  groups_.reserve(groups);
  recordIds_.Clear(records);
  nextOrder_ = 0;
  model_->Reset(model_->NewBranch(NodeKind::Root, rootText));
}

void RecordTree::AddGroups(const QStringList& groups) {
  std::vector<TreeNode*> nodes;
  nodes.reserve(static_cast<size_t>(groups.size()));
  for (const QString& group : groups) {
    auto [it, added] = groups_.try_emplace(vb::TextKey(group), nullptr);
    if (!added) continue;  // one node per group, whatever the rows say
    nodes.push_back(model_->NewBranch(NodeKind::Group, group));
    it->second = nodes.back();
  }
  Change change(*this);
  model_->Append(Root(), std::move(nodes));
}

TreeNode* RecordTree::AddGroup(const QString& group) {
  if (TreeNode* existing = GroupNode(group)) return existing;
  AddGroups({group});
  return GroupNode(group);
}

void RecordTree::RenameGroup(TreeNode* group, const QString& newName) {
  if (const auto it = groups_.find(vb::TextKey(group->Text())); it != groups_.end() && it->second == group)
    groups_.erase(it);
  model_->SetText(group, newName);
  groups_.insert_or_assign(vb::TextKey(newName), group);
}

TreeNode* RecordTree::Batch::Add(TreeNode* parent, qint64 id, QStringView text, QStringView tag, qint64 rank) {
  if (!parent) return nullptr;  // a row whose group has no node cannot be placed
  TreeNode* node = nullptr;
  if (tree_.recordIds_.Insert(id, [&] { return node = tree_.model_->NewRecord(id, text, tag); })) return nullptr;
  constexpr quint32 kLast = std::numeric_limits<quint32>::max();
  if (rank >= 0 && !ranked_) {
    ranked_ = true;
    rankBase_ = tree_.nextOrder_;
  }
  // Orders that run out are given from 0 again. That ends the ranks: the rows after it stand
  // after the others, in the order they come.
  if (tree_.nextOrder_ == kLast) {
    std::vector<TreeNode*> pending;
    for (const auto& [group, nodes] : children_) pending.insert(pending.end(), nodes.begin(), nodes.end());
    tree_.Renumber(std::move(pending));
    rankBase_ = kLast;
  }
  if (rank >= 0 && quint64(rankBase_) + quint64(rank) >= kLast) rank = -1;
  node->order_ = rank >= 0 ? rankBase_ + quint32(rank) : tree_.nextOrder_;
  tree_.nextOrder_ = std::max(tree_.nextOrder_, node->order_ + 1);
  auto& children = children_[parent];
  if (children.empty()) order_.push_back(parent);
  children.push_back(node);
  return node;
}

void RecordTree::Batch::Commit() {
  if (order_.empty()) return;
  Change change(tree_);
  std::vector<std::pair<quint32, TreeNode*>> byOrder;
  for (TreeNode* parent : order_) {
    std::vector<TreeNode*>& children = children_[parent];
    if (ranked_) {
      // One group at a time, so the sort keys take little room beside a large tree.
      byOrder.clear();
      for (TreeNode* node : children) byOrder.emplace_back(node->order_, node);
      std::sort(byOrder.begin(), byOrder.end());
      for (size_t i = 0; i < children.size(); ++i) children[i] = byOrder[i].second;
    }
    tree_.model_->Append(parent, std::move(children));
    children_.erase(parent);  // freed group by group: the lists are as long as the tree
  }
  order_.clear();
}

void RecordTree::Renumber(std::vector<TreeNode*> pending) {
  std::vector<TreeNode*> all = FindRecords([](const TreeNode*) { return true; });
  all.insert(all.end(), pending.begin(), pending.end());
  std::sort(all.begin(), all.end(), [](const TreeNode* a, const TreeNode* b) { return a->Order() < b->Order(); });
  quint32 order = 0;
  for (TreeNode* node : all) node->order_ = order++;
  nextOrder_ = order;
}

void RecordTree::Forget(TreeNode* node) {
  for (int i = 0; i < node->ChildCount(); ++i) Forget(node->Child(i));
  // A key may have been taken over by a newer node; only this node's own entry goes.
  if (node->Kind() == NodeKind::Group) {
    const auto it = groups_.find(vb::TextKey(node->Text()));
    if (it != groups_.end() && it->second == node) groups_.erase(it);
  } else if (node->Kind() == NodeKind::Record) {
    recordIds_.Erase(node);
  }
}

void RecordTree::Remove(TreeNode* node) {
  Change change(*this);
  Forget(node);
  model_->Remove(node);
}

void RecordTree::RemoveRecord(TreeNode* node) {
  TreeNode* group = node->Parent();
  Remove(group && group->ChildCount() == 1 && group->Kind() == NodeKind::Group ? group : node);
}

void RecordTree::RemoveChildren(TreeNode* node) {
  if (!node || node->ChildCount() == 0) return;
  Change change(*this);
  for (int i = 0; i < node->ChildCount(); ++i) Forget(node->Child(i));
  model_->RemoveChildren(node);
}

#if defined(__SSE2__)
// The texts of record nodes lying back to back in the pool's memory (none freed among them),
// scanned as one stretch of units (headers are a whole number of units, so each text starts on
// one): a candidate place is taken only when it lies within a text of a node in the tree, and the
// nodes are stepped over only up to a candidate.
class TextScan {
public:
  // hits: each with its order, read while the node is at hand.
  TextScan(const WordMatcher& matcher, std::vector<std::pair<quint32, TreeNode*>>& hits) : matcher_(matcher), hits_(hits) {}

  void Span(const std::byte* begin, size_t bytes) {
    matcher_.StepFilter().Dispatch([&]<int F, int L>() { Span<F, L>(begin, bytes); });
  }

private:
  template <int FirstOthers, int LastOthers>
  void Span(const std::byte* begin, size_t bytes) {
    const auto* const s = reinterpret_cast<const char16_t*>(begin);
    const qsizetype n = matcher_.Size();
    const qsizetype last = qsizetype(bytes / sizeof(char16_t)) - n;  // the last place the word can start
    const WordMatcher::Filter filter = matcher_.StepFilter();
    const std::byte* node = begin;  // the node the scan is in, or one before it
    qsizetype p = 0;
    // Whether the word is at `at`, within a text; a hit takes its node, and the scan goes on after it.
    const auto hit = [&](qsizetype at) {
      const auto* const place = reinterpret_cast<const std::byte*>(s + at);
      while (node + NodeAt(node)->Bytes() <= place) node += NodeAt(node)->Bytes();
      const TreeNode* const record = NodeAt(node);
      const char16_t* const text = record->Inline();
      if (s + at < text || s + at + n > text + record->textSize_ || !record->Parent() || !matcher_.RestMatches(s + at))
        return false;
      hits_.emplace_back(record->Order(), const_cast<TreeNode*>(record));
      node += record->Bytes();
      p = (node - begin) / qsizetype(sizeof(char16_t));
      return true;
    };
    const auto candidates = [&](qsizetype at) { return filter.Candidates<FirstOthers, LastOthers>(s, at); };
    while (p + 8 <= last + 1) {
      // Sixteen places a step while none is a candidate: most of the memory.
      while (p + 16 <= last + 1 && (candidates(p) | candidates(p + 8)) == 0) p += 16;
      if (p + 8 > last + 1) break;
      const qsizetype block = p;
      for (unsigned mask = candidates(block); mask; mask &= mask - 1) {
        mask &= mask - 1;  // two bits a place
        if (hit(block + __builtin_ctz(mask) / 2)) break;
      }
      if (p == block) p += 8;
    }
    while (p <= last) {
      const qsizetype at = p;
      if (matcher_.Matches(QStringView(s + at, n)) && hit(at)) continue;  // p is past the node now
      p = at + 1;
    }
  }

  static const TreeNode* NodeAt(const std::byte* at) { return reinterpret_cast<const TreeNode*>(at); }

  const WordMatcher& matcher_;
  std::vector<std::pair<quint32, TreeNode*>>& hits_;
};
#endif

std::vector<TreeNode*> RecordTree::FindText(const WordMatcher& matcher) const {
#if defined(__SSE2__)
  std::vector<std::pair<quint32, TreeNode*>> found;
  TextScan scan(matcher, found);
  if (matcher.Steps() &&
      model_->ForEachRecordSpan([&](const std::byte* begin, size_t bytes) { scan.Span(begin, bytes); })) {
    // By the orders kept beside them: the nodes themselves lie all over memory.
    std::sort(found.begin(), found.end());
    std::vector<TreeNode*> hits;
    hits.reserve(found.size());
    for (const auto& [order, node] : found) hits.push_back(node);
    return hits;
  }
#endif
  return FindRecords([&](const TreeNode* node) { return matcher.Matches(node->TextView()); });
}

} // namespace listwindow
