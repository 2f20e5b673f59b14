#include "core/settings/application_home.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>

#include "formats/file_errors.h"

QString ChooseApplicationHome(const THomeCandidates& c) {
  if (!c.CommandLine.isEmpty()) return QDir(c.CommandLine).absolutePath();
  if (!c.Environment.isEmpty()) return QDir(c.Environment).absolutePath();
  if (!c.ExecutableDir.isEmpty()) {
    const QFileInfo exeDir(c.ExecutableDir);
    if (QFileInfo(SkinDir(c.ExecutableDir) + QStringLiteral("/default.bmp")).isFile() && exeDir.isWritable())
      return exeDir.absoluteFilePath();
  }
  const QString data = !c.XdgDataHome.isEmpty() && QDir::isAbsolutePath(c.XdgDataHome)
                           ? c.XdgDataHome
                           : c.UserHome + QStringLiteral("/.local/share");
  return QDir(data + QStringLiteral("/varo")).absolutePath();
}

THomeCandidates ProcessHomeCandidates(const QString& commandLineHome) {
  THomeCandidates c;
  c.CommandLine = commandLineHome;
  c.Environment = qEnvironmentVariable("VARO_HOME");
  // A later start hands over before the application object exists.
  c.ExecutableDir = QCoreApplication::instance()
                        ? QCoreApplication::applicationDirPath()
                        : QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).absolutePath();
  c.XdgDataHome = qEnvironmentVariable("XDG_DATA_HOME");
  c.UserHome = QDir::homePath();
  return c;
}

void PrepareApplicationHome(const QString& home, const QString& dataDir) {
  if (!QDir().mkpath(home)) ThrowCreateError(home, errno ? errno : EACCES);
  const QString skinDir = SkinDir(home);
  if (QFileInfo::exists(skinDir)) return;
  // The skins are copied into a folder of another name and that is renamed: a copy cut short
  // (a full disk) leaves no half-filled skin folder that later starts would take as complete.
  const QString partial = skinDir + QStringLiteral(".partial");
  QDir(partial).removeRecursively();
  if (!QDir().mkpath(partial)) ThrowCreateError(partial, errno ? errno : EACCES);
  const QDir installed(dataDir + QStringLiteral("/skins"));
  const QStringList files =
      installed.entryList({QStringLiteral("*.bmp"), QStringLiteral("*.txt")}, QDir::Files);
  for (const QString& file : files) {
    const QString target = partial + u'/' + file;
    if (!QFile::copy(installed.filePath(file), target)) ThrowCreateError(skinDir + u'/' + file, EIO);
    QFile::setPermissions(target, QFile::permissions(target) | QFile::WriteOwner);
  }
  if (!QDir().rename(partial, skinDir)) ThrowCreateError(skinDir, errno ? errno : EIO);
}
