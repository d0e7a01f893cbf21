#pragma once
// Captures the program's message boxes while it lives: each call is recorded and answered
// with IDOK (or the answer set) instead of blocking on a real message box.
#include <windows.h>

#include <string>
#include <vector>

struct RecordedMessageBox {
  HWND owner;
  std::string text;
  std::string caption;
  UINT type;
};

class MessageBoxRecorder {
 public:
  MessageBoxRecorder();
  ~MessageBoxRecorder();
  MessageBoxRecorder(const MessageBoxRecorder&) = delete;
  MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

  const std::vector<RecordedMessageBox>& Boxes() const { return m_boxes; }
  void Clear() { m_boxes.clear(); }
  // The button every later box is answered with (IDYES, IDNO, IDCANCEL...).
  void SetAnswer(int answer);

 private:
  static int Record(HWND owner, const char* text, const char* caption, UINT type);

  std::vector<RecordedMessageBox> m_boxes;
  int (*m_previous)(HWND, const char*, const char*, UINT);
};
