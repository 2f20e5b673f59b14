// The desktop's media controls (MPRIS2 on the session bus as org.mpris.MediaPlayer2.varo):
// the transport commands go to the queue player as the buttons' do; what needs a window
// (raise, quit, open, the play mode) goes out as signals for the program to wire.
#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>

class TPlayerSession;

class TMprisService : public QObject, protected QDBusContext {
  Q_OBJECT

 public:
  static inline const QString kServiceName = QStringLiteral("org.mpris.MediaPlayer2.varo");
  static inline const QString kObjectPath = QStringLiteral("/org/mpris/MediaPlayer2");

  explicit TMprisService(TPlayerSession& session, QObject* parent = nullptr);
  ~TMprisService() override;

  // Publishes the player on bus; false (and nothing else happens) without a bus or when
  // another process owns the name.
  bool Register(const QDBusConnection& bus);

  // The root and player interfaces call these.
  void Play();
  void Pause();
  void PlayPause();
  void Stop();
  void Next();
  void Previous();
  void Seek(qint64 offsetUs);
  void SetPosition(const QString& trackId, qint64 positionUs);
  void OpenUri(const QString& uri);
  QString PlaybackStatus() const;
  QString LoopStatus() const;
  void SetLoopStatus(const QString& status);
  bool Shuffle() const;
  void SetShuffle(bool on);
  QVariantMap Metadata() const;
  double Volume() const;
  void SetVolume(double volume);
  qint64 Position() const;
  bool CanGoNext() const;
  bool CanPlay() const;
  bool CanSeek() const;

 signals:
  void RaiseRequested();
  void QuitRequested();
  void OpenRequested(const QStringList& files);  // as if dropped on the main window
  void PlayModeRequested(int mode);              // as if chosen in the popup menu
  void CommandFailed(const QString& text);       // the engine's error, for the error box

 private:
  template <class Command>
  void Run(Command&& command);
  QString TrackId() const;
  void Publish();
  void SendChanged(const QString& interface, const QVariantMap& changed);

  TPlayerSession& FSession;
  QDBusConnection FBus;
  bool FRegistered = false;
  int FTrackSerial = 0;
  QString FTitle;
  QString FArtist;
  QString FUrl;
  QVariantMap FPublished;  // the player properties last announced
};
