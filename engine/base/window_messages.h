// WM_USER, the first message number free for a program's own messages: the engine's thread
// messages and the tray's callback are numbered from it, as hosts and tests expect.
#pragma once

#include <cstdint>

inline constexpr uint32_t WM_USER = 0x400;
