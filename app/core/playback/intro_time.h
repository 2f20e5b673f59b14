// The intro time typed in the intro-time dialog.
#pragma once

#include <QString>

#include <optional>

// Whole seconds from 1 up to what a timer can hold; nothing for any other text (the dialog
// then stays open and nothing changes).
std::optional<int> ParseIntroSeconds(const QString& text);

inline constexpr int kDefaultIntroSeconds = 5;
