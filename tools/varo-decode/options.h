// Command line of varo-decode.
#pragma once

#include <cstdint>
#include <string>

struct TDecodeOptions {
  bool Info = false;     // --info: describe the stream instead of decoding it
  bool Version = false;  // --version: print the program's version and stop
  bool Raw = false;      // --raw: no WAV header
  bool Gapless = true;   // --no-gapless: keep the encoder delay and padding a LAME tag gives
  uint8_t OutputFlags = 0;
  int32_t CutoffHz = 24000;
  std::string Cpu = "auto";  // plain, sse2, avx2 or auto
  std::string Input;
  std::string Output;
};

// Parses argv; on a usage error returns false with `error` set. `help` is set for --help.
bool ParseOptions(int argc, char** argv, TDecodeOptions& options, bool& help, std::string& error);

const char* UsageText();
