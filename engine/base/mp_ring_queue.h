// A first-in first-out queue on a circular buffer that only ever grows: once it has held its
// busiest load, pushing and popping allocate nothing (a std::deque allocates and frees its
// blocks as the queue moves along).
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

template <typename T>
class TMPRingQueue {
 public:
  explicit TMPRingQueue(size_t capacity = 16) : items_(capacity > 0 ? capacity : 1) {}

  bool empty() const { return count_ == 0; }
  size_t size() const { return count_; }
  T& front() { return items_[head_]; }
  T& operator[](size_t i) { return items_[(head_ + i) % items_.size()]; }
  const T& operator[](size_t i) const { return items_[(head_ + i) % items_.size()]; }

  void push_back(T item) {
    if (count_ == items_.size()) Grow();
    items_[(head_ + count_) % items_.size()] = std::move(item);
    ++count_;
  }
  void push_front(T item) {
    if (count_ == items_.size()) Grow();
    head_ = (head_ + items_.size() - 1) % items_.size();
    items_[head_] = std::move(item);
    ++count_;
  }
  T pop_front() {
    T item = std::move(items_[head_]);
    items_[head_] = T();
    head_ = (head_ + 1) % items_.size();
    --count_;
    return item;
  }
  void clear() {
    while (!empty()) pop_front();
  }
  // Removes every item for which pred holds, keeping the order of the others.
  template <typename Pred>
  void remove_if(Pred pred) {
    size_t kept = 0;
    for (size_t i = 0; i < count_; ++i) {
      T& item = (*this)[i];
      if (pred(item)) continue;
      if (kept != i) (*this)[kept] = std::move(item);
      ++kept;
    }
    for (size_t i = kept; i < count_; ++i) (*this)[i] = T();
    count_ = kept;
  }
  template <typename Pred>
  bool any_of(Pred pred) const {
    for (size_t i = 0; i < count_; ++i)
      if (pred((*this)[i])) return true;
    return false;
  }

 private:
  void Grow() {
    std::vector<T> bigger(items_.size() * 2);
    for (size_t i = 0; i < count_; ++i) bigger[i] = std::move((*this)[i]);
    items_.swap(bigger);
    head_ = 0;
  }

  std::vector<T> items_;
  size_t head_ = 0;
  size_t count_ = 0;
};
