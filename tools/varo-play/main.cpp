// varo-play: plays MPEG audio files headless, or shows what their tags hold.
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "info_report.h"
#include "loudness_command.h"
#include "output/wave_device_selection.h"
#include "play_commands.h"
#include "play_session.h"

namespace {

volatile std::sig_atomic_t interruptSignal = 0;

void OnSignal(int signal) { interruptSignal = signal; }

void Usage(std::ostream& out) {
  out << "usage: varo-play [--audio alsa[:DEV]|null[:SPEED]|wav[@SPEED]:PATH] [--volume N]\n"
         "                 [--balance N] [--repeat] [--no-gapless] [--start SECONDS]\n"
         "                 [--timestamps] [--control] [--lyrics] FILE...\n"
         "       varo-play --info FILE...\n"
         "       varo-play --loudness [--true-peak] [--write-tags] FILE...\n"
         "       varo-play --help | --version\n"
         "Plays MPEG audio files on the default ALSA device (or VARO_AUDIO's choice) and\n"
         "reports file, status and end of each track. The files play gaplessly: the encoder\n"
         "delay and padding of a LAME tag are left out and each file follows the one before\n"
         "without a gap (a file of another sampling rate or channel count reopens the device).\n"
         "  --audio DEV     alsa[:DEVICE], null[:SPEED] (no sound, SPEED times real time),\n"
         "                  wav[@SPEED]:PATH (record what is played)\n"
         "  --volume N      0..100; --balance N: -100 (left only) .. 100 (right only)\n"
         "  --repeat        start the list again after its last file\n"
         "  --no-gapless    play every sample of every frame; each file starts on its own\n"
         "  --start SECONDS start the first file that far in (fractions allowed)\n"
         "  --timestamps    begin each report with the monotonic clock in seconds\n"
         "  --control       read commands from standard input, one a line: pause, resume,\n"
         "                  play, stop, next, quit, volume N, balance N, seek SECONDS (from\n"
         "                  the start of the track; reports the position it went to)\n"
         "  --lyrics        print each line of the track's lyrics as it falls due instead of\n"
         "                  the reports; the lyrics are NAME.lrc or NAME.txt beside FILE, else\n"
         "                  its ID3v2 SYLT or USLT frame, else its Lyrics3 LYR field (lyrics\n"
         "                  without times print at once)\n"
         "  --info          show the tags and stream facts instead of playing\n"
         "  --loudness      measure each file's loudness (EBU R128), its peak and its ReplayGain\n"
         "                  2.0 gain (to -18 LUFS), then the album's: the files are one album\n"
         "  --true-peak     with --loudness: the true peak too, written as the peak\n"
         "  --write-tags    with --loudness: write the gains and peaks into each file's ID3v2\n"
         "                  tag as TXXX REPLAYGAIN_TRACK_GAIN, _PEAK, _ALBUM_GAIN, _PEAK\n";
}

bool ParseInt(const char* text, int low, int high, int& value) {
  char* end = nullptr;
  const long v = std::strtol(text, &end, 10);
  if (*text == '\0' || *end != '\0' || v < low || v > high) return false;
  value = static_cast<int>(v);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  TPlayOptions options;
  bool info = false;
  bool loudness = false;
  TLoudnessCommandOptions loudnessOptions;
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
    if (arg == "--info") {
      info = true;
    } else if (arg == "--loudness") {
      loudness = true;
    } else if (arg == "--write-tags") {
      loudnessOptions.WriteTags = true;
    } else if (arg == "--true-peak") {
      loudnessOptions.TruePeak = true;
    } else if (arg == "--repeat") {
      options.Repeat = true;
    } else if (arg == "--timestamps") {
      options.Timestamps = true;
    } else if (arg == "--lyrics") {
      options.Lyrics = true;
    } else if (arg == "--control") {
      options.Control = true;
    } else if (arg == "--no-gapless") {
      options.Gapless = false;
    } else if (arg == "--start") {
      const char* text = value();
      if (text == nullptr || !ParseSeconds(text, options.Start)) {
        std::cerr << "varo-play: --start needs a number of seconds, 0 or more\n";
        return 2;
      }
    } else if (arg == "--audio") {
      const char* choice = value();
      TWaveDeviceChoice parsed;
      if (choice == nullptr || !ParseWaveDevice(choice, parsed)) {
        std::cerr << "varo-play: invalid --audio device" << (choice ? std::string(" \"") + choice + "\"" : "")
                  << '\n';
        return 2;
      }
      options.Audio = choice;
    } else if (arg == "--volume" || arg == "--balance") {
      const char* text = value();
      const bool volume = arg == "--volume";
      int* target = volume ? &options.Volume : &options.Balance;
      if (text == nullptr || !ParseInt(text, volume ? 0 : -100, 100, *target)) {
        std::cerr << "varo-play: " << arg << " needs a number in " << (volume ? "0..100" : "-100..100")
                  << '\n';
        return 2;
      }
    } else if (arg == "--help" || arg == "-h") {
      Usage(std::cout);
      return 0;
    } else if (arg == "--version") {
      std::cout << "varo-play " VARO_VERSION "\n";
      return 0;
    } else if (arg == "--") {
      for (++i; i < argc; ++i) files.emplace_back(argv[i]);
    } else if (arg.size() > 1 && arg[0] == '-') {
      std::cerr << "varo-play: unknown option " << arg << '\n';
      Usage(std::cerr);
      return 2;
    } else {
      files.push_back(arg);
    }
  }
  if (files.empty()) {
    Usage(std::cerr);
    return 2;
  }

  if ((loudnessOptions.WriteTags || loudnessOptions.TruePeak) && !loudness) {
    std::cerr << "varo-play: --write-tags and --true-peak go with --loudness\n";
    return 2;
  }
  if (loudness) return RunLoudnessCommand(files, loudnessOptions, std::cout, std::cerr);
  if (info) {
    bool ok = true;
    for (const std::string& file : files) ok = ReportFileInfo(file, std::cout, std::cerr) && ok;
    return ok ? 0 : 1;
  }

  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  return PlayFiles(files, options, interruptSignal, std::cout, std::cerr);
}
