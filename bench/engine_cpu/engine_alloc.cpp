// Plays a file through the null device and counts the heap allocations each thread makes
// from Play to the end of play. The decoding thread is meant to make none.
//   varo_engine_alloc FILE [SPEED]
#include <pthread.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "player/mp3_player.h"

namespace {

struct ThreadCount {
  char Name[16];
  long Count;
};
ThreadCount counts[64];
int used = 0;
std::atomic_flag tableLock = ATOMIC_FLAG_INIT;
std::atomic<bool> counting{false};

void CountAllocation() {
  if (!counting.load(std::memory_order_relaxed)) return;
  char name[16] = {};
  pthread_getname_np(pthread_self(), name, sizeof name);
  while (tableLock.test_and_set(std::memory_order_acquire)) {
  }
  int i = 0;
  while (i < used && std::strcmp(counts[i].Name, name) != 0) ++i;
  if (i == used && used < 64) {
    std::memcpy(counts[i].Name, name, sizeof name);
    counts[i].Count = 0;
    ++used;
  }
  if (i < 64) ++counts[i].Count;
  tableLock.clear(std::memory_order_release);
}

}  // namespace

void* operator new(std::size_t size) {
  CountAllocation();
  if (void* p = std::malloc(size != 0 ? size : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: varo_engine_alloc FILE [SPEED]\n");
    return 2;
  }
  pthread_setname_np(pthread_self(), "main");
  const std::string speed = argc > 2 ? argv[2] : "20";
  try {
    TMP3Player player;
    player.SetAutoPlay(false);
    player.SetAudioDevice("null:" + speed);
    player.SetFileName(argv[1]);
    bool ended = false;
    player.OnEndPlay = [&](TMP3Player&, TMP3EndPlayReason) { ended = true; };
    counting = true;
    player.Play();
    while (!ended) {
      player.WaitForMessages(100);
      player.ProcessMessages();
    }
    counting = false;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "varo_engine_alloc: %s\n", error.what());
    return 1;
  }
  long decoder = 0;
  std::printf("heap allocations from Play to the end of play, by thread:\n");
  for (int i = 0; i < used; ++i) {
    std::printf("  %-16s %ld\n", counts[i].Name, counts[i].Count);
    if (std::strcmp(counts[i].Name, "varo-decoder") == 0) decoder = counts[i].Count;
  }
  std::printf("decode loop allocations: %ld (target 0)\n", decoder);
  return 0;
}
