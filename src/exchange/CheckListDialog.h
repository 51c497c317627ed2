#pragma once
// What the export and import dialogs share: the fixed window, the list with a check box per item
// and its tick buttons, "完成" and "取消".

#include <QDialog>
#include <QString>
#include <QStringList>
#include <vector>

class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace exchange {

class CheckListDialog : public QDialog {
  Q_OBJECT
public:
  QTreeWidget* ListView1 = nullptr;
  QPushButton* cmdSelectAll = nullptr;
  QPushButton* cmdSelectNo = nullptr;
  QPushButton* cmdSelectFan = nullptr;
  QPushButton* cmdOk = nullptr;
  QPushButton* cmdCancel = nullptr;

  void cmdSelectAll_Click();
  void cmdSelectNo_Click();
  void cmdSelectFan_Click();
  virtual void cmdOk_Click() = 0;
  void cmdCancel_Click() { reject(); }

  // The items in list order and their keys ("_" & id or line index).
  int ItemCount() const;
  QTreeWidgetItem* Item(int index) const;
  static QString Key(const QTreeWidgetItem* item);
  // The number after the key's "_".
  static qint64 KeyNumber(const QTreeWidgetItem* item);
  static bool IsTicked(const QTreeWidgetItem* item);
  std::vector<QTreeWidgetItem*> TickedItems() const;

protected:
  // The list sits at listTop (twips) and is listHeight high.
  CheckListDialog(const QString& objectName, double listTop, double listHeight, QWidget* parent);
  // Empties the list, then adds one unticked item per key and text, in order.
  void FillList(const QStringList& keys, const QStringList& texts);
  // The same for the lines of a file: one item per index in `rows`, its text lines[index] and its
  // key "_" & index.
  void FillList(const QStringList& lines, const std::vector<qsizetype>& rows);

  static int Px(double twips);
  QPushButton* MakeButton(const char* name, const QString& caption, double left);
  // A label at its design place, as tall as its text needs.
  QLabel* MakeLabel(const char* name, const QString& text, double left, double top, double width);
};

} // namespace exchange
