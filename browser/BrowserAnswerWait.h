#pragma once
// How long the window's thread waits for a browser to answer the calls that pick it and
// connect to it before it gives the browser up as not answering.
#include <windows.h>

// A browser answers the handful of calls of picking and connecting in well under a second
// here; one kept busy by a script answers within a second or two; one that has not answered
// after three is hung for all a user can tell (the listing gives up on a browser after as
// long).
constexpr DWORD kBrowserAnswerWaitMs = 3000;

// The limit in force: kBrowserAnswerWaitMs, unless a LongerBrowserAnswerWait is alive.
inline DWORD& BrowserAnswerWaitMs() {
  static DWORD limit = kBrowserAnswerWaitMs;
  return limit;
}

// Lengthens the limit while it lives, so that a wait that ends for another reason (its
// window closing) is told apart from one that ran out, however slow the machine.
class LongerBrowserAnswerWait {
 public:
  explicit LongerBrowserAnswerWait(DWORD ms) : m_previous(BrowserAnswerWaitMs()) { BrowserAnswerWaitMs() = ms; }
  ~LongerBrowserAnswerWait() { BrowserAnswerWaitMs() = m_previous; }
  LongerBrowserAnswerWait(const LongerBrowserAnswerWait&) = delete;
  LongerBrowserAnswerWait& operator=(const LongerBrowserAnswerWait&) = delete;

 private:
  DWORD m_previous;
};
