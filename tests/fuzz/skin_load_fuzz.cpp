// Fuzz target: a skin load as the main window does it before any window changes: the pack
// and the layout read from the skin folder (a temporary one) by the application's reader,
// every piece decoded as a bitmap, and the outlines of the three shaped windows' pictures
// built as runs and regions.
//
// Input: a 3-byte header, then the layout text, then the pack:
//   0    bit 0 the skin is written as "default" and another name asked for (the fallback)
//   1-2  the layout's length in bytes, big-endian (cut to what the input holds)
//
// A broken skin gives ESkinError with its text, never anything else; a load that passes has
// pieces of the sizes its layout gives; an outline's runs lie inside their picture. Loading
// writes nothing: the skin folder holds what it held before.
#include <QByteArray>
#include <QImage>
#include <QRegion>
#include <QString>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <exception>

#include "formats/file_errors.h"
#include "formats/region_runs.h"
#include "formats/skin_pack.h"
#include "fuzz_input.h"
#include "fuzz_temp_dir.h"

namespace {

constexpr size_t kHeaderBytes = 3;
constexpr size_t kMaxInput = 16384 + kHeaderBytes;
// The pictures given an outline: the main window, the lyrics window, the playlist window.
constexpr int kShapedPieces[3] = {1, 11, 15};
// Outlines of larger pictures only repeat the same rows at a cost per pixel (a header may
// claim thousands of rows); a real main window picture has some 40000 pixels.
constexpr qint64 kLargestOutlinePixels = 1 << 18;

void CheckOutline(const QImage& picture, QPoint offset) {
  const std::vector<TRegionRun> runs = BuildRegionRuns(picture, 0);
  for (const TRegionRun& r : runs) {
    FUZZ_CHECK(r.Y >= 1 && r.Y < picture.height());
    FUZZ_CHECK(r.Left >= 1 && r.Left < r.Right && r.Right <= picture.width());
  }
  const QRegion region = RegionFromRuns(runs, offset);
  FUZZ_CHECK(runs.empty() == region.isEmpty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > kMaxInput || size < kHeaderBytes) return -1;  // not added to the corpus
  const bool fallback = (data[0] & 1) != 0;
  const size_t layoutSize =
      std::min<size_t>(static_cast<size_t>(data[1] << 8 | data[2]), size - kHeaderBytes);
  const char* text = reinterpret_cast<const char*>(data + kHeaderBytes);
  const QByteArray layout(text, static_cast<qsizetype>(layoutSize));
  const QByteArray pack(text + layoutSize, static_cast<qsizetype>(size - kHeaderBytes - layoutSize));
  const QString written = fallback ? QString::fromLatin1(kDefaultSkinName) : QStringLiteral("fuzz");
  const QString packPath = WriteFuzzFile(written + QStringLiteral(".bmp"), pack);
  const QString layoutPath = WriteFuzzFile(written + QStringLiteral(".txt"), layout);
  const QString& skinDir = FuzzTempDir();

  try {
    const TSkin skin = ReadSkin(skinDir, fallback ? QStringLiteral("other") : written);
    FUZZ_CHECK(skin.Name == written);
    qint64 offset = 0;
    for (int piece = 1; piece <= kSkinPieceCount; ++piece) {
      FUZZ_CHECK(skin.Pieces[static_cast<size_t>(piece - 1)].size() == skin.Layout.PieceSize(piece));
      offset += skin.Layout.PieceSize(piece);
    }
    FUZZ_CHECK(offset <= pack.size());
    for (int piece = 1; piece <= kSkinPieceCount; ++piece) {
      try {
        const QImage picture = skin.Picture(piece);
        FUZZ_CHECK(picture.isNull() == skin.Pieces[static_cast<size_t>(piece - 1)].isEmpty());
        if (std::find(std::begin(kShapedPieces), std::end(kShapedPieces), piece) != std::end(kShapedPieces) &&
            qint64{picture.width()} * picture.height() <= kLargestOutlinePixels)
          CheckOutline(picture, skin.Position(piece));
      } catch (const ESkinError& e) {
        FUZZ_CHECK(*e.what() != '\0');
      }
    }
  } catch (const ESkinError& e) {
    FUZZ_CHECK(*e.what() != '\0');
  } catch (const std::exception& e) {
    FuzzFailure(e.what());  // the files are there and readable: a skin error or nothing
  }
  // Skins are only read.
  FUZZ_CHECK(ReadFuzzFile(packPath) == pack && ReadFuzzFile(layoutPath) == layout);
  return 0;
}
