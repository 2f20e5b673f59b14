// The free-memory figure of the version dialog: available physical memory as a share of
// the total, in percent.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>

struct TMemoryStatus {
  uint64_t Available = 0;
  uint64_t Total = 0;
};

// MemAvailable and MemTotal of /proc/meminfo text; nothing when either is missing.
std::optional<TMemoryStatus> ParseMemInfo(const QByteArray& text);

// This machine's: /proc/meminfo, else sysinfo(2) (free + buffer memory).
TMemoryStatus QueryMemoryStatus();

// 100 - (1 - available / total) x 100; 0 when the total is unknown.
double FreeMemoryPercent(const TMemoryStatus& status);

// One decimal in a field of four characters, halves rounded up: 5 gives " 5.0", 45.25 "45.3".
QString FormatFreeMemory(double percent);
