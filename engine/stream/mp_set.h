// A small set of enumeration members, stored as a bit mask in declaration order (bit 0 first).
#pragma once

#include <cstdint>
#include <initializer_list>

template <typename E>
class TMPSet {
 public:
  constexpr TMPSet() = default;
  constexpr TMPSet(std::initializer_list<E> members) {
    for (E m : members) bits_ |= Bit(m);
  }

  static constexpr TMPSet FromBits(uint32_t bits) {
    TMPSet s;
    s.bits_ = bits;
    return s;
  }
  constexpr uint32_t Bits() const { return bits_; }

  constexpr bool Contains(E m) const { return (bits_ & Bit(m)) != 0; }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr TMPSet& Include(E m) {
    bits_ |= Bit(m);
    return *this;
  }
  constexpr TMPSet& Exclude(E m) {
    bits_ &= ~Bit(m);
    return *this;
  }

  friend constexpr TMPSet operator|(TMPSet a, TMPSet b) { return FromBits(a.bits_ | b.bits_); }
  friend constexpr TMPSet operator&(TMPSet a, TMPSet b) { return FromBits(a.bits_ & b.bits_); }
  friend constexpr bool operator==(TMPSet a, TMPSet b) { return a.bits_ == b.bits_; }

 private:
  static constexpr uint32_t Bit(E m) { return uint32_t{1} << static_cast<unsigned>(m); }
  uint32_t bits_ = 0;
};
