#include "log/EventListCtrl.h"

#include <cstdio>
#include <ctime>
#include <string>

#include "log/MeasureText.h"
#include "res/resource.h"

ORMIX_IMPLEMENT_DYNAMIC(CEventListCtrl, CListCtrl)

ORMIX_BEGIN_MESSAGE_MAP(CEventListCtrl, CListCtrl)
  msgmap::Create<&CEventListCtrl::OnCreate>(),
  msgmap::Destroy<&CEventListCtrl::OnDestroy>(),
  msgmap::Command<&CEventListCtrl::ResumeRecording>(ID_RECORD_RESUME),
  msgmap::UpdateCommand<&CEventListCtrl::OnUpdateRecordResume>(ID_RECORD_RESUME),
  msgmap::Command<&CEventListCtrl::StopRecording>(ID_RECORD_STOP),
  msgmap::UpdateCommand<&CEventListCtrl::OnUpdateRecordStop>(ID_RECORD_STOP),
  msgmap::Command<&CEventListCtrl::OnSaveLog>(ID_FILE_SAVE_LOG),
  msgmap::UpdateCommand<&CEventListCtrl::OnUpdateFileSaveLog>(ID_FILE_SAVE_LOG),
  msgmap::Command<&CEventListCtrl::OnCopy>(ID_EDIT_COPY),
  msgmap::UpdateCommand<&CEventListCtrl::OnUpdateEditCopy>(ID_EDIT_COPY),
  msgmap::Command<&CEventListCtrl::ClearLog>(ID_LOG_CLEAR),
  msgmap::UpdateCommand<&CEventListCtrl::OnUpdateLogClear>(ID_LOG_CLEAR),
ORMIX_END_MESSAGE_MAP()

namespace {

const char kStartedMessage[] = "イベントの記録を開始しました。";
const char kResumedMessage[] = "イベントの記録を再開しました。";
const char kStoppedMessage[] = "イベントの記録を停止しました。";

// Sample texts that size the fixed columns.
const char kNumberSample[] = "ABCEF00000";
const char kTimeSample[] = "00:00:0000";
const char kEventNameSample[] = "DIID_DWebBrowserEvents2::CommandStateChange00";
constexpr int kNumberColumnPadding = 16;

}  // namespace

CEventListCtrl::CEventListCtrl()
    : m_nNextNumber(1),
      m_bRecording(TRUE),
      m_nParamColumnWidth(kInitialParamColumnWidth),
      m_pTitleObserver(nullptr) {}

CEventListCtrl::~CEventListCtrl() {
  // Destroy the window while this object is still whole, so WM_DESTROY unadvises.
  if (m_hWnd) DestroyWindow();
}

int CEventListCtrl::TextWidth(const char* text) {
  int width = 0;
  int height = 0;
  MeasureText(m_hWnd, GetFont(), text, width, height);
  return width;
}

void CEventListCtrl::MeasureFixedColumns() {
  SetColumnWidth(0, TextWidth(kNumberSample) + kNumberColumnPadding);
  SetColumnWidth(1, TextWidth(kTimeSample));
  SetColumnWidth(2, TextWidth(kEventNameSample));
}

int CEventListCtrl::OnCreate(LPCREATESTRUCTA cs) {
  if (CListCtrl::OnCreate(cs) == -1) return -1;

  InsertColumn(0, "番号", LVCFMT_CENTER);
  // The first column takes its alignment only when set after insertion.
  LVCOLUMNA format = {};
  format.mask = LVCF_FMT;
  format.fmt = LVCFMT_CENTER;
  SetColumn(0, &format);
  InsertColumn(1, "日時", LVCFMT_CENTER);
  InsertColumn(2, "イベント名", LVCFMT_LEFT);
  MeasureFixedColumns();

  m_nParamColumnWidth = kInitialParamColumnWidth;
  InsertColumn(3, "パラメータ", LVCFMT_LEFT);
  SetColumnWidth(3, m_nParamColumnWidth);
  return 0;
}

void CEventListCtrl::OnDestroy() {
  Unadvise();
  CListCtrl::OnDestroy();
}

BOOL CEventListCtrl::AppendRow(const char* name, const char* text, int image) {
  char number[16];
  std::snprintf(number, sizeof(number), "%08ld", static_cast<long>(m_nNextNumber));
  ++m_nNextNumber;

  char clock[16] = "";
  const std::time_t now = std::time(nullptr);
  if (const std::tm* local = std::localtime(&now))
    std::strftime(clock, sizeof(clock), "%H:%M:%S", local);

  const int item = InsertItem(GetItemCount(), number, image);
  SetItemText(item, 1, clock);
  SetItemText(item, 2, name);
  SetItemText(item, 3, text);
  Scroll(0, 1024);

  const std::string measured = std::string(text) + "00";
  const int width = TextWidth(measured.c_str());
  if (width > m_nParamColumnWidth) {
    m_nParamColumnWidth = width;
    SetColumnWidth(3, m_nParamColumnWidth);
  }
  return TRUE;
}

BOOL CEventListCtrl::AddEventRow(const char* name, const char* params) {
  if (!m_bRecording) return TRUE;
  return AppendRow(name, params, kImageEvent);
}

BOOL CEventListCtrl::AddMessageRow(const char* name, const char* message, int image) {
  return AppendRow(name, message, image);
}

BOOL CEventListCtrl::Connect(IUnknown* browser) {
  if (!CBrowserEventConnection::Connect(browser)) return FALSE;
  AddMessageRow("", kStartedMessage, kImageRecording);
  return TRUE;
}

void CEventListCtrl::SetListFont(HFONT hFont, BOOL bRedraw) {
  SetFont(hFont, bRedraw);
  MeasureFixedColumns();
  ::InvalidateRect(m_hWnd, nullptr, TRUE);
  UpdateWindow();
}

void CEventListCtrl::ResumeRecording() {
  if (m_bRecording) return;
  m_bRecording = TRUE;
  AddMessageRow("", kResumedMessage, kImageRecording);
}

void CEventListCtrl::StopRecording() {
  if (!m_bRecording) return;
  AddMessageRow("", kStoppedMessage, kImageRecording);
  m_bRecording = FALSE;
}

void CEventListCtrl::ClearLog() {
  DeleteAllItems();
  m_nNextNumber = 1;
  if (m_bRecording) AddMessageRow("", kStartedMessage, kImageRecording);
}

void CEventListCtrl::OnUpdateRecordResume(CCmdUI* pCmdUI) {
  pCmdUI->Enable(IsAttached() && !m_bRecording);
}

void CEventListCtrl::OnUpdateRecordStop(CCmdUI* pCmdUI) {
  pCmdUI->Enable(IsAttached() && m_bRecording);
}

void CEventListCtrl::OnUpdateFileSaveLog(CCmdUI* pCmdUI) {
  pCmdUI->Enable(!IsAttached() || !m_bRecording);
}

void CEventListCtrl::OnUpdateEditCopy(CCmdUI* pCmdUI) {
  pCmdUI->Enable(GetNextItem(-1, LVNI_SELECTED) != -1);
}

void CEventListCtrl::OnUpdateLogClear(CCmdUI* pCmdUI) { pCmdUI->Enable(GetItemCount() > 0); }
