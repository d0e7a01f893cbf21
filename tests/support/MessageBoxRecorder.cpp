#include "support/MessageBoxRecorder.h"

#include "framework/MessageBox.h"

namespace {
std::vector<RecordedMessageBox>* g_boxes = nullptr;
int g_answer = IDOK;
}  // namespace

MessageBoxRecorder::MessageBoxRecorder() : m_previous(SetMessageBoxHook(&MessageBoxRecorder::Record)) {
  g_boxes = &m_boxes;
  g_answer = IDOK;
}

void MessageBoxRecorder::SetAnswer(int answer) { g_answer = answer; }

MessageBoxRecorder::~MessageBoxRecorder() {
  SetMessageBoxHook(m_previous);
  g_boxes = nullptr;
  g_answer = IDOK;
}


int MessageBoxRecorder::Record(HWND owner, const char* text, const char* caption, UINT type) {
  if (g_boxes) g_boxes->push_back({owner, text ? text : "", caption ? caption : "", type});
  return g_answer;
}
