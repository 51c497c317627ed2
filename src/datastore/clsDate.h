#pragma once
// The data-store object: the one connection, the configuration record, the input check and every
// table operation. Each operation reports its own failure in a critical box titled "发生错误" and
// returns its failure value (no row set, 0, false, "", or true for the duplicate checks); inside
// an import's Batch it leaves the box to the import.
// Record ids are 64-bit. Titles and categories compare, group and sort without regard to ASCII
// letter case, as Access does.

#include "datastore/clsSystem.h"
#include "datastore/connection.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <functional>

namespace datastore {

// A moment as the data set stores it: "yyyy-MM-dd hh:mm:ss"; empty for an invalid one.
QString Timestamp(const QDateTime& value);

// What the input check needs of a text box: its text and the focus.
class TextInput {
public:
  virtual ~TextInput() = default;
  virtual QString Text() const = 0;
  virtual void SetFocus() = 0;
};

// The ledger query window's query: entries whose day lies from startDate to endDate, whose amount
// lies from minSum to maxSum (all bounds included), whose title contains `title` and whose
// direction equals `type` (each only when not empty; letter case aside), ordered by one of the
// entry's fields.
struct MoneysQuery {
  QDate startDate;
  QDate endDate;
  double minSum = 0;
  double maxSum = 0;
  QString title;
  QString type;
  QString orderField = QStringLiteral("moneysdate");
  bool descending = false;
};

class clsDate {
public:
  clsDate() = default;

  Connection objConn;
  clsSystem objSystem;

  // Opens the data set at path, reads and stamps the configuration record. Shows the failure
  // ("打开数据账套时发生错误，" & description) and returns false when it cannot.
  bool OpenDataBase(const QString& path);
  void CloseDataBase();
  // Reads the configuration record into objSystem.
  bool GetSystemConfig();
  // A new, empty data set (all tables, one configuration row); false with a box when it fails.
  bool CreateDataBase(const QString& path);

  // The adds of one import run share one transaction: a large import is quick, and the run is
  // stored whole or not at all. While the batch is open an operation that fails shows no box: it
  // rolls the batch back, and Failure() says why, for the caller's own box.
  class Batch {
  public:
    // Begins the transaction; Started() is false when it cannot (the data set locked by another
    // program past the wait, for one), and Failure() says why.
    explicit Batch(clsDate& date);
    // Rolls back what has not been committed.
    ~Batch();
    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;
    bool Started() const { return started_; }
    // Stores the run; false, with none of it stored, when an operation failed or the commit fails.
    bool Commit();
    QString Failure() const;

  private:
    bool started_ = false;
  };

  bool IsCheckInputTrue(TextInput& objText, const QString& strCaption, bool blnNull = false,
                        bool blnNumeric = false, bool blnDate = false, bool blnSign = false);

  // Reference notes.
  RowSetPtr Notes_GetClass();
  RowSetPtr Notes_GetRecordSet(const QString& strClass = QString());
  // Every note as Notes_GetRecordSet("") gives them, but read in storage order, which is several
  // times quicker than the order's look-up per row: RowSet::Rank gives each row's place.
  RowSetPtr Notes_GetAllRecords();
  // The duplicate checks of titles and names ignore ASCII letter case; a modify passes the
  // record's own id as exceptId, so that the record is not its own duplicate.
  bool Notes_CheckTitle(const QString& strTitle, qint64 exceptId = 0);
  RowSetPtr Notes_ExpRecordSet(const QString& strID);
  qint64 Notes_Add(const QString& strTitle, const QString& strContent, const QString& strClass, const QString& strColor);
  qint64 Notes_Modify(qint64 intID, const QString& strTitle, const QString& strContent, const QString& strClass);
  bool Notes_ModifyClass(const QString& newClass, const QString& oldClass);
  bool Notes_ModifyColor(qint64 id, const QString& strColor);
  bool Notes_DeleteClass(const QString& strClass);
  bool Notes_Delete(qint64 intID);
  RowSetPtr Notes_GetModify(qint64 intID);

  // Income and expense ledger.
  RowSetPtr Moneys_GetClass();
  RowSetPtr Moneys_GetRecordSet(const QString& strDate = QString());
  // Every entry as Moneys_GetRecordSet("") gives them, read in storage order with each row's place
  // (RowSet::Rank): the date order's look-up per row reads the table's pages at random.
  RowSetPtr Moneys_GetAllRecords();
  RowSetPtr Moneys_ExpRecordSet(const QString& strID);
  qint64 Moneys_Add(const QString& moneysdate, const QString& moneystype, const QString& moneystitle,
                    const QString& moneyscontent, double moneyshow, const QString& moneysunit,
                    double moneysprice, double moneyssum, const QString& strColor);
  qint64 Moneys_Modify(qint64 intID, const QString& moneysdate, const QString& moneystype,
                       const QString& moneystitle, const QString& moneyscontent, double moneyshow,
                       const QString& moneysunit, double moneysprice, double moneyssum);
  bool Moneys_ModifyColor(qint64 id, const QString& strColor);
  bool Moneys_Delete(qint64 intID);
  bool Moneys_DeleteClass(const QString& strDate);
  RowSetPtr Moneys_GetModify(qint64 intID);
  // The ledger query window's rows, every value bound; an unknown order field is a failure.
  RowSetPtr Moneys_Query(const MoneysQuery& query);

  // Reminders.
  RowSetPtr Reminds_GetClass();
  RowSetPtr Reminds_GetRecordSet(const QString& strClass = QString());
  qint64 Reminds_Add(const QString& strTime, const QString& strTitle, const QString& strContent,
                     const QString& strFile, int intString2);
  qint64 Reminds_Modify(qint64 intID, const QString& strTime, const QString& strTitle,
                        const QString& strContent, const QString& strFile, int strString2);
  bool Reminds_ModifyColor(qint64 id, const QString& strColor);
  RowSetPtr Reminds_GetModify(qint64 intID);
  bool Reminds_Delete(qint64 intID);
  bool Reminds_DeleteClass(const QString& strDate);

  // File archive. Listings leave out the stored bytes; Files_GetModify reads them.
  RowSetPtr Files_GetClass();
  RowSetPtr Files_GetRecordSet(const QString& strClass = QString());
  bool Files_CheckFilesName(const QString& strTitle, qint64 exceptId = 0);
  qint64 Files_Add(const QString& filesclass, const QString& filesfrom, const QString& filesname,
                   const QString& filestype, double filessize, const QString& filesmemo);
  qint64 Files_Modify_Info(qint64 intID, const QString& filesclass, const QString& filesname,
                           const QString& filesmemo);
  qint64 Files_Modify_All(qint64 intID, const QString& filesclass, const QString& filesfrom,
                          const QString& filesname, const QString& filestype, double filessize,
                          const QString& filesmemo);
  bool Files_ModifyColor(qint64 id, const QString& strColor);
  bool Files_ModifyClass(const QString& newClass, const QString& oldClass);
  RowSetPtr Files_GetModify(qint64 intID);
  bool Files_Delete(qint64 intID);
  bool Files_DeleteClass(const QString& strClass);

  // Bookmarks.
  RowSetPtr Url_GetClass();
  RowSetPtr Url_GetRecordSet(const QString& strClass = QString());
  RowSetPtr Url_ExpRecordSet(const QString& strID);
  // exceptId: the bookmark being modified, which does not count as a namesake (0 for none).
  bool Url_CheckUrlText(const QString& strTitle, qint64 exceptId = 0);
  qint64 Url_Add(const QString& strTitle, const QString& strAddress, const QString& strContent,
                 const QString& strClass, const QString& strColor);
  qint64 Url_Modify(qint64 intID, const QString& strTitle, const QString& strAddress,
                    const QString& strContent, const QString& strClass);
  bool Url_ModifyColor(qint64 id, const QString& strColor);
  bool Url_ModifyClass(const QString& newClass, const QString& oldClass);
  RowSetPtr Url_GetModify(qint64 intID);
  bool Url_Delete(qint64 intID);
  bool Url_DeleteClass(const QString& strClass);

  // Contacts and work diary (export and import).
  RowSetPtr Card_GetClass();
  RowSetPtr Card_GetRecordSet(const QString& strClass = QString());
  RowSetPtr Card_ExpRecordSet(const QString& strID);
  qint64 Card_Add(const QString& cardclass, const QString& cardname, const QString& cardcompany,
                  const QString& cardjob, const QString& cardaddress, const QString& cardtel,
                  const QString& cardfax, const QString& cardhandset, const QString& cardemail,
                  const QString& cardurl, const QString& cardmemo, const QString& cardstring2,
                  const QString& cardstring3, const QString& strColor);
  bool Card_CheckCard(const QString& strTitle);
  RowSetPtr Diary_GetClass();
  RowSetPtr Diary_GetRecordSet(const QString& strMonth = QString());
  RowSetPtr Diary_ExpRecordSet(const QString& strID);
  qint64 Diary_Add(const QString& diarydate, const QString& diarytitle, const QString& diarycontent,
                   const QString& strColor);
  bool Diary_CheckDate(const QString& strDate);

  // Scratch pad.
  QString GetUserNote();
  bool UserNote_Modify(const QString& strContent);

private:
  // Reads the configuration row into objSystem; throws DbError when it cannot.
  void ReadSystemConfig();
};

} // namespace datastore
