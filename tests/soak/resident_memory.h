// The resident memory of this process, in bytes (from /proc/self/statm); 0 when unknown.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <fstream>

inline int64_t ResidentBytes() {
  std::ifstream statm("/proc/self/statm");
  int64_t size = 0, resident = 0;
  if (!(statm >> size >> resident)) return 0;
  return resident * sysconf(_SC_PAGESIZE);
}
