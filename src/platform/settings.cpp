#include "platform/settings.h"

#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <mutex>

namespace platform {

namespace {

std::mutex pathMutex;
QString customPath; // empty: the per-user default

QString DefaultPath() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
         QStringLiteral("/Almanor/Almanor.ini");
}

QString GroupKey(const QString& section, const QString& key) { return section + u'/' + key; }

} // namespace

QString SettingsFile() {
  std::lock_guard lock(pathMutex);
  return customPath.isEmpty() ? DefaultPath() : customPath;
}

void SetSettingsFile(const QString& path) {
  std::lock_guard lock(pathMutex);
  customPath = path;
}

QString GetSetting(const QString& section, const QString& key, const QString& defaultValue) {
  QSettings settings(SettingsFile(), QSettings::IniFormat);
  const QVariant value = settings.value(GroupKey(section, key));
  if (!value.isValid())
    return defaultValue;
  // A hand-edited value with unquoted commas reads back as a list; keep its text.
  if (value.metaType().id() == QMetaType::QStringList)
    return value.toStringList().join(u',');
  return value.toString();
}

bool HasSetting(const QString& section, const QString& key) {
  return QSettings(SettingsFile(), QSettings::IniFormat).contains(GroupKey(section, key));
}

void SaveSetting(const QString& section, const QString& key, const QString& value) {
  QSettings settings(SettingsFile(), QSettings::IniFormat);
  settings.setValue(GroupKey(section, key), value);
  settings.sync(); // another process (or a second instance) reads the file
}

void DeleteSetting(const QString& section, const QString& key) {
  QSettings settings(SettingsFile(), QSettings::IniFormat);
  settings.remove(GroupKey(section, key));
  settings.sync();
}

QString GetSetting(const TextSetting& setting) {
  return GetSetting(QLatin1String(setting.section), QLatin1String(setting.key), QString::fromUtf8(setting.defaultValue));
}

void SaveSetting(const TextSetting& setting, const QString& value) {
  SaveSetting(QLatin1String(setting.section), QLatin1String(setting.key), value);
}

bool GetSetting(const BoolSetting& setting) {
  return GetSetting(QLatin1String(setting.section), QLatin1String(setting.key),
                    setting.defaultValue ? QStringLiteral("True") : QStringLiteral("False")) == QLatin1String("True");
}

void SaveSetting(const BoolSetting& setting, bool value) {
  SaveSetting(QLatin1String(setting.section), QLatin1String(setting.key),
              value ? QStringLiteral("True") : QStringLiteral("False"));
}

} // namespace platform
