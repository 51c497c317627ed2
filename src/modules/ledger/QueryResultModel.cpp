#include "modules/ledger/QueryResultModel.h"

#include "modules/ledger/entrytext.h"
#include "modules/listwindow/OneLine.h"
#include "platform/vb.h"

namespace ledger {

namespace {

const char* const kKeys[QueryResultModel::ColumnCount] = {"moneysdate", "moneystype",   "moneystitle", "moneysshow",
                                                          "moneysunit", "moneyssprice", "moneyssum",   "moneyscontent"};
constexpr Qt::Alignment kAlignment[QueryResultModel::ColumnCount] = {
    Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignLeft,  Qt::AlignRight,
    Qt::AlignHCenter, Qt::AlignRight, Qt::AlignRight, Qt::AlignLeft};

// Where each column's value is kept: a text slot, or a number slot (-1 - slot).
constexpr int kSlot[QueryResultModel::ColumnCount] = {0, 1, 2, -1, 3, -2, -3, 4};

// What the run time says when a Null is made into text.
const QString kNullUse = QStringLiteral("无效使用 Null");

} // namespace

QString QueryResultModel::Key(int column) { return QString::fromLatin1(kKeys[column]); }

QueryResultModel::QueryResultModel(QObject* parent) : QAbstractTableModel(parent) {}

int QueryResultModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : int(rows_.size());
}

int QueryResultModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant QueryResultModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return QVariant();
  if (role == Qt::DisplayRole) return Cell(rows_[size_t(index.row())], index.column());
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(kAlignment[index.column()] | Qt::AlignVCenter);
  return QVariant();
}

QVariant QueryResultModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount) return QVariant();
  if (role == Qt::DisplayRole) return captions_[size_t(section)];
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(kAlignment[section] | Qt::AlignVCenter);
  return QVariant();
}

void QueryResultModel::SetCaption(int column, const QString& caption) {
  captions_[size_t(column)] = caption;
  emit headerDataChanged(Qt::Horizontal, column, column);
}

void QueryResultModel::Clear() {
  beginResetModel();
  rows_.clear();
  rows_.shrink_to_fit();
  text_.clear();
  text_.squeeze();
  endResetModel();
}

QString QueryResultModel::Fill(datastore::RowSet& rs) {
  QString failure;
  beginResetModel();
  try {
    for (; !rs.Eof(); rs.MoveNext()) {
      Row row;
      ReadRow(rs, row, failure);
      rows_.push_back(row);
    }
  } catch (const std::exception& e) {
    // A row set that cannot move on ends the list here.
    failure = QString::fromUtf8(e.what());
  }
  endResetModel();
  return failure;
}

void QueryResultModel::ReadRow(datastore::RowSet& rs, Row& row, QString& failure) {
  for (int column = 0; column < ColumnCount; ++column) {
    const int slot = kSlot[column];
    try {
      if (slot >= 0) {
        row.text[size_t(slot)] = text_.size();
        const QByteArrayView text = rs.Utf8(kKeys[column]);
        // An empty view is either an empty text or Null; only the rare empty one is looked at twice.
        if (text.isEmpty() && rs.Fields(kKeys[column]).isNull()) {
          row.nulls |= 1u << column;
          failure = kNullUse;
        }
        text_.append(text);
      } else {
        const QVariant value = rs.Fields(kKeys[column]);
        if (value.isNull()) {
          row.nulls |= 1u << column;
          failure = kNullUse;
        }
        row.number[size_t(-1 - slot)] = value.toDouble();
      }
    } catch (const std::exception& e) {
      row.nulls |= 1u << column;
      failure = QString::fromUtf8(e.what());
    }
    if (slot == kTexts - 1) row.text[kTexts] = text_.size();
  }
  try {
    row.id = rs.Fields("moneysid").toLongLong();
  } catch (const std::exception& e) {
    failure = QString::fromUtf8(e.what());
  }
}

QString QueryResultModel::Cell(const Row& row, int column) const {
  if (row.nulls & (1u << column)) return QString();
  const int slot = kSlot[column];
  if (slot < 0) return vb::Format(row.number[size_t(-1 - slot)], QStringLiteral("#0.00"));
  const QString text = FieldText(QByteArrayView(text_.constData() + row.text[size_t(slot)],
                                                 row.text[size_t(slot) + 1] - row.text[size_t(slot)]));
  if (column == Date) return vb::Format(QVariant(text), QStringLiteral("yyyy-mm-dd"));
  // A note of several lines shows on one.
  return listwindow::OneLine(text);
}

} // namespace ledger
