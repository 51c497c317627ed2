#pragma once
// The rows of a ledger query as the query window lists them. A query may hand over a hundred
// thousand entries: each row keeps its texts once, as the UTF-8 the data set holds, and its numbers
// as numbers; a cell's text is made only when the cell is drawn.

#include "datastore/connection.h"

#include <QAbstractTableModel>
#include <QByteArray>
#include <QString>
#include <array>
#include <vector>

namespace ledger {

class QueryResultModel : public QAbstractTableModel {
public:
  // The list's columns, in order; each column's key is the entry field it shows.
  enum Column { Date, Type, Title, Show, Unit, Sprice, Sum, Content, ColumnCount };
  static QString Key(int column);

  explicit QueryResultModel(QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

  QString Caption(int column) const { return captions_[size_t(column)]; }
  void SetCaption(int column, const QString& caption);

  void Clear();
  // Appends every row of rs, in its order. A field that reads as Null leaves its cell empty and
  // the rest is still read; the result is the description of the last failure, "" when none.
  QString Fill(datastore::RowSet& rs);
  qint64 Id(int row) const { return rows_[size_t(row)].id; }

private:
  static constexpr int kTexts = 5;    // date, direction, title, unit, note
  static constexpr int kNumbers = 3;  // quantity, unit price, amount
  struct Row {
    qint64 id = 0;
    std::array<qsizetype, kTexts + 1> text{};  // where each text starts in text_; the last is the end
    std::array<double, kNumbers> number{};
    unsigned nulls = 0;  // one bit per column
  };
  void ReadRow(datastore::RowSet& rs, Row& row, QString& failure);
  QString Cell(const Row& row, int column) const;

  std::array<QString, ColumnCount> captions_;
  std::vector<Row> rows_;
  QByteArray text_;
};

} // namespace ledger
