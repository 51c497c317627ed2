#pragma once
// The per-user settings store: application "Almanor", section, key, text value, default on reading.

#include <QString>

namespace platform {

QString GetSetting(const QString& section, const QString& key, const QString& defaultValue = QString());
void SaveSetting(const QString& section, const QString& key, const QString& value);
void DeleteSetting(const QString& section, const QString& key);
// Whether the key is there at all (an empty value counts).
bool HasSetting(const QString& section, const QString& key);

// Where the settings live; by default the per-user config folder ("Almanor/Almanor.ini").
// Tests point it at a file in a temporary folder.
QString SettingsFile();
void SetSettingsFile(const QString& path);

} // namespace platform
