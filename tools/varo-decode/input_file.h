// Reads a whole input file (or standard input for "-") into memory.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// False with `error` set to a one-line message naming the file and the system's reason.
bool ReadInputFile(const std::string& path, std::vector<uint8_t>& data, std::string& error);
