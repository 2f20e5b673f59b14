// The client sizes the three skinned windows keep whatever the skin; a skin draws inside them.
#pragma once

#include <QSize>

inline constexpr QSize kMainWindowClient{462, 352};
inline constexpr QSize kPlaylistWindowClient{404, 438};
inline constexpr QSize kLyricsWindowClient{411, 396};
