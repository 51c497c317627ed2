#include "modules/listwindow/ResultList.h"

#include "modules/listwindow/NodeModel.h"
#include "modules/listwindow/OneLine.h"

#include <algorithm>

namespace listwindow {

int ResultModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(rows_.size()); }

QStringView ResultModel::Text(int row) const {
  const Row& r = rows_[size_t(row)];
  return QStringView(texts_).sliced(r.from, r.length);
}

QVariant ResultModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.column() != 0 || index.row() >= rowCount()) return QVariant();
  if (role == Qt::DisplayRole) return Text(index.row()).toString();
  if (role == Qt::DecorationRole) return rows_[size_t(index.row())].icon;
  return QVariant();
}

QVariant ResultModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (section != 0 || orientation != Qt::Horizontal) return QVariant();
  if (role == Qt::DisplayRole) return header_;
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
  return QVariant();
}

Qt::ItemFlags ResultModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

void ResultModel::Reset(const std::vector<TreeNode*>& hits, const NodeModel& tree) {
  beginResetModel();
  rows_.clear();
  rows_.reserve(hits.size());
  qsizetype size = 0;
  for (size_t i = 0; i < hits.size(); ++i) {
    // The nodes lie all over memory: fetched a few ahead.
    if (i + 4 < hits.size()) __builtin_prefetch(hits[i + 4]);
    const TreeNode* node = hits[i];
    size += (node->Parent() ? node->Parent()->TextView().size() : 0) + 3 + node->TextView().size();
  }
  texts_.clear();
  texts_.reserve(size);
  for (const TreeNode* node : hits) {
    // Each row reads "group > record node text" and has the node's image, as the tree shows it.
    const qsizetype from = texts_.size();
    if (node->Parent()) texts_.append(node->Parent()->TextView());
    texts_.append(u" > ").append(node->TextView());
    rows_.push_back({node->Id(), from, texts_.size() - from, tree.Icon(node)});
  }
  endResetModel();
}

void ResultModel::Clear() {
  beginResetModel();
  rows_.clear();
  texts_.clear();
  endResetModel();
}

int ResultView::sizeHintForColumn(int column) const {
  const auto* lines = dynamic_cast<const OneLineGridDelegate*>(itemDelegate());
  if (!lines) return QTreeView::sizeHintForColumn(column);
  // The rows in sight, as the tree view measures them.
  QStyleOptionViewItem option;
  initViewItemOption(&option);
  int width = -1;
  for (QModelIndex row = indexAt(QPoint(0, 0)); row.isValid(); row = indexBelow(row)) {
    if (visualRect(row).top() > viewport()->height()) break;
    width = std::max(width, lines->TextSizeHint(option, row.siblingAtColumn(column)).width());
  }
  return width;
}

} // namespace listwindow
