#pragma once
// The configuration record of the open data set (the one row of `configs`).

#include <QDateTime>
#include <QString>

namespace datastore {

class clsSystem {
public:
  QString UserName;
  QString UserPassword;
  bool NoLogin = true;       // start without the login dialog
  QDateTime StartDate;       // first use
  QDateTime EndDate;         // last use
  qint64 UseCount = 0;
  QString AppTitle = QStringLiteral("Almanor");
  QString WebUrl;            // the configuration's web address
  QString Email;

  // The program's home page, shown by every list window's help label: the help document
  // installed with the program.
  static QString AppUrl();
};

} // namespace datastore
