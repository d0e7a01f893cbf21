#include "events/EventMask.h"

EventMask::EventMask() {
  for (int i = 0; i < kFlagCount; ++i) m_flags[i] = 1;
}

EventMask::EventMask(const EventMask& other) {
  for (int i = 0; i < kFlagCount; ++i) m_flags[i] = other.m_flags[i];
}
