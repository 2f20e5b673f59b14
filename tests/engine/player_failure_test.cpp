// TMP3Player when the world fails it: a device write that fails after the last buffer was
// queued, a decoding priority the system refuses, and input from a pipe whose writer stalls.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <dirent.h>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <csignal>
#include <cstring>
#include <fstream>
#include <mutex>
#include <thread>

#include "base/application_error.h"
#include "player_harness.h"

namespace {

using namespace std::chrono_literals;

const std::string kLayer2 = "layer2/l2_mpeg1_44k_stereo_128_speech_en.mp2";  // 77 frames, 2 s
constexpr size_t kStereoFrameBytes = 1152 * 2 * 2;
constexpr size_t kBytesPerSecond = 44100 * 2 * 2;
constexpr size_t kWavHeaderBytes = 44;

// Limits the size of files this process writes, and lets writes past it fail with EFBIG
// instead of a signal; both restored on leaving.
class TFileSizeLimit {
 public:
  explicit TFileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~TFileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, oldHandler_);
  }

 private:
  rlimit saved_{};
  void (*oldHandler_)(int) = nullptr;
};

struct TDisplayGuard {
  ~TDisplayGuard() { SetApplicationErrorDisplay(nullptr); }
};

// The kernel's id of this process's thread with the given name; 0 when there is none.
pid_t ThreadNamed(const std::string& name) {
  pid_t found = 0;
  DIR* dir = opendir("/proc/self/task");
  if (dir == nullptr) return 0;
  while (dirent* entry = readdir(dir)) {
    if (entry->d_name[0] == '.') continue;
    std::ifstream comm(std::string("/proc/self/task/") + entry->d_name + "/comm");
    std::string text;
    if (std::getline(comm, text) && text == name) found = static_cast<pid_t>(std::stoi(entry->d_name));
  }
  closedir(dir);
  return found;
}

// A named pipe whose writer writes the head it is given and then stalls, holding the pipe
// open, until released.
class TStalledPipe {
 public:
  TStalledPipe(const std::string& path, std::vector<uint8_t> head) : path_(path), head_(std::move(head)) {
    EXPECT_EQ(mkfifo(path.c_str(), 0600), 0);
    writer_ = std::thread([this, path] {
      const int fd = open(path.c_str(), O_WRONLY | O_CLOEXEC);  // waits for the reader
      for (size_t at = 0; fd >= 0 && at < head_.size();) {
        const ssize_t n = write(fd, head_.data() + at, head_.size() - at);
        if (n <= 0) break;
        at += static_cast<size_t>(n);
      }
      std::unique_lock lock(mutex_);
      released_.wait(lock, [this] { return release_; });
      if (fd >= 0) close(fd);
    });
  }
  ~TStalledPipe() {
    Release();
    const int reader = open(path_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);  // a writer still opening
    writer_.join();
    if (reader >= 0) close(reader);
  }
  void Release() {
    std::lock_guard lock(mutex_);
    release_ = true;
    released_.notify_all();
  }

 private:
  std::string path_;
  std::vector<uint8_t> head_;
  std::mutex mutex_;
  std::condition_variable released_;
  bool release_ = false;
  std::thread writer_;
};

// Ends the pipe's stall after a generous time, so a hanging test fails instead of hanging.
class TWatchdog {
 public:
  explicit TWatchdog(TStalledPipe& pipe) {
    thread_ = std::thread([this, &pipe] {
      std::unique_lock lock(mutex_);
      if (!changed_.wait_for(lock, 10s, [this] { return done_; })) {
        fired_ = true;
        pipe.Release();
      }
    });
  }
  ~TWatchdog() {
    if (thread_.joinable()) Finish();
  }
  // True when the watchdog had to end the stall.
  bool Finish() {
    {
      std::lock_guard lock(mutex_);
      done_ = true;
      changed_.notify_all();
    }
    thread_.join();
    return fired_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool done_ = false;
  bool fired_ = false;
  std::thread thread_;
};

}  // namespace

// The file limit is reached 0.8 s before the end, after the last buffer was queued: no later
// write reports it, so the end of the data must, as an error, never as the end.
TEST(PlayerFailure, WriteFailingAfterTheLastQueuedBufferEndsWithAnError) {
  TDisplayGuard guard;
  std::vector<std::string> shown;
  SetApplicationErrorDisplay([&](const std::exception& error) { shown.push_back(error.what()); });
  const size_t pcmBytes = SplitFrames(ReadFileBytes(CorpusPath(kLayer2))).size() * kStereoFrameBytes;
  TPlayerHarness h(50);
  h.Player().SetFileName(CorpusPath(kLayer2));
  {
    TFileSizeLimit limit(kWavHeaderBytes + pcmBytes - kBytesPerSecond * 8 / 10);
    h.Player().Play();
    ASSERT_TRUE(h.PumpUntil([&] { return !h.endReasons.empty(); }));
  }
  EXPECT_EQ(h.endReasons, std::vector<TMP3EndPlayReason>{merError});
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0], std::string(std::strerror(EFBIG)) + "(TSoundOut.WaveWrite)");
  EXPECT_EQ(h.Player().Status(), mpsStopped);
}

// The property is the priority in effect: what the system refused, or changed behind the
// player's back, shows.
TEST(PlayerFailure, DecodePriorityIsThePriorityInEffect) {
  TPlayerHarness h(50, false);
  TMP3Player& p = h.Player();
  const pid_t decoder = ThreadNamed("varo-decoder");
  ASSERT_NE(decoder, 0);
  const std::pair<TThreadPriority, int> lowering[] = {{tpNormal, 0}, {tpLower, 5}, {tpIdle, 19}};
  for (const auto& [priority, nice] : lowering) {
    EXPECT_EQ(p.SetDecodePriority(priority), 0);
    EXPECT_EQ(p.DecodePriority(), priority);
    EXPECT_EQ(getpriority(PRIO_PROCESS, static_cast<id_t>(decoder)), nice);
  }
  // Back to normal needs the privilege to lower a nice value.
  const int refused = p.SetDecodePriority(tpNormal);
  EXPECT_EQ(p.DecodePriority(), refused == 0 ? tpNormal : tpIdle);
  if (geteuid() != 0) {
    EXPECT_NE(refused, 0);
  }
  ASSERT_EQ(setpriority(PRIO_PROCESS, static_cast<id_t>(decoder), 10), 0);
  EXPECT_EQ(p.DecodePriority(), tpLowest);
}

// A pipe whose writer has stalled holds the decoding thread in a read: Stop, Close and
// destroying the player still return (a watchdog ends the stall after 10 s and fails the test).
TEST(PlayerFailure, StalledPipeNeverHoldsUpStopCloseOrDestruction) {
  const std::vector<uint8_t> bytes = ReadFileBytes(CorpusPath(kLayer2));
  for (const char* how : {"stop", "close", "destroy"}) {
    SCOPED_TRACE(how);
    TTempDir dir;
    TStalledPipe pipe(dir.File("fifo"), std::vector<uint8_t>(bytes.begin(), bytes.begin() + 16384));
    TWatchdog watchdog(pipe);
    auto h = std::make_unique<TPlayerHarness>(50);
    h->Player().SetFileName(dir.File("fifo"));
    h->Player().Play();
    // Once something was heard the decoder runs ahead into the empty pipe.
    EXPECT_TRUE(h->PumpUntil([&] { return !h->Played().empty(); }));
    std::this_thread::sleep_for(200ms);
    if (how == std::string("stop")) h->Player().Stop();
    if (how == std::string("close")) h->Player().Close();
    if (how == std::string("destroy")) h.reset();
    EXPECT_FALSE(watchdog.Finish());
    if (h) {
      EXPECT_FALSE(h->Player().IsOpen());
    }
  }
}
