// varo-skin-gen: draws the player's skins, lyrics backgrounds and icon.
//   varo-skin-gen OUTDIR                      write skins/ and pictures/ into OUTDIR
//   varo-skin-gen --preview DATADIR OUTDIR    compose previews of DATADIR's art
#include <QByteArray>
#include <QGuiApplication>
#include <QString>

#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "bmp_file.h"
#include "lyrics_backgrounds.h"
#include "png_file.h"
#include "program_icon.h"
#include "skin_files.h"
#include "skin_preview.h"
#include "theme.h"

namespace {

namespace fs = std::filesystem;
using skingen::Bytes;

void writeFile(const fs::path& path, const char* data, std::size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(data, static_cast<std::streamsize>(size));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

void writeFile(const fs::path& path, const Bytes& bytes) {
  writeFile(path, reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

void writeFile(const fs::path& path, const std::string& text) { writeFile(path, text.data(), text.size()); }

void writeFile(const fs::path& path, const QByteArray& bytes) {
  writeFile(path, bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

void generate(const fs::path& out) {
  fs::create_directories(out / "skins");
  fs::create_directories(out / "pictures");
  for (const skingen::Theme* theme : {&skingen::defaultTheme(), &skingen::sakuraTheme()}) {
    const skingen::SkinFiles files = skingen::packSkin(skingen::drawSkin(*theme));
    writeFile(out / "skins" / (theme->name + ".bmp"), files.pack);
    writeFile(out / "skins" / (theme->name + ".txt"), files.layout);
  }
  for (int i = 1; i <= skingen::kLyricsBackgroundCount; ++i)
    writeFile(out / "pictures" / ("kasi_back" + std::to_string(i) + ".bmp"),
              skingen::encodeBmp24(skingen::drawLyricsBackground(i)));
  for (int size : skingen::kIconSizes)
    writeFile(out / "pictures" / ("varo-" + std::to_string(size) + ".png"),
              skingen::encodePng(skingen::renderIcon(size)));
  writeFile(out / "pictures" / "varo.svg", skingen::iconSvg());
}

// glibc picks its sin, cos, atan2, pow... by processor (FMA and AVX forms round the last
// bit differently), and Qt's path stroker and gradients call them. The drawing runs with
// those forms masked, so every x86-64 processor takes the same plain SSE2 maths. The
// masks only work from the start of a process, hence the restart.
void useProcessorIndependentMaths(char** argv) {
  static const char kMarker[] = "VARO_SKIN_GEN_PLAIN_MATHS";
  if (std::getenv(kMarker)) return;
  // Both spellings of the feature names: glibc before and from 2.33.
  std::string tunables =
      "glibc.cpu.hwcaps=-AVX,-AVX2,-FMA,-FMA4,-AVX512F,-AVX_Usable,-AVX2_Usable,-FMA_Usable,-FMA4_Usable";
  if (const char* earlier = std::getenv("GLIBC_TUNABLES"); earlier && *earlier)
    tunables = std::string(earlier) + ":" + tunables;
  setenv("GLIBC_TUNABLES", tunables.c_str(), 1);
  setenv(kMarker, "1", 1);
  execv("/proc/self/exe", argv);
  throw std::runtime_error("cannot restart with plain maths: " + std::string(std::strerror(errno)));
}

int usage(std::FILE* out, int status) {
  std::fputs(
      "usage: varo-skin-gen OUTDIR\n"
      "       varo-skin-gen --preview DATADIR PREVIEWDIR\n"
      "       varo-skin-gen --help | --version\n"
      "Draws the skins, lyrics backgrounds and program icon into OUTDIR/skins and\n"
      "OUTDIR/pictures; --preview renders the skins of DATADIR as PNG pictures.\n",
      out);
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    useProcessorIndependentMaths(argv);
    if (argc == 2 && std::string(argv[1]) == "--help") return usage(stdout, 0);
    if (argc == 2 && std::string(argv[1]) == "--version") {
      std::fputs("varo-skin-gen " VARO_VERSION "\n", stdout);
      return 0;
    }
    if (argc == 2 && argv[1][0] != '-') {
      generate(argv[1]);
      return 0;
    }
    if (argc == 4 && std::string(argv[1]) == "--preview") {
      if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
      QGuiApplication app(argc, argv);  // fonts need it
      QString error;
      if (!skingen::writePreviews(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]), &error)) {
        std::fprintf(stderr, "varo-skin-gen: %s\n", qPrintable(error));
        return 1;
      }
      return 0;
    }
    return usage(stderr, 2);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "varo-skin-gen: %s\n", e.what());
    return 1;
  }
}
