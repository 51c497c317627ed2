#pragma once
// The per-user settings store: application "Almanor", section, key, text value, default on reading.

#include <QString>

namespace platform {

QString GetSetting(const QString& section, const QString& key, const QString& defaultValue = QString());
void SaveSetting(const QString& section, const QString& key, const QString& value);
void DeleteSetting(const QString& section, const QString& key);
// Whether the key is there at all (an empty value counts).
bool HasSetting(const QString& section, const QString& key);

// A setting declared once with its section, key and the value a missing key reads as; every place
// that reads it goes through the declaration, so no two readers can disagree on the default.
struct TextSetting {
  const char* section;
  const char* key;
  const char* defaultValue;
};
// Booleans are stored as "True" and "False"; only exactly "True" reads as true.
struct BoolSetting {
  const char* section;
  const char* key;
  bool defaultValue;
};
QString GetSetting(const TextSetting& setting);
void SaveSetting(const TextSetting& setting, const QString& value);
bool GetSetting(const BoolSetting& setting);
void SaveSetting(const BoolSetting& setting, bool value);

// Where the settings live; by default the per-user config folder ("Almanor/Almanor.ini").
// Tests point it at a file in a temporary folder.
QString SettingsFile();
void SetSettingsFile(const QString& path);

} // namespace platform
