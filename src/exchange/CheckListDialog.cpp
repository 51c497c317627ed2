#include "exchange/CheckListDialog.h"

#include "modules/listwindow/WindowParts.h"
#include "modules/listwindow/modStart.h"
#include "platform/vbcolor.h"

#include <QAbstractListModel>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTreeView>
#include <algorithm>
#include <functional>

namespace exchange {

// The list's items: their texts held in one buffer, a place, key and tick bit each. A list of a
// million file lines stays a fraction of what an item object per line would take.
class CheckList : public QAbstractListModel {
public:
  using Line = CheckListDialog::Line;

  explicit CheckList(QObject* parent) : QAbstractListModel(parent) {}

  void Reset(const QString& text, std::vector<Line> lines) {
    beginResetModel();
    text_ = text;
    lines_ = std::move(lines);
    ticks_.assign(lines_.size(), false);
    endResetModel();
  }

  int rowCount(const QModelIndex& parent = QModelIndex()) const override {
    return parent.isValid() ? 0 : int(lines_.size());
  }

  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid()) return QVariant();
    if (role == Qt::DisplayRole) return View(index.row()).toString();
    if (role == Qt::CheckStateRole) return Ticked(index.row()) ? Qt::Checked : Qt::Unchecked;
    return QVariant();
  }

  bool setData(const QModelIndex& index, const QVariant& value, int role) override {
    if (!index.isValid() || role != Qt::CheckStateRole) return false;
    ticks_[size_t(index.row())] = value.value<Qt::CheckState>() == Qt::Checked;
    emit dataChanged(index, index, {Qt::CheckStateRole});
    return true;
  }

  Qt::ItemFlags flags(const QModelIndex& index) const override {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable | Qt::ItemNeverHasChildren;
  }

  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (section == 0 && orientation == Qt::Horizontal && role == Qt::DisplayRole) return QStringLiteral("标题");
    return QVariant();
  }

  QStringView View(int row) const {
    const Line& line = lines_[size_t(row)];
    return QStringView(text_).sliced(line.start, line.length);
  }
  qint64 KeyNumber(int row) const { return lines_[size_t(row)].index; }
  bool Ticked(int row) const { return ticks_[size_t(row)]; }

  // One change signal for the whole list, however many ticks change.
  void SetAllTicks(const std::function<bool(bool)>& next) {
    if (ticks_.empty()) return;
    for (size_t i = 0; i < ticks_.size(); ++i) ticks_[i] = next(ticks_[i]);
    emit dataChanged(index(0), index(rowCount() - 1), {Qt::CheckStateRole});
  }

private:
  QString text_;
  std::vector<Line> lines_;
  std::vector<bool> ticks_;
};

int CheckListDialog::Px(double twips) { return platform::TwipsToPixels(twips); }

CheckListDialog::CheckListDialog(const QString& objectName, double listTop, double listHeight, QWidget* parent)
    : QDialog(parent) {
  setObjectName(objectName);
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  setFixedSize(Px(7980), Px(5535));

  // A report list of one column, without headers, with a check box per item.
  list_ = new CheckList(this);
  ListView1 = new QTreeView(this);
  ListView1->setObjectName(QStringLiteral("ListView1"));
  ListView1->setModel(list_);
  ListView1->setGeometry(Px(180), Px(listTop), Px(7575), Px(listHeight));
  ListView1->header()->hide();
  ListView1->setColumnWidth(0, Px(8000));
  ListView1->setRootIsDecorated(false);
  ListView1->setItemsExpandable(false);
  ListView1->setUniformRowHeights(true);
  ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
  listwindow::KeepHighlightWhenInactive(ListView1);

  cmdSelectAll = MakeButton("cmdSelectAll", QStringLiteral("全选"), 210);
  cmdSelectNo = MakeButton("cmdSelectNo", QStringLiteral("全不选"), 1440);
  cmdSelectFan = MakeButton("cmdSelectFan", QStringLiteral("反选"), 2685);
  cmdOk = MakeButton("cmdOk", QStringLiteral("完成"), 5430);
  cmdCancel = MakeButton("cmdCancel", QStringLiteral("取消"), 6675);
  connect(cmdSelectAll, &QPushButton::clicked, this, &CheckListDialog::cmdSelectAll_Click);
  connect(cmdSelectNo, &QPushButton::clicked, this, &CheckListDialog::cmdSelectNo_Click);
  connect(cmdSelectFan, &QPushButton::clicked, this, &CheckListDialog::cmdSelectFan_Click);
  connect(cmdOk, &QPushButton::clicked, this, [this] { cmdOk_Click(); });
  connect(cmdCancel, &QPushButton::clicked, this, &CheckListDialog::cmdCancel_Click);

  if (QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
  modStart::SetTopMost(this, true);
}

QPushButton* CheckListDialog::MakeButton(const char* name, const QString& caption, double left) {
  auto* button = new QPushButton(caption, this);
  button->setObjectName(QLatin1String(name));
  button->setGeometry(Px(left), Px(4950), Px(1095), Px(375));
  // No default button: Enter in the list or the category box presses nothing.
  button->setAutoDefault(false);
  button->setDefault(false);
  return button;
}

QLabel* CheckListDialog::MakeLabel(const char* name, const QString& text, double left, double top, double width) {
  auto* label = new QLabel(text, this);
  label->setObjectName(QLatin1String(name));
  label->setGeometry(Px(left), Px(top), Px(width), std::max(Px(180), label->sizeHint().height()));
  return label;
}

void CheckListDialog::ClearList() { list_->Reset(QString(), {}); }

void CheckListDialog::FillList(const std::vector<qint64>& keys, const QStringList& texts) {
  QString text;
  std::vector<Line> lines;
  lines.reserve(keys.size());
  for (size_t i = 0; i < keys.size(); ++i) {
    const QString& item = texts[qsizetype(i)];
    lines.push_back({text.size(), item.size(), keys[i]});
    text += item;
  }
  list_->Reset(text, std::move(lines));
}

void CheckListDialog::FillList(const QString& text, std::vector<Line> lines) { list_->Reset(text, std::move(lines)); }

int CheckListDialog::ItemCount() const { return list_->rowCount(); }
QString CheckListDialog::ItemText(int row) const { return list_->View(row).toString(); }
QStringView CheckListDialog::ItemView(int row) const { return list_->View(row); }
QString CheckListDialog::Key(int row) const { return u'_' + QString::number(KeyNumber(row)); }
qint64 CheckListDialog::KeyNumber(int row) const { return list_->KeyNumber(row); }
bool CheckListDialog::IsTicked(int row) const { return list_->Ticked(row); }

std::vector<int> CheckListDialog::TickedRows() const {
  std::vector<int> ticked;
  for (int row = 0, n = ItemCount(); row < n; ++row)
    if (IsTicked(row)) ticked.push_back(row);
  return ticked;
}

void CheckListDialog::ToggleTick(int row) {
  list_->setData(list_->index(row), IsTicked(row) ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
}

void CheckListDialog::cmdSelectAll_Click() {
  list_->SetAllTicks([](bool) { return true; });
}

void CheckListDialog::cmdSelectNo_Click() {
  list_->SetAllTicks([](bool) { return false; });
}

void CheckListDialog::cmdSelectFan_Click() {
  list_->SetAllTicks([](bool ticked) { return !ticked; });
}

} // namespace exchange
