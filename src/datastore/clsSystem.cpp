#include "datastore/clsSystem.h"

#include <QCoreApplication>
#include <QUrl>

namespace datastore {

QString clsSystem::AppUrl() {
  return QUrl::fromLocalFile(QCoreApplication::applicationDirPath() + QStringLiteral("/help.html")).toString();
}

} // namespace datastore
