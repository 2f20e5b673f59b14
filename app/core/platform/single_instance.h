// One running player per application home: the first start claims the home (a lock file and a
// local socket in the runtime folder), a later start hands its files to it and ends.
#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

class QLockFile;
class QSocketNotifier;

struct THandOver {
  QStringList Files;        // absolute paths
  bool Enqueue = false;     // add them without interrupting what plays
  QString ActivationToken;  // the launcher's XDG_ACTIVATION_TOKEN or DESKTOP_STARTUP_ID
};

enum class THandOverResult {
  NoInstance,  // nobody listens for this home: this start runs the player
  Done,        // the running player took the files
  NoAnswer,    // a player listens but did not take them in time
};

// The running player's socket for home: in $XDG_RUNTIME_DIR (else the temporary folder),
// named after the home, so that two homes run side by side. The lock file is beside it.
QString InstanceSocketPath(const QString& home);

// The hand-over of a later start. Plain sockets, no application object: the later start ends
// before it builds windows, loads skins or fonts or opens the engine.
THandOverResult HandOverToRunningInstance(const QString& home, const THandOver& handOver);

// The running player's side: holds the home and turns each hand-over into a signal.
class TSingleInstance : public QObject {
  Q_OBJECT

 public:
  explicit TSingleInstance(const QString& home, QObject* parent = nullptr);
  ~TSingleInstance() override;

  // Takes the home and listens; false while another live player holds it. A lock whose
  // process is gone and a socket nobody listens on (a crash) are taken over.
  bool Claim();
  // While held, hand-overs are answered but kept, and announced on release in their order
  // (the windows they go to are not built yet).
  void HoldHandOvers() { FHeld = true; }
  void ReleaseHandOvers();

 signals:
  void HandedOver(const QStringList& files, bool enqueue, const QString& activationToken);

 private:
  bool Listen();
  void Accept();
  void Read(int fd, QSocketNotifier* notifier);

  QString FSocketPath;
  std::unique_ptr<QLockFile> FLock;
  int FListenFd = -1;
  QSocketNotifier* FListener = nullptr;
  bool FHeld = false;
  QList<THandOver> FKept;
};
