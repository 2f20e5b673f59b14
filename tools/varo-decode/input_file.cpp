#include "input_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <sys/stat.h>

bool ReadInputFile(const std::string& path, std::vector<uint8_t>& data, std::string& error) {
  const bool standardInput = path == "-";
  FILE* file = standardInput ? stdin : std::fopen(path.c_str(), "rb");
  if (!file) {
    error = "cannot open '" + path + "': " + std::strerror(errno);
    return false;
  }
  data.clear();
  struct stat info {};
  if (fstat(fileno(file), &info) == 0 && S_ISREG(info.st_mode)) data.reserve(static_cast<size_t>(info.st_size));
  uint8_t chunk[1 << 16];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) data.insert(data.end(), chunk, chunk + got);
  const bool failed = std::ferror(file) != 0;
  const int reason = errno;
  if (!standardInput) std::fclose(file);
  if (failed) {
    error = "cannot read '" + path + "': " + std::strerror(reason);
    return false;
  }
  return true;
}
