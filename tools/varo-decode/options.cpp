// Parsing of the varo-decode command line.
#include "options.h"

#include <charconv>
#include <climits>

#include "decoder/mp3_decoder.h"

const char* UsageText() {
  return "usage: varo-decode [--raw] [--no-gapless] [--full-band] [--mix|--left|--right]\n"
         "                   [--cutoff HZ] [--cpu plain|sse2|avx2|auto] INPUT OUTPUT\n"
         "       varo-decode --info INPUT\n"
         "       varo-decode --help | --version\n"
         "Decodes an MPEG audio file to 16-bit PCM: a WAV file, or raw little-endian\n"
         "interleaved samples with --raw. INPUT - is standard input, OUTPUT - standard output.\n"
         "Frames are found as the player finds them (tags, an information frame and junk\n"
         "between frames are passed over); free-format streams, which the player refuses,\n"
         "are decoded too. As in the player, the encoder delay and padding that a LAME tag\n"
         "gives (and the decoder's own delay of 529 samples) are trimmed: the output is the\n"
         "samples that were encoded.\n"
         "  --no-gapless  keep every sample of every frame\n"
         "  --full-band   reconstruct all 32 sub-bands and all 576 lines (the player leaves\n"
         "                out the top sub-band); --cutoff still limits every layer\n"
         "  --mix         mix two channels into one; --left/--right: keep one channel\n"
         "  --cutoff HZ   highest frequency to reconstruct, the same for every layer\n"
         "                (default 24000, at least 1000)\n"
         "  --cpu FORM    processor form of the inner loops (default: the best available)\n"
         "  --info        print layer, version, sampling rate, channels, bit rate, frames\n";
}

bool ParseOptions(int argc, char** argv, TDecodeOptions& options, bool& help, std::string& error) {
  help = false;
  bool channelChosen = false;
  std::string files[2];
  int32_t fileCount = 0;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= argc) {
        error = arg + " needs a value";
        return false;
      }
      out = argv[++i];
      return true;
    };
    auto channel = [&](uint8_t form) {
      if (channelChosen) {
        error = "choose only one of --mix, --left and --right";
        return false;
      }
      channelChosen = true;
      options.OutputFlags = static_cast<uint8_t>((options.OutputFlags & ~mofChannelMask) | form);
      return true;
    };
    if (arg == "--help" || arg == "-h") {
      help = true;
      return true;
    } else if (arg == "--version") {
      options.Version = true;
      return true;
    } else if (arg == "--info") {
      options.Info = true;
    } else if (arg == "--raw") {
      options.Raw = true;
    } else if (arg == "--no-gapless") {
      options.Gapless = false;
    } else if (arg == "--full-band") {
      options.OutputFlags |= mofFullBand;
    } else if (arg == "--mix") {
      if (!channel(1)) return false;
    } else if (arg == "--left") {
      if (!channel(2)) return false;
    } else if (arg == "--right") {
      if (!channel(3)) return false;
    } else if (arg == "--cutoff") {
      std::string text;
      if (!value(text)) return false;
      int64_t hz = 0;
      const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), hz);
      if (ec != std::errc() || end != text.data() + text.size() || hz < 0 || hz > INT32_MAX) {
        error = "--cutoff needs a frequency in Hz, not '" + text + "'";
        return false;
      }
      options.CutoffHz = static_cast<int32_t>(hz);
    } else if (arg == "--cpu") {
      if (!value(options.Cpu)) return false;
      if (options.Cpu != "plain" && options.Cpu != "sse2" && options.Cpu != "avx2" && options.Cpu != "auto") {
        error = "--cpu takes plain, sse2, avx2 or auto, not '" + options.Cpu + "'";
        return false;
      }
    } else if (arg.size() > 1 && arg[0] == '-') {
      error = "unknown option " + arg;
      return false;
    } else {
      if (fileCount == 2) {
        error = "too many file names";
        return false;
      }
      files[fileCount++] = arg;
    }
  }
  const int32_t needed = options.Info ? 1 : 2;
  if (fileCount != needed) {
    error = options.Info ? "--info takes one INPUT" : "INPUT and OUTPUT are needed";
    return false;
  }
  options.Input = files[0];
  options.Output = files[1];
  return true;
}
