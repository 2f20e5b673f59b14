#include "formats/skin_pieces.h"

QImage TSkin::Picture(int piece) const {
  const QByteArray& bytes = Pieces[piece - 1];
  if (bytes.isEmpty()) return QImage();
  QImage image = QImage::fromData(bytes, "BMP");
  if (image.isNull())
    throw ESkinError(QStringLiteral("Bitmap image is not valid (skin \"%1\", piece %2)")
                         .arg(Name)
                         .arg(piece)
                         .toStdString());
  return image;
}

TSkinPieces CutSkinPack(const QByteArray& pack, const TSkinLayout& layout) {
  TSkinPieces pieces;
  qint64 offset = 0;
  for (int piece = 1; piece <= kSkinPieceCount; ++piece) {
    const qint64 size = layout.PieceSize(piece);
    if (size > pack.size() - offset)
      throw ESkinError(
          QStringLiteral("Read beyond end of file (skin pack, piece %1)").arg(piece).toStdString());
    pieces[piece - 1] = pack.mid(offset, size);
    offset += size;
  }
  return pieces;
}

QByteArray JoinSkinPack(const TSkinPieces& pieces, TSkinLayout& layout) {
  QByteArray pack;
  for (int piece = 1; piece <= kSkinPieceCount; ++piece) {
    const QByteArray& bytes = pieces[piece - 1];
    layout.SetPieceSize(piece, bytes.size());
    pack += bytes;
  }
  return pack;
}
