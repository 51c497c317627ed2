#pragma once
// What the export and import dialogs share: the fixed window, the list with a check box per item
// and its tick buttons, "完成" and "取消".

#include <QDialog>
#include <QString>
#include <QStringList>
#include <vector>

class QLabel;
class QPushButton;
class QTreeView;

namespace exchange {

class CheckList;

class CheckListDialog : public QDialog {
  Q_OBJECT
public:
  // An item's place in the list's text and its key number.
  struct Line {
    qsizetype start;
    qsizetype length;
    qint64 index;
  };

  QTreeView* ListView1 = nullptr;
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

  // The items by their row in list order; each has a key, "_" & a number (a record id or a line
  // index).
  int ItemCount() const;
  QString ItemText(int row) const;
  QString Key(int row) const;
  qint64 KeyNumber(int row) const;
  bool IsTicked(int row) const;
  std::vector<int> TickedRows() const;

protected:
  // The list sits at listTop (twips) and is listHeight high.
  CheckListDialog(const QString& objectName, double listTop, double listHeight, QWidget* parent);
  void ClearList();
  // Empties the list, then adds one unticked item per key number and text, in order.
  void FillList(const std::vector<qint64>& keys, const QStringList& texts);
  // The same for the lines of a file's text: one item per span of `text`, keyed "_" & its line
  // index.
  void FillList(const QString& text, std::vector<Line> lines);
  // An item's text without a copy, valid until the list changes.
  QStringView ItemView(int row) const;
  void ToggleTick(int row);

  static int Px(double twips);
  QPushButton* MakeButton(const char* name, const QString& caption, double left);
  // A label at its design place, as tall as its text needs.
  QLabel* MakeLabel(const char* name, const QString& text, double left, double top, double width);

private:
  CheckList* list_ = nullptr;
};

} // namespace exchange
