#include "core/platform/data_paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

QString DataDir() {
  const QString fromEnvironment = qEnvironmentVariable("VARO_DATA_DIR");
  if (!fromEnvironment.isEmpty()) return QDir(fromEnvironment).absolutePath();
  const QString installed = QCoreApplication::applicationDirPath() + QStringLiteral("/../share/varo");
  if (QFileInfo(installed + QStringLiteral("/skins")).isDir()) return QDir(installed).absolutePath();
  return QStringLiteral(VARO_SOURCE_DATA_DIR);
}
