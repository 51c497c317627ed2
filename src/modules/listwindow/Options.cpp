#include "modules/listwindow/Options.h"

#include "platform/vb.h"

namespace options {

std::optional<double> PlaceTwips(const QString& key) {
  const QString text = platform::GetSetting(QStringLiteral("Option"), key);
  if (text.isEmpty()) return std::nullopt;
  return vb::CDbl(text);
}

void SavePlaceTwips(const QString& key, double twips) {
  platform::SaveSetting(QStringLiteral("Option"), key, vb::CStr(QString::number(twips, 'g', 7).toDouble()));
}

} // namespace options
