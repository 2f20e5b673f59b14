#include <gtest/gtest.h>

#include <deque>
#include <random>

#include "base/mp_ring_queue.h"

// Against std::deque over a long random mix of pushes, pops and removals, through growth and
// wrap-around.
TEST(RingQueue, BehavesLikeADeque) {
  TMPRingQueue<int> ring(2);
  std::deque<int> model;
  std::mt19937 random(3);
  for (int step = 0; step < 20000; ++step) {
    const unsigned op = random() % 10;
    if (op < 5) {
      ring.push_back(step);
      model.push_back(step);
    } else if (op < 6) {
      ring.push_front(step);
      model.push_front(step);
    } else if (op < 9 && !model.empty()) {
      ASSERT_EQ(ring.pop_front(), model.front());
      model.pop_front();
    } else {
      const int modulus = 2 + static_cast<int>(random() % 5);
      ring.remove_if([&](int v) { return v % modulus == 0; });
      std::erase_if(model, [&](int v) { return v % modulus == 0; });
    }
    ASSERT_EQ(ring.size(), model.size());
    if (!model.empty()) {
      ASSERT_EQ(ring.front(), model.front());
      ASSERT_EQ(ring[model.size() - 1], model.back());
    }
  }
  EXPECT_EQ(ring.any_of([](int v) { return v == -1; }), false);
  ring.clear();
  EXPECT_TRUE(ring.empty());
}
