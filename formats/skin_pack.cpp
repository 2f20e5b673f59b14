#include "formats/skin_pack.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

#include "formats/file_errors.h"

QString ResolveSkinName(const QString& skinDir, const QString& name) {
  const QFileInfo pack(QDir(skinDir).filePath(name + QStringLiteral(".bmp")));
  return !name.isEmpty() && pack.isFile() ? name : QString::fromLatin1(kDefaultSkinName);
}

TSkin ReadSkin(const QString& skinDir, const QString& name) {
  TSkin skin;
  skin.Name = ResolveSkinName(skinDir, name);
  const QDir dir(skinDir);
  const QByteArray pack = ReadWholeFile(dir.filePath(skin.Name + QStringLiteral(".bmp")));
  skin.Layout = ParseSkinLayout(ReadWholeFile(dir.filePath(skin.Name + QStringLiteral(".txt"))));
  skin.Pieces = CutSkinPack(pack, skin.Layout);
  return skin;
}

QStringList ListSkinNames(const QString& skinDir) {
  QStringList names;
  const QStringList files = QDir(skinDir).entryList(QDir::Files | QDir::Readable, QDir::NoSort);
  for (const QString& file : files) {
    if (!file.endsWith(QStringLiteral(".txt"))) continue;
    const QString name = file.chopped(4);
    if (!name.isEmpty() && name != QLatin1String(kDefaultSkinName)) names.append(name);
  }
  std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
    const int c = a.compare(b, Qt::CaseInsensitive);
    return c != 0 ? c < 0 : a < b;
  });
  return names;
}
