#pragma once
// The rows of a list window's result list: per hit, its record's id, "group > record node text"
// and the node's image. A plain list model with every row's text in one buffer rather than widget
// items: a search with many hits makes and later drops one row a hit, and a widget item costs
// several allocations and a slower layout each.

#include <QAbstractListModel>
#include <QIcon>
#include <QTreeView>
#include <vector>

namespace listwindow {

class NodeModel;
class TreeNode;

class ResultModel : public QAbstractListModel {
public:
  explicit ResultModel(QString header, QObject* parent = nullptr)
      : QAbstractListModel(parent), header_(std::move(header)) {}

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  // The record id of a row, and its text.
  qint64 Id(int row) const { return rows_[size_t(row)].id; }
  QStringView Text(int row) const;
  // The rows of these record nodes of the tree, with the images it shows them with, in place of
  // the rows there were.
  void Reset(const std::vector<TreeNode*>& hits, const NodeModel& tree);
  void Clear();
  // Removes the rows for which drop(row) holds, keeping the others and the current row.
  template <class Drop>
  void RemoveIf(Drop drop) {
    for (int i = rowCount() - 1; i >= 0; --i) {
      if (!drop(i)) continue;
      beginRemoveRows(QModelIndex(), i, i);
      rows_.erase(rows_.begin() + i);
      endRemoveRows();
    }
  }

private:
  struct Row {
    qint64 id;
    qsizetype from;  // the text in texts_
    qsizetype length;
    QIcon icon;
  };
  QString header_;
  QString texts_;
  std::vector<Row> rows_;
};

// The result list's view: fitting its column to the contents (a double click on the header's
// edge) measures the rows' own texts, which the rows' one-line size leaves out.
class ResultView : public QTreeView {
public:
  using QTreeView::QTreeView;

protected:
  int sizeHintForColumn(int column) const override;
};

} // namespace listwindow
