// The input of varo-decode as a seekable engine stream. A regular file is read in place;
// standard input ("-") and files that cannot seek (pipes, FIFOs) are read whole into memory
// first, so that the frame walk can run twice and the tags at the end are found.
#pragma once

#include <memory>
#include <string>

#include "stream/mp_stream.h"

// Raises EMP3Error with a one-line message naming the file and the system's reason when the
// input cannot be opened or read.
std::unique_ptr<TMPStream> OpenInput(const std::string& path);
