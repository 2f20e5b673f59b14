#include "core/platform/single_instance.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QDir>
#include <QLockFile>
#include <QSocketNotifier>
#include <QtGlobal>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

// A hand-over is a run of fields, each ended by a zero byte, and one more zero byte: "VARO1",
// then "E" for enqueue, "T" + token, "F" + path for each file. The answer is one byte "K".
namespace {

constexpr char kMagic[] = "VARO1";
constexpr char kAnswer = 'K';
// The running player answers from its event loop, which may still be building its windows.
constexpr int kAnswerTimeoutMs = 10000;
constexpr qsizetype kMaxHandOverBytes = 1 << 20;

QByteArray Encode(const THandOver& h) {
  QByteArray message(kMagic);
  message.append('\0');
  if (h.Enqueue) message.append("E", 2);
  if (!h.ActivationToken.isEmpty()) message.append('T' + h.ActivationToken.toUtf8()).append('\0');
  for (const QString& file : h.Files) message.append('F' + QFile::encodeName(file)).append('\0');
  message.append('\0');
  return message;
}

bool Decode(const QByteArray& message, THandOver& h) {
  const QList<QByteArray> fields = message.split('\0');
  if (fields.isEmpty() || fields.first() != kMagic) return false;
  for (qsizetype i = 1; i < fields.size(); ++i) {
    const QByteArray& f = fields[i];
    if (f.isEmpty()) continue;
    if (f == "E")
      h.Enqueue = true;
    else if (f.front() == 'T')
      h.ActivationToken = QString::fromUtf8(f.mid(1));
    else if (f.front() == 'F')
      h.Files.append(QFile::decodeName(f.mid(1)));
  }
  return true;
}

bool Complete(const QByteArray& buffer) { return buffer.endsWith(QByteArray("\0\0", 2)); }

class TFd {
 public:
  explicit TFd(int fd) : fd_(fd) {}
  ~TFd() {
    if (fd_ >= 0) ::close(fd_);
  }
  TFd(const TFd&) = delete;
  TFd& operator=(const TFd&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

bool SocketAddress(const QString& path, sockaddr_un& address) {
  const QByteArray name = QFile::encodeName(path);
  address = sockaddr_un{};
  address.sun_family = AF_UNIX;
  if (size_t(name.size()) >= sizeof(address.sun_path)) return false;
  std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
  return true;
}

bool WriteAll(int fd, const QByteArray& data) {
  qsizetype done = 0;
  while (done < data.size()) {
    const ssize_t n = ::send(fd, data.constData() + done, size_t(data.size() - done), MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += n;
  }
  return true;
}

}  // namespace

QString InstanceSocketPath(const QString& home) {
  const QByteArray key =
      QCryptographicHash::hash(QDir(home).absolutePath().toUtf8(), QCryptographicHash::Sha256)
          .toHex()
          .left(16);
  const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (!runtime.isEmpty() && QDir(runtime).exists())
    return runtime + QStringLiteral("/varo-") + QString::fromLatin1(key) + QStringLiteral(".socket");
  return QDir::tempPath() +
         QStringLiteral("/varo-%1-%2.socket").arg(::getuid()).arg(QString::fromLatin1(key));
}

THandOverResult HandOverToRunningInstance(const QString& home, const THandOver& handOver) {
  sockaddr_un address;
  if (!SocketAddress(InstanceSocketPath(home), address)) return THandOverResult::NoInstance;
  const TFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (fd.get() < 0) return THandOverResult::NoInstance;
  // Refused or missing: no player runs, or a crashed one left its socket behind.
  if (::connect(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0)
    return THandOverResult::NoInstance;
  if (!WriteAll(fd.get(), Encode(handOver))) return THandOverResult::NoAnswer;
  pollfd wait{fd.get(), POLLIN, 0};
  int ready;
  do ready = ::poll(&wait, 1, kAnswerTimeoutMs);
  while (ready < 0 && errno == EINTR);
  char answer = 0;
  if (ready == 1 && ::read(fd.get(), &answer, 1) == 1 && answer == kAnswer) return THandOverResult::Done;
  return THandOverResult::NoAnswer;
}

TSingleInstance::TSingleInstance(const QString& home, QObject* parent)
    : QObject(parent), FSocketPath(InstanceSocketPath(home)) {}

TSingleInstance::~TSingleInstance() {
  if (FListenFd < 0) return;
  delete FListener;
  ::close(FListenFd);
  ::unlink(QFile::encodeName(FSocketPath).constData());  // before the lock goes
}

bool TSingleInstance::Claim() {
  if (FLock) return true;
  auto lock = std::make_unique<QLockFile>(FSocketPath.chopped(7) + QStringLiteral(".lock"));
  // Only a live holder counts: a lock of a process that is gone is stale at any age.
  lock->setStaleLockTime(0);
  if (!lock->tryLock(0)) return false;
  FLock = std::move(lock);
  // Without a socket (a runtime folder that cannot hold one) this player runs on alone.
  Listen();
  return true;
}

bool TSingleInstance::Listen() {
  sockaddr_un address;
  if (!SocketAddress(FSocketPath, address)) return false;
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) return false;
  ::unlink(address.sun_path);        // left by a crash; the lock says nobody uses it
  const mode_t mask = ::umask(077);  // this user's later starts only
  const bool bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
  ::umask(mask);
  if (!bound || ::listen(fd, 8) != 0) {
    ::close(fd);
    return false;
  }
  FListenFd = fd;
  FListener = new QSocketNotifier(fd, QSocketNotifier::Read, this);
  connect(FListener, &QSocketNotifier::activated, this, &TSingleInstance::Accept);
  return true;
}

void TSingleInstance::Accept() {
  for (;;) {
    const int fd = ::accept4(FListenFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd < 0) return;
    auto* notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    notifier->setProperty("handOver", QByteArray());
    connect(notifier, &QSocketNotifier::activated, this, [this, fd, notifier] { Read(fd, notifier); });
  }
}

// Reads what has arrived; a complete hand-over is answered and announced, and the connection
// ends with it or when the other side goes away first.
void TSingleInstance::Read(int fd, QSocketNotifier* notifier) {
  QByteArray buffer = notifier->property("handOver").toByteArray();
  char chunk[4096];
  bool ended = false;
  for (;;) {
    const ssize_t n = ::read(fd, chunk, sizeof(chunk));
    if (n > 0) {
      buffer.append(chunk, n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    ended = n == 0 || errno != EAGAIN;
    break;
  }
  THandOver h;
  const bool complete = Complete(buffer);
  const bool valid = complete && Decode(buffer, h);
  if (!complete && !ended && buffer.size() < kMaxHandOverBytes) {
    notifier->setProperty("handOver", buffer);
    return;
  }
  if (valid) (void)::send(fd, &kAnswer, 1, MSG_NOSIGNAL);
  notifier->setEnabled(false);
  notifier->deleteLater();
  ::close(fd);
  if (!valid) return;
  if (FHeld)
    FKept.append(h);
  else
    emit HandedOver(h.Files, h.Enqueue, h.ActivationToken);
}

void TSingleInstance::ReleaseHandOvers() {
  FHeld = false;
  for (const THandOver& h : std::exchange(FKept, {})) emit HandedOver(h.Files, h.Enqueue, h.ActivationToken);
}
