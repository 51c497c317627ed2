#pragma once
// The ledger query window: the entries of a date range and an amount range, optionally narrowed by
// a title text and a direction, in an eight-column list sorted by a click on a column heading. A
// top-level window of its own with one instance; it only reads.

#include "datastore/clsDate.h"

#include <QString>
#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace ledger {
class QueryResultModel;
}

class frmMoneysView : public QWidget {
  Q_OBJECT
public:
  // The one instance: made and loaded at its first showing, only activated while it is open.
  static frmMoneysView* ShowDefault();
  // The open instance, or null.
  static frmMoneysView* Default();

  ~frmMoneysView() override;

  QLabel* Label1 = nullptr;
  QLineEdit* txtStartDate = nullptr;
  QLabel* Label2 = nullptr;
  QLineEdit* txtEndDate = nullptr;
  QLabel* Label4 = nullptr;
  QLineEdit* txtTitle = nullptr;
  QLabel* Label5 = nullptr;
  QLineEdit* txtMinMoney = nullptr;
  QLabel* Label6 = nullptr;
  QLineEdit* txtMaxMoney = nullptr;
  QLabel* Label3 = nullptr;
  QLineEdit* txtType = nullptr;
  QPushButton* cmdQuery = nullptr;
  QTableView* ListView1 = nullptr;

  // The ordering of every query: "moneysdate" after load, then a column key & " asc" / " desc".
  QString strOrder() const;
  // The list's item keys ("_" & moneysid), in list order.
  QString ItemKey(int row) const;

  void cmdQuery_Click();
  void LoadQueryResult(const datastore::MoneysQuery& query);
  void ListView1_ColumnClick(int column);

protected:
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

private:
  frmMoneysView();
  void Form_Load();
  void Form_Resize();
  void Form_Unload();
  void InitColumns();
  void FormatMoneyBox(QLineEdit* txt);

  ledger::QueryResultModel* model_ = nullptr;
  QString orderKey_;
  bool orderDescending_ = false;
};
