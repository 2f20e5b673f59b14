#include "core/platform/memory_status.h"

#include <QFile>
#include <QList>

#include <cmath>

#include <sys/sysinfo.h>

std::optional<TMemoryStatus> ParseMemInfo(const QByteArray& text) {
  std::optional<uint64_t> available;
  std::optional<uint64_t> total;
  for (const QByteArray& line : text.split('\n')) {
    const QList<QByteArray> fields = line.simplified().split(' ');
    if (fields.size() < 2) continue;
    bool ok = false;
    const uint64_t kib = fields[1].toULongLong(&ok);
    if (!ok) continue;
    if (fields[0] == "MemAvailable:") available = kib;
    if (fields[0] == "MemTotal:") total = kib;
  }
  if (!available || !total) return std::nullopt;
  return TMemoryStatus{*available, *total};
}

TMemoryStatus QueryMemoryStatus() {
  QFile meminfo(QStringLiteral("/proc/meminfo"));
  if (meminfo.open(QIODevice::ReadOnly)) {
    if (const auto status = ParseMemInfo(meminfo.readAll())) return *status;
  }
  struct sysinfo info {};
  if (sysinfo(&info) != 0) return {};
  const uint64_t unit = info.mem_unit ? info.mem_unit : 1;
  return {(static_cast<uint64_t>(info.freeram) + info.bufferram) * unit,
          static_cast<uint64_t>(info.totalram) * unit};
}

double FreeMemoryPercent(const TMemoryStatus& status) {
  if (status.Total == 0) return 0;
  return 100 - (1 - static_cast<double>(status.Available) / static_cast<double>(status.Total)) * 100;
}

QString FormatFreeMemory(double percent) {
  // printf rounds exact halves to even (45.25 would read 45.2); the figure rounds them up.
  const double tenths = std::floor(percent * 10 + 0.5 + 1e-9);
  return QStringLiteral("%1").arg(tenths / 10, 4, 'f', 1);
}
