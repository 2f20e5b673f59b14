#include "skin_reader.h"

#include <QFile>
#include <QTextStream>

namespace skingen {

std::optional<LoadedSkin> readSkin(const QString& dir, const QString& name, QString* error) {
  QFile layoutFile(dir + "/" + name + ".txt"), packFile(dir + "/" + name + ".bmp");
  if (!layoutFile.open(QIODevice::ReadOnly) || !packFile.open(QIODevice::ReadOnly)) {
    *error = "cannot open the skin files of " + name;
    return std::nullopt;
  }
  LoadedSkin skin;
  const QList<QByteArray> lines = layoutFile.readAll().split('\n');
  for (std::size_t i = 0; i < skin.values.size(); ++i) {
    bool ok = false;
    skin.values[i] = i < static_cast<std::size_t>(lines.size()) ? lines[static_cast<qsizetype>(i)].trimmed().toInt(&ok) : 0;
    if (!ok) {
      *error = QString("%1.txt line %2 is not a number").arg(name).arg(i + 1);
      return std::nullopt;
    }
  }
  const QByteArray pack = packFile.readAll();
  qsizetype offset = 0;
  for (int i = 0; i < 19; ++i) {
    const int blocks = skin.value(39 + i), rest = skin.value(58 + i);
    const qsizetype size = blocks > 2 ? qsizetype{blocks - 2} * 2048 + rest : rest;
    if (rest < 0 || rest > 2048 || offset + size > pack.size()) {
      *error = QString("%1.bmp: piece %2 lies outside the pack").arg(name).arg(i + 1);
      return std::nullopt;
    }
    skin.pieces[static_cast<std::size_t>(i)] = pack.mid(offset, size);
    offset += size;
  }
  return skin;
}

}  // namespace skingen
