#include "exchange/CheckListDialog.h"

#include "modules/listwindow/WindowParts.h"
#include "modules/listwindow/modStart.h"
#include "platform/vbcolor.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <algorithm>
#include <functional>

namespace exchange {

namespace {

constexpr int kKeyRole = Qt::UserRole;

// One change signal for the whole list: the view finds each item's row by a search of its own,
// so a signal per item makes ticking a long list quadratic.
void SetAllTicks(QTreeWidget* list, const std::function<Qt::CheckState(Qt::CheckState)>& next) {
  const int n = list->topLevelItemCount();
  if (n == 0) return;
  QAbstractItemModel* model = list->model();
  {
    const QSignalBlocker quiet(model);
    for (int i = 0; i < n; ++i) {
      QTreeWidgetItem* item = list->topLevelItem(i);
      item->setCheckState(0, next(item->checkState(0)));
    }
  }
  emit model->dataChanged(model->index(0, 0), model->index(n - 1, 0), {Qt::CheckStateRole});
}

} // namespace

int CheckListDialog::Px(double twips) { return platform::TwipsToPixels(twips); }

CheckListDialog::CheckListDialog(const QString& objectName, double listTop, double listHeight, QWidget* parent)
    : QDialog(parent) {
  setObjectName(objectName);
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  setFixedSize(Px(7980), Px(5535));

  // A report list of one column, without headers, with a check box per item.
  ListView1 = new QTreeWidget(this);
  ListView1->setObjectName(QStringLiteral("ListView1"));
  ListView1->setGeometry(Px(180), Px(listTop), Px(7575), Px(listHeight));
  ListView1->setColumnCount(1);
  ListView1->setHeaderLabels({QStringLiteral("标题")});
  ListView1->header()->hide();
  ListView1->setColumnWidth(0, Px(8000));
  ListView1->setRootIsDecorated(false);
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
  return button;
}

QLabel* CheckListDialog::MakeLabel(const char* name, const QString& text, double left, double top, double width) {
  auto* label = new QLabel(text, this);
  label->setObjectName(QLatin1String(name));
  label->setGeometry(Px(left), Px(top), Px(width), std::max(Px(180), label->sizeHint().height()));
  return label;
}

namespace {

// Unticked items made as copies of one blank item: a copy shares the blank's roles until it sets
// its own, so a long list needs fewer allocations.
class ItemMaker {
public:
  ItemMaker() {
    blank_.setData(0, Qt::DisplayRole, QString());
    blank_.setData(0, kKeyRole, QString());
    blank_.setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    blank_.setCheckState(0, Qt::Unchecked);
  }
  // The key is kept as given: a text, or a number for "_" & number.
  QTreeWidgetItem* Make(const QString& text, const QVariant& key) const {
    auto* item = new QTreeWidgetItem(blank_);
    item->setText(0, text);
    item->setData(0, kKeyRole, key);
    return item;
  }

private:
  QTreeWidgetItem blank_;
};

} // namespace

void CheckListDialog::FillList(const QStringList& keys, const QStringList& texts) {
  ListView1->clear();
  const ItemMaker maker;
  QList<QTreeWidgetItem*> items;
  items.reserve(keys.size());
  for (qsizetype i = 0; i < keys.size(); ++i) items << maker.Make(texts[i], keys[i]);
  ListView1->addTopLevelItems(items);
}

void CheckListDialog::FillList(const QStringList& lines, const std::vector<qsizetype>& rows) {
  ListView1->clear();
  const ItemMaker maker;
  QList<QTreeWidgetItem*> items;
  items.reserve(qsizetype(rows.size()));
  for (const qsizetype row : rows) items << maker.Make(lines[row], QVariant(qlonglong(row)));
  ListView1->addTopLevelItems(items);
}

int CheckListDialog::ItemCount() const { return ListView1->topLevelItemCount(); }
QTreeWidgetItem* CheckListDialog::Item(int index) const { return ListView1->topLevelItem(index); }
QString CheckListDialog::Key(const QTreeWidgetItem* item) {
  const QVariant key = item->data(0, kKeyRole);
  return key.typeId() == QMetaType::LongLong ? u'_' + QString::number(key.toLongLong()) : key.toString();
}

qint64 CheckListDialog::KeyNumber(const QTreeWidgetItem* item) {
  const QVariant key = item->data(0, kKeyRole);
  return key.typeId() == QMetaType::LongLong ? key.toLongLong() : key.toString().mid(1).toLongLong();
}
bool CheckListDialog::IsTicked(const QTreeWidgetItem* item) { return item->checkState(0) == Qt::Checked; }

std::vector<QTreeWidgetItem*> CheckListDialog::TickedItems() const {
  std::vector<QTreeWidgetItem*> ticked;
  for (int i = 0, n = ItemCount(); i < n; ++i)
    if (IsTicked(Item(i))) ticked.push_back(Item(i));
  return ticked;
}

void CheckListDialog::cmdSelectAll_Click() {
  SetAllTicks(ListView1, [](Qt::CheckState) { return Qt::Checked; });
}

void CheckListDialog::cmdSelectNo_Click() {
  SetAllTicks(ListView1, [](Qt::CheckState) { return Qt::Unchecked; });
}

void CheckListDialog::cmdSelectFan_Click() {
  SetAllTicks(ListView1, [](Qt::CheckState s) { return s == Qt::Checked ? Qt::Unchecked : Qt::Checked; });
}

} // namespace exchange
