#pragma once
// The set of events that a log records: 33 flags indexed by mask index (0 to 32), all set
// at construction. Index 9 belongs to no event. A flag counts as set when it is non-zero.
// Masks are copied flag by flag, all 33 of them.
#include <cstdint>

class EventMask {
 public:
  static constexpr int kFlagCount = 33;

  EventMask();
  EventMask(const EventMask& other);
  virtual ~EventMask() = default;

  int Get(int index) const { return m_flags[index]; }
  void Set(int index, int value) { m_flags[index] = value; }

 private:
  EventMask& operator=(const EventMask&) = delete;

  int32_t m_flags[kFlagCount];
};
