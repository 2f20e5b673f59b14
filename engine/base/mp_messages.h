// Message numbers of the engine's thread queues and of the player's own message queue.
#pragma once

#include <cstdint>

#include "base/window_messages.h"

// Loop threads.
inline constexpr uint32_t MPM_QUIT = WM_USER + 30;
inline constexpr uint32_t MPM_SIGNALED = WM_USER + 31;
inline constexpr uint32_t MPM_SYNC = WM_USER + 32;
inline constexpr uint32_t MPM_TIMEOUT = WM_USER + 33;
// A wave device returned a buffer.
inline constexpr uint32_t MM_WOM_DONE = 957;

// The player's queue, handled on the owning thread.
inline constexpr uint32_t MPM_POSITION = WM_USER + 10;
inline constexpr uint32_t MPM_THREADERROR = WM_USER + 11;
inline constexpr uint32_t MPM_ENDOFDATA = WM_USER + 12;
inline constexpr uint32_t MPM_TRACKCHANGED = WM_USER + 13;
inline constexpr uint32_t MPM_STATUS = WM_USER + 14;
inline constexpr uint32_t MPM_ENDPLAY = WM_USER + 15;
inline constexpr uint32_t MPM_EQUALIZER = WM_USER + 16;
