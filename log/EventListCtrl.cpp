#include "log/EventListCtrl.h"

#include <cstdio>
#include <string>

#include "framework/FrameworkMessages.h"
#include "log/MeasureText.h"
#include "res/resource.h"

ORMIX_IMPLEMENT_DYNAMIC(CEventListCtrl, CListCtrl)

ORMIX_BEGIN_MESSAGE_MAP(CEventListCtrl, CListCtrl)
  msgmap::Create<&CEventListCtrl::OnCreate>(),
  msgmap::Destroy<&CEventListCtrl::OnDestroy>(),
  msgmap::Message<&CEventListCtrl::OnFlushDeferredPaint>(WM_FLUSHDEFERREDPAINT),
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
  if (m_bBurst) ::KillTimer(m_hWnd, kBurstTimerId);
  m_bBurst = false;  // the window goes, and with it what the burst left to do
  Unadvise();
  CListCtrl::OnDestroy();
}

// Under Wine, inserting a row into a visible list with redraw on costs about 20 ms (the
// scroll bar is redrawn) and scrolling it 7 ms more, while the browser waits in its event
// call. With redraw off the same row costs well under a millisecond; so the first row of a
// burst switches redraw off, and the end of the burst puts back the picture the per-row
// work would have left: the newest row in view and the parameter column wide enough.
// Events from another process come a millisecond or two apart and never wait in this
// thread's queue, so the end of a burst is a short quiet time rather than an empty queue:
// ending it between two such events would repaint the list while the browser waits.
void CEventListCtrl::BeginBurst() {
  m_bBurst = true;
  m_nBurstFirstRow = GetItemCount();
  m_dwBurstStart = ::GetTickCount();
  // Only a shown list stops redrawing: turning redraw on again shows a window, so a
  // hidden list (a tab in the background) defers its scrolling and measuring only.
  m_bRedrawOff = ::IsWindowVisible(m_hWnd) != FALSE;
  if (m_bRedrawOff) SendMessage(WM_SETREDRAW, FALSE);
  // Without a timer no end would come: the row is then finished at once.
  if (!::SetTimer(m_hWnd, kBurstTimerId, kBurstQuietMs, &CEventListCtrl::BurstTimerProc)) m_bBurst = false;
}

void CALLBACK CEventListCtrl::BurstTimerProc(HWND hWnd, UINT, UINT_PTR, DWORD) {
  if (auto* self = dynamic_cast<CEventListCtrl*>(CWnd::FromHandlePermanent(hWnd))) self->OnBurstTimer();
}

void CEventListCtrl::OnBurstTimer() {
  const DWORD now = ::GetTickCount();
  if (now - m_dwLastRow < kBurstQuietMs && now - m_dwBurstStart < kMaxBurstMs) return;
  FlushPendingRows();
}

LRESULT CEventListCtrl::OnFlushDeferredPaint(WPARAM, LPARAM) {
  FlushPendingRows();
  return 0;
}

void CEventListCtrl::FlushPendingRows() {
  if (!m_bBurst) return;
  m_bBurst = false;
  ::KillTimer(m_hWnd, kBurstTimerId);
  const int count = GetItemCount();
  // Widening first: a wider column can bring a horizontal scroll bar, which would cover the
  // newest row had the list already been scrolled to it.
  WidenParamColumn(m_nBurstFirstRow, count);
  if (m_bRedrawOff) SendMessage(WM_SETREDRAW, TRUE);
  m_bRedrawOff = false;
  // All of the list, its header too, is marked for painting before it scrolls: a list that
  // paints as it scrolls then paints each row once, not the scrolled rows and then all again.
  ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
  // Only with redraw on does the list scroll; before, it would stay at the top.
  if (count > 0) EnsureVisible(count - 1, FALSE);
}

void CEventListCtrl::WidenParamColumn(int first, int last) {
  int widest = 0;
  for (int item = first < 0 ? 0 : first; item < last; ++item) {
    const std::string measured = GetItemText(item, 3) + "00";
    const int width = TextWidth(measured.c_str());
    if (width > widest) widest = width;
  }
  if (widest > m_nParamColumnWidth) {
    m_nParamColumnWidth = widest;
    SetColumnWidth(3, m_nParamColumnWidth);
  }
}

namespace {
CEventListCtrl::ClockSource& ClockSlot() {
  static CEventListCtrl::ClockSource source = &::GetLocalTime;
  return source;
}
}  // namespace

CEventListCtrl::ClockSource CEventListCtrl::SetClockSource(ClockSource source) {
  const ClockSource previous = ClockSlot();
  ClockSlot() = source ? source : &::GetLocalTime;
  return previous;
}

BOOL CEventListCtrl::AppendRow(const char* name, const char* text, int image) {
  char number[16];
  std::snprintf(number, sizeof(number), "%08ld", static_cast<long>(m_nNextNumber));
  ++m_nNextNumber;

  SYSTEMTIME now = {};
  ClockSlot()(&now);
  char clock[16] = "";
  std::snprintf(clock, sizeof(clock), "%02u:%02u:%02u", static_cast<unsigned>(now.wHour),
                static_cast<unsigned>(now.wMinute), static_cast<unsigned>(now.wSecond));

  if (!m_bBurst && m_hWnd) BeginBurst();
  m_dwLastRow = ::GetTickCount();
  const int item = InsertItem(GetItemCount(), number, image);
  SetItemText(item, 1, clock);
  SetItemText(item, 2, name);
  SetItemText(item, 3, text);
  if (!m_bBurst) {  // no burst could be started: scroll and measure now
    m_nBurstFirstRow = item;
    m_bBurst = true;
    FlushPendingRows();
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

void CEventListCtrl::OnAdvisedWithin() { AddMessageRow("", kStartedMessage, kImageRecording); }

void CEventListCtrl::SetListFont(HFONT hFont, BOOL bRedraw) {
  FlushPendingRows();
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
  FlushPendingRows();
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
