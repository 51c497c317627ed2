#pragma once
// The options that more than one window reads, declared once, and the window places that the main
// window and the edit dialogs keep in section "Option" in twips.

#include "platform/settings.h"

#include <QString>
#include <optional>

namespace options {

// "编辑时隐藏主界面": the main window moves off the screen while an edit dialog is open.
inline constexpr platform::BoolSetting HideMain{"Option", "HideMain", false};
// "总在最前面": the main window and the edit dialogs stay above other windows.
inline constexpr platform::BoolSetting Most{"Option", "Most", true};

// Below this size (twips, frame included) a stored window would be unusable, so it is not kept.
inline constexpr double kMinWindowWidth = 3510;
inline constexpr double kMinWindowHeight = 5000;

// A place key ("Left", "NotesTop", ...) as twips; empty when missing or not a number.
std::optional<double> PlaceTwips(const QString& key);
// Stored as the text of a single-precision number, as the place was always kept.
void SavePlaceTwips(const QString& key, double twips);

} // namespace options
