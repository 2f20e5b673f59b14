#include "core/platform/mpris_service.h"

#include <QDBusAbstractAdaptor>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QUrl>

#include <cmath>
#include <exception>

#include "core/playback/play_state.h"
#include "core/session/player_session.h"
#include "player/mp3_player.h"

namespace {

const QString kRootInterface = QStringLiteral("org.mpris.MediaPlayer2");
const QString kPlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");

}  // namespace

class TMprisRootAdaptor : public QDBusAbstractAdaptor {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
  Q_PROPERTY(bool CanQuit READ True)
  Q_PROPERTY(bool CanRaise READ True)
  Q_PROPERTY(bool CanSetFullscreen READ False)
  Q_PROPERTY(bool Fullscreen READ False)
  Q_PROPERTY(bool HasTrackList READ False)
  Q_PROPERTY(QString Identity READ Identity)
  Q_PROPERTY(QString DesktopEntry READ DesktopEntry)
  Q_PROPERTY(QStringList SupportedUriSchemes READ SupportedUriSchemes)
  Q_PROPERTY(QStringList SupportedMimeTypes READ SupportedMimeTypes)

 public:
  explicit TMprisRootAdaptor(TMprisService* service) : QDBusAbstractAdaptor(service), S(service) {}
  bool True() const { return true; }
  bool False() const { return false; }
  QString Identity() const { return QStringLiteral("VARO"); }
  QString DesktopEntry() const { return QStringLiteral("varo"); }
  QStringList SupportedUriSchemes() const { return {QStringLiteral("file")}; }
  QStringList SupportedMimeTypes() const {
    return {QStringLiteral("audio/mpeg"), QStringLiteral("audio/x-mpegurl"), QStringLiteral("audio/mpegurl"),
            QStringLiteral("application/x-varo-playlist")};
  }

 public slots:
  void Raise() { emit S->RaiseRequested(); }
  void Quit() { emit S->QuitRequested(); }

 private:
  TMprisService* S;
};

class TMprisPlayerAdaptor : public QDBusAbstractAdaptor {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
  Q_PROPERTY(QString PlaybackStatus READ PlaybackStatus)
  Q_PROPERTY(QString LoopStatus READ LoopStatus WRITE SetLoopStatus)
  Q_PROPERTY(double Rate READ One WRITE SetRate)
  Q_PROPERTY(double MinimumRate READ One)
  Q_PROPERTY(double MaximumRate READ One)
  Q_PROPERTY(bool Shuffle READ Shuffle WRITE SetShuffle)
  Q_PROPERTY(QVariantMap Metadata READ Metadata)
  Q_PROPERTY(double Volume READ Volume WRITE SetVolume)
  Q_PROPERTY(qlonglong Position READ Position)
  Q_PROPERTY(bool CanGoNext READ CanGoNext)
  Q_PROPERTY(bool CanGoPrevious READ CanGoNext)
  Q_PROPERTY(bool CanPlay READ CanPlay)
  Q_PROPERTY(bool CanPause READ CanPlay)
  Q_PROPERTY(bool CanSeek READ CanSeek)
  Q_PROPERTY(bool CanControl READ True)

 public:
  explicit TMprisPlayerAdaptor(TMprisService* service) : QDBusAbstractAdaptor(service), S(service) {}
  QString PlaybackStatus() const { return S->PlaybackStatus(); }
  QString LoopStatus() const { return S->LoopStatus(); }
  void SetLoopStatus(const QString& status) { S->SetLoopStatus(status); }
  double One() const { return 1.0; }
  void SetRate(double) {}  // one speed only
  bool Shuffle() const { return S->Shuffle(); }
  void SetShuffle(bool on) { S->SetShuffle(on); }
  QVariantMap Metadata() const { return S->Metadata(); }
  double Volume() const { return S->Volume(); }
  void SetVolume(double volume) { S->SetVolume(volume); }
  qlonglong Position() const { return S->Position(); }
  bool CanGoNext() const { return S->CanGoNext(); }
  bool CanPlay() const { return S->CanPlay(); }
  bool CanSeek() const { return S->CanSeek(); }
  bool True() const { return true; }

 public slots:
  void Play() { S->Play(); }
  void Pause() { S->Pause(); }
  void PlayPause() { S->PlayPause(); }
  void Stop() { S->Stop(); }
  void Next() { S->Next(); }
  void Previous() { S->Previous(); }
  void Seek(qlonglong offset) { S->Seek(offset); }
  void SetPosition(const QDBusObjectPath& trackId, qlonglong position) {
    S->SetPosition(trackId.path(), position);
  }
  void OpenUri(const QString& uri) { S->OpenUri(uri); }

 signals:
  void Seeked(qlonglong Position);

 private:
  TMprisService* S;
};

TMprisService::TMprisService(TPlayerSession& session, QObject* parent)
    : QObject(parent), FSession(session), FBus(QString()) {
  new TMprisRootAdaptor(this);
  auto* player = new TMprisPlayerAdaptor(this);
  connect(&session, &TPlayerSession::TrackStarted, this, [this](const QString& title, const QString& artist) {
    ++FTrackSerial;
    FTitle = title;
    FArtist = artist;
    const TPlayQueue& queue = FSession.Queue();
    const int i = queue.CurrentIndex();
    FUrl = i >= 0 && i < queue.QueueCount() ? QUrl::fromLocalFile(queue.Entry(i).FileName).toString()
                                            : QString();
    Publish();
  });
  connect(&session, &TPlayerSession::PlayStateChanged, this, &TMprisService::Publish);
  connect(&session, &TPlayerSession::PlayModeChanged, this, &TMprisService::Publish);
  // An empty queue can neither play nor step: the controls follow every change of it.
  connect(&session.Queue(), &TPlayQueue::Changed, this, &TMprisService::Publish);
  connect(&session, &TPlayerSession::Sought, player, [player](qint64 ms) { emit player->Seeked(ms * 1000); });
}

TMprisService::~TMprisService() {
  if (FRegistered) {
    FBus.unregisterObject(kObjectPath);
    FBus.unregisterService(kServiceName);
  }
}

bool TMprisService::Register(const QDBusConnection& bus) {
  if (FRegistered || !bus.isConnected()) return false;
  FBus = bus;
  if (!FBus.registerObject(kObjectPath, this, QDBusConnection::ExportAdaptors)) return false;
  if (!FBus.registerService(kServiceName)) {
    FBus.unregisterObject(kObjectPath);
    return false;
  }
  FRegistered = true;
  Publish();
  return true;
}

// An error of the engine reaches the error box as the button's would; a call from the bus
// also gets it as its answer.
template <class Command>
void TMprisService::Run(Command&& command) {
  try {
    command();
  } catch (const std::exception& e) {
    const QString text = QString::fromUtf8(e.what());
    if (calledFromDBus()) sendErrorReply(QDBusError::Failed, text);
    emit CommandFailed(text);
  }
}

void TMprisService::Play() {
  Run([this] {
    TQueuePlayer& p = FSession.Player();
    if (p.PlayState() == psPaused)
      p.PauseCommand();  // resumes where it paused
    else if (p.PlayState() != psPlaying)
      p.PlayCommand();
  });
}

void TMprisService::Pause() {
  Run([this] {
    if (FSession.Player().PlayState() == psPlaying) FSession.Player().PauseCommand();
  });
}

void TMprisService::PlayPause() {
  Run([this] {
    TQueuePlayer& p = FSession.Player();
    if (p.PlayState() == psPlaying || p.PlayState() == psPaused)
      p.PauseCommand();
    else
      p.PlayCommand();
  });
}

void TMprisService::Stop() {
  Run([this] { FSession.Player().StopCommand(); });
}

void TMprisService::Next() {
  Run([this] { FSession.Player().NextCommand(); });
}

void TMprisService::Previous() {
  Run([this] { FSession.Player().PreviousCommand(); });
}

void TMprisService::Seek(qint64 offsetUs) {
  Run([this, offsetUs] {
    if (!CanSeek()) return;
    const qint64 target = FSession.TrackPosition() + offsetUs / 1000;
    if (target >= FSession.TrackLength())
      FSession.Player().NextCommand();
    else
      FSession.SeekTo(qMax<qint64>(0, target));
  });
}

void TMprisService::SetPosition(const QString& trackId, qint64 positionUs) {
  Run([this, &trackId, positionUs] {
    // A position meant for a track that has already given way is dropped.
    if (!CanSeek() || trackId != TrackId() || positionUs < 0) return;
    if (positionUs / 1000 > FSession.TrackLength()) return;
    FSession.SeekTo(positionUs / 1000);
  });
}

void TMprisService::OpenUri(const QString& uri) {
  const QUrl url(uri);
  if (!url.isLocalFile()) {
    if (calledFromDBus())
      sendErrorReply(QDBusError::NotSupported, QStringLiteral("Only local files can be opened"));
    return;
  }
  emit OpenRequested({url.toLocalFile()});
}

QString TMprisService::PlaybackStatus() const {
  switch (FSession.Player().PlayState()) {
    case psPlaying:
    case psSwitching:
      return QStringLiteral("Playing");
    case psPaused:
      return QStringLiteral("Paused");
    default:
      return QStringLiteral("Stopped");
  }
}

// Repeat one is "Track"; repeat all, random and the intro cycle all go round the list.
QString TMprisService::LoopStatus() const {
  return FSession.Player().PlayMode() == pmRepeatOne ? QStringLiteral("Track") : QStringLiteral("Playlist");
}

void TMprisService::SetLoopStatus(const QString& status) {
  // There is no mode that stops at the end of the list, so "None" changes nothing.
  if (status == QLatin1String("Track"))
    emit PlayModeRequested(pmRepeatOne);
  else if (status == QLatin1String("Playlist") && FSession.Player().PlayMode() == pmRepeatOne)
    emit PlayModeRequested(pmRepeatAll);
}

bool TMprisService::Shuffle() const { return FSession.Player().PlayMode() == pmRandom; }

void TMprisService::SetShuffle(bool on) {
  if (on != Shuffle()) emit PlayModeRequested(on ? pmRandom : pmRepeatAll);
}

QString TMprisService::TrackId() const {
  return FTrackSerial == 0 ? QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack")
                           : QStringLiteral("/org/mpris/MediaPlayer2/varo/track/%1").arg(FTrackSerial);
}

QVariantMap TMprisService::Metadata() const {
  QVariantMap m;
  m.insert(QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(TrackId())));
  if (FTrackSerial == 0) return m;
  m.insert(QStringLiteral("xesam:title"), FTitle);
  if (!FArtist.isEmpty()) m.insert(QStringLiteral("xesam:artist"), QStringList{FArtist});
  if (!FUrl.isEmpty()) m.insert(QStringLiteral("xesam:url"), FUrl);
  const qint64 length = FSession.TrackLength();
  if (length > 0) m.insert(QStringLiteral("mpris:length"), length * 1000);
  return m;
}

double TMprisService::Volume() const { return FSession.mp3().Volume() / 100.0; }

void TMprisService::SetVolume(double volume) {
  if (std::isnan(volume)) return;
  FSession.mp3().SetVolume(int(std::lround(qBound(0.0, volume, 1.0) * 100)));
  Publish();
}

qint64 TMprisService::Position() const { return FSession.TrackPosition() * 1000; }

bool TMprisService::CanGoNext() const { return FSession.Queue().QueueCount() > 0; }

bool TMprisService::CanPlay() const { return FSession.Queue().QueueCount() > 0; }

bool TMprisService::CanSeek() const { return FSession.TrackLength() > 0; }

// Announces the player properties that differ from what was announced last.
void TMprisService::Publish() {
  if (!FRegistered) return;
  const QVariantMap now{{QStringLiteral("PlaybackStatus"), PlaybackStatus()},
                        {QStringLiteral("LoopStatus"), LoopStatus()},
                        {QStringLiteral("Shuffle"), Shuffle()},
                        {QStringLiteral("Metadata"), Metadata()},
                        {QStringLiteral("Volume"), Volume()},
                        {QStringLiteral("CanGoNext"), CanGoNext()},
                        {QStringLiteral("CanGoPrevious"), CanGoNext()},
                        {QStringLiteral("CanPlay"), CanPlay()},
                        {QStringLiteral("CanPause"), CanPlay()},
                        {QStringLiteral("CanSeek"), CanSeek()}};
  QVariantMap changed;
  for (auto it = now.begin(); it != now.end(); ++it)
    if (FPublished.value(it.key()) != it.value()) changed.insert(it.key(), it.value());
  FPublished = now;
  if (!changed.isEmpty()) SendChanged(kPlayerInterface, changed);
}

void TMprisService::SendChanged(const QString& interface, const QVariantMap& changed) {
  QDBusMessage signal = QDBusMessage::createSignal(
      kObjectPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("PropertiesChanged"));
  signal << interface << changed << QStringList();
  FBus.send(signal);
}

#include "mpris_service.moc"
