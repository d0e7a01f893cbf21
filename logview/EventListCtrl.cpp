#include "logview/EventListCtrl.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "framework/ChildNotifyReflector.h"
#include "framework/FrameworkMessages.h"
#include "framework/StandardIds.h"
#include "logview/MeasureText.h"
#include "res/resource.h"

ORMIX_IMPLEMENT_DYNAMIC(CEventListCtrl, CListCtrl)

ORMIX_BEGIN_MESSAGE_MAP(CEventListCtrl, CListCtrl)
  msgmap::Create<&CEventListCtrl::OnCreate>(),
  msgmap::Destroy<&CEventListCtrl::OnDestroy>(),
  msgmap::NotifyReflect<&CEventListCtrl::OnGetDispInfo>(LVN_GETDISPINFOA),
  msgmap::Notify<&CEventListCtrl::OnCellTipText>(TTN_GETDISPINFOA, 0x4F54),
  msgmap::Mouse<&CEventListCtrl::OnMouseMove>(WM_MOUSEMOVE),
  msgmap::NotifyReflect<&CEventListCtrl::OnFindItem>(LVN_ODFINDITEMA),
  msgmap::Message<&CEventListCtrl::OnFlushDeferredPaint>(WM_FLUSHDEFERREDPAINT),
  msgmap::Command<&CEventListCtrl::ResumeRecording>(ID_RECORD_RESUME),
  msgmap::UpdateCommand<&CEventListCtrl::OnUpdateRecordResume>(ID_RECORD_RESUME),
  msgmap::Command<&CEventListCtrl::StopRecording>(ID_RECORD_STOP),
  msgmap::UpdateCommand<&CEventListCtrl::OnUpdateRecordStop>(ID_RECORD_STOP),
  msgmap::Command<&CEventListCtrl::OnSaveLog>(ID_FILE_SAVE_LOG),
  msgmap::UpdateCommand<&CEventListCtrl::OnUpdateFileSaveLog>(ID_FILE_SAVE_LOG),
  msgmap::Command<&CEventListCtrl::OnCopy>(ID_EDIT_COPY),
  msgmap::UpdateCommand<&CEventListCtrl::OnUpdateEditCopy>(ID_EDIT_COPY),
  msgmap::Command<&CEventListCtrl::OnClearLogCommand>(ID_LOG_CLEAR),
  msgmap::UpdateCommand<&CEventListCtrl::OnUpdateLogClear>(ID_LOG_CLEAR),
  msgmap::Command<&CEventListCtrl::OnFindLog>(ID_EDIT_FIND_LOG),
  msgmap::UpdateCommand<&CEventListCtrl::OnUpdateFindLog>(ID_EDIT_FIND_LOG),
  msgmap::Command<&CEventListCtrl::OnFindNextLog>(ID_EDIT_FIND_NEXT_LOG),
  msgmap::UpdateCommand<&CEventListCtrl::OnUpdateFindAgain>(ID_EDIT_FIND_NEXT_LOG),
  msgmap::Command<&CEventListCtrl::OnFindPreviousLog>(ID_EDIT_FIND_PREVIOUS_LOG),
  msgmap::UpdateCommand<&CEventListCtrl::OnUpdateFindAgain>(ID_EDIT_FIND_PREVIOUS_LOG),
  msgmap::Command<&CEventListCtrl::OnFilterLog>(ID_EDIT_FILTER_LOG),
  msgmap::UpdateCommand<&CEventListCtrl::OnUpdateFilterLog>(ID_EDIT_FILTER_LOG),
  msgmap::Command<&CEventListCtrl::ClearFilter>(ID_EDIT_CLEAR_FILTER_LOG),
  msgmap::UpdateCommand<&CEventListCtrl::OnUpdateClearFilterLog>(ID_EDIT_CLEAR_FILTER_LOG),
  msgmap::UpdateCommand<&CEventListCtrl::OnUpdateIdleMessage>(AFX_IDS_IDLEMESSAGE),
  msgmap::Command<&CEventListCtrl::SelectAllRows>(ID_EDIT_SELECT_ALL_ROWS),
  msgmap::UpdateCommand<&CEventListCtrl::OnUpdateSelectAllRows>(ID_EDIT_SELECT_ALL_ROWS),
  msgmap::Message<&CEventListCtrl::OnContextMenu>(WM_CONTEXTMENU),
  msgmap::Message<&CEventListCtrl::OnInitMenuPopup>(WM_INITMENUPOPUP),
  msgmap::Command<&CEventListCtrl::OnGoToTime>(ID_EDIT_GO_TO_TIME),
  msgmap::UpdateCommand<&CEventListCtrl::OnUpdateGoToTime>(ID_EDIT_GO_TO_TIME),
ORMIX_END_MESSAGE_MAP()

namespace {

const char kStartedMessage[] = "イベントの記録を開始しました。";
const char kResumedMessage[] = "イベントの記録を再開しました。";
const char kStoppedMessage[] = "イベントの記録を停止しました。";

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

void CEventListCtrl::MeasureColumn(int column) {
  const LogColumnInfo& info = kLogColumns[column];
  SetColumnWidth(Layout().IndexOf(column),
                 TextWidth(m_model.Rows().IsTimeWithMilliseconds() ? info.sampleWithMilliseconds : info.sample) +
                     info.padding);
}

void CEventListCtrl::MeasureFixedColumns() {
  for (int column : {kNumberColumn, kTimeColumn, kNameColumn}) MeasureColumn(column);
  if (m_model.Rows().IsOriginShown()) MeasureColumn(kOriginColumn);
  if (m_bDeltaShown) MeasureColumn(kDeltaColumn);
}

ListColumnLayout CEventListCtrl::Layout() const {
  return ListColumnLayout(m_model.Rows().IsOriginShown(), m_bDeltaShown);
}

int CEventListCtrl::ColumnFormat(int column) {
  switch (kLogColumns[column].align) {
    case LogColumnAlign::kCentre:
      return LVCFMT_CENTER;
    case LogColumnAlign::kRight:
      return LVCFMT_RIGHT;
    default:
      return LVCFMT_LEFT;
  }
}

void CEventListCtrl::ShowColumnsInOrder() {
  const std::vector<int> order = Layout().ShownOrder();
  SetColumnOrderArray(static_cast<int>(order.size()), order.data());
}

void CEventListCtrl::ShowOptionalColumn(int index, int column, bool on) {
  if (on) {
    InsertColumn(index, kLogColumns[column].heading, ColumnFormat(column));
    MeasureColumn(column);
  } else {
    DeleteColumn(index);
  }
  ShowColumnsInOrder();
  ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

CEventListCtrl::RedrawOff::RedrawOff(CEventListCtrl& list)
    : m_list(list), m_bVisible((list.GetStyle() & WS_VISIBLE) != 0) {
  m_list.SendMessage(WM_SETREDRAW, FALSE);
}

CEventListCtrl::RedrawOff::~RedrawOff() {
  m_list.SendMessage(WM_SETREDRAW, TRUE);
  // Turning redraw on marks the window visible; a list that was hidden (a tab in the
  // background) is marked hidden again, as it was, without being shown.
  if (!m_bVisible)
    ::SetWindowLongPtrA(m_list.m_hWnd, GWL_STYLE, ::GetWindowLongPtrA(m_list.m_hWnd, GWL_STYLE) & ~WS_VISIBLE);
  else
    ::InvalidateRect(m_list.m_hWnd, nullptr, TRUE);
}

BOOL CEventListCtrl::PreCreateWindow(CREATESTRUCTA& cs) {
  // The selected rows stay marked while another window has the focus: the row that the find
  // dialog found, with the dialog still open, shows as found.
  cs.style |= LVS_OWNERDATA | LVS_SHOWSELALWAYS;
  return CListCtrl::PreCreateWindow(cs);
}

namespace {

// The list-view messages whose answer depends on the rows the control knows of.
bool AsksAboutItems(UINT message) {
  switch (message) {
    case LVM_GETITEMA:
    case LVM_GETITEMW:
    case LVM_GETITEMTEXTA:
    case LVM_GETITEMTEXTW:
    case LVM_GETITEMSTATE:
    case LVM_SETITEMSTATE:
    case LVM_GETNEXTITEM:
    case LVM_GETITEMRECT:
    case LVM_GETSUBITEMRECT:
    case LVM_GETITEMPOSITION:
    case LVM_ENSUREVISIBLE:
    case LVM_REDRAWITEMS:
    case LVM_FINDITEMA:
    case LVM_FINDITEMW:
    case LVM_HITTEST:
    case LVM_SUBITEMHITTEST:
      return true;
    default:
      return false;
  }
}

}  // namespace

LRESULT CEventListCtrl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  // Whoever asks the control about its rows, this program or another, sees every stored
  // row, also in the middle of a burst. The row count comes from the store, and other
  // questions (the selection count that the commands' states ask at every idle moment)
  // leave the burst alone: a program polling while rows stream in must not make a shown
  // list be told of each row on its own, at tens of milliseconds each. With a filter on,
  // the rows are those it shows.
  if (message == LVM_GETITEMCOUNT) return static_cast<LRESULT>(m_model.ShownCount());
  if (AsksAboutItems(message)) ShowStoredRows();
  return CListCtrl::WindowProc(message, wParam, lParam);
}

int CEventListCtrl::OnCreate(LPCREATESTRUCTA cs) {
  if (CListCtrl::OnCreate(cs) == -1) return -1;
  // The control asks its parent for its texts; they must reach this object whatever the
  // parent is.
  ReflectChildNotifications(::GetParent(m_hWnd));

  for (int column : {kNumberColumn, kTimeColumn, kNameColumn, kTextColumn})
    InsertColumn(column, kLogColumns[column].heading, ColumnFormat(column));
  // The first column takes its alignment only when set after insertion.
  LVCOLUMNA format = {};
  format.mask = LVCF_FMT;
  format.fmt = LVCFMT_CENTER;
  SetColumn(kNumberColumn, &format);
  MeasureFixedColumns();
  m_nParamColumnWidth = kInitialParamColumnWidth;
  SetColumnWidth(kTextColumn, m_nParamColumnWidth);
  m_model.NoteCreated();
  CreateCellTip();
  return 0;
}

void CEventListCtrl::OnDestroy() {
  if (m_model.InBurst()) ::KillTimer(m_hWnd, kBurstTimerId);
  m_model.DropBurst();  // the window goes, and with it what the burst left to do
  Unadvise();
  StopReflectingChildNotifications(::GetParent(m_hWnd));
  CListCtrl::OnDestroy();
}

// Under Wine, telling a visible list of one more row costs about 20 ms (its scroll bar is
// redrawn) and scrolling it 7 ms more. So a row only goes into the store, and the end of a
// burst of rows tells the control of them all at once, scrolls to the newest and widens the
// parameter column. Events from another process come a millisecond or two apart, so the end
// of a burst is a short quiet time rather than an empty queue: ending it between two such
// events would repaint the list for every few rows. The model keeps the burst and says when
// it is over; the timer asks it.
void CALLBACK CEventListCtrl::BurstTimerProc(HWND hWnd, UINT, UINT_PTR, DWORD) {
  if (auto* self = dynamic_cast<CEventListCtrl*>(CWnd::FromHandlePermanent(hWnd))) self->OnBurstTimer();
}

void CEventListCtrl::OnBurstTimer() {
  const DWORD now = ::GetTickCount();
  m_model.HandOverJournalRows(now);
  if (m_model.BurstOverAt(now)) FlushPendingRows();
}

LRESULT CEventListCtrl::OnFlushDeferredPaint(WPARAM, LPARAM) {
  FlushPendingRows();
  return 0;
}

void CEventListCtrl::FlushPendingRows() {
  m_model.HandOverJournalRows(::GetTickCount());
  if (!m_model.InBurst()) return;
  // The burst's rows reach the journal's file now rather than after its delay.
  m_model.EndBurst();
  ::KillTimer(m_hWnd, kBurstTimerId);
  const bool follow = FollowsNewestRow();
  ShowStoredRows();
  const int count = static_cast<int>(m_model.ShownCount());
  // Widening first: a wider column can bring a horizontal scroll bar, which would cover the
  // newest row had the list already been scrolled to it.
  WidenParamColumn(m_model.BurstFirstStoredRow(), m_model.Rows().Count());
  // Only the new rows were marked for painting; scrolling moves the rows on screen and
  // paints what it uncovers, so no row already shown is erased.
  if (count > 0 && follow) EnsureVisible(count - 1, FALSE);
}

bool CEventListCtrl::FollowsNewestRow() const {
  if (::GetKeyState(VK_SCROLL) & 1) return false;
  if (!m_model.FollowOnlyAtBottom() || m_model.BurstFirstShownRow() <= 0) return true;
  // The newest row before this burst, as the user last saw the list.
  const int newest = m_model.BurstFirstShownRow() - 1;
  const int top = static_cast<int>(SendMessage(LVM_GETTOPINDEX));
  const int perPage = static_cast<int>(SendMessage(LVM_GETCOUNTPERPAGE));
  return newest >= top && newest < top + (perPage > 0 ? perPage : 1);
}

void CEventListCtrl::ShowStoredRows() {
  const int count = static_cast<int>(m_model.ShownCount());
  if (count == m_nShownCount || !m_hWnd) return;
  m_nShownCount = count;
  SendMessage(LVM_SETITEMCOUNT, static_cast<WPARAM>(count), LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
}

void CEventListCtrl::WidenParamColumn(size_t first, size_t last) {
  int widest = 0;
  for (size_t row = first; row < last; ++row) {
    const std::string measured = std::string(m_model.Rows().Text(row), m_model.Rows().TextLength(row)) + "00";
    const int width = TextWidth(measured.c_str());
    if (width > widest) widest = width;
  }
  if (widest > m_nParamColumnWidth) {
    m_nParamColumnWidth = widest;
    SetColumnWidth(kTextColumn, m_nParamColumnWidth);
  }
}

void CEventListCtrl::OnGetDispInfo(NMHDR* header, LRESULT*) {
  LVITEMA& item = reinterpret_cast<NMLVDISPINFOA*>(header)->item;
  if (item.iItem < 0 || static_cast<size_t>(item.iItem) >= m_model.ShownCount()) return;
  const size_t row = RowAt(item.iItem);
  if (item.mask & LVIF_IMAGE) item.iImage = ShownImage(row);
  // Copied into the caller's buffer, which may be another program's (a pointer to a text
  // of our own would not reach it).
  // A frame's label is shown shortened, so that frames differ at the column's width; the
  // cell's tool tip has it whole.
  if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0) return;
  const int column = Layout().ColumnAt(item.iSubItem);
  if (column == kDeltaColumn)
    CopyDeltaText(static_cast<size_t>(item.iItem), item.pszText, static_cast<size_t>(item.cchTextMax));
  else
    m_model.Rows().CopyShownCellText(row, column, item.pszText, static_cast<size_t>(item.cchTextMax));
}

// Typing in the list finds the next row whose number begins with what was typed.
void CEventListCtrl::OnFindItem(NMHDR* header, LRESULT* result) {
  const NMLVFINDITEMA* find = reinterpret_cast<const NMLVFINDITEMA*>(header);
  *result = -1;
  if (!(find->lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) || !find->lvfi.psz) return;
  const std::string wanted = find->lvfi.psz;
  const bool partial = (find->lvfi.flags & LVFI_PARTIAL) != 0;
  const size_t count = m_model.ShownCount();
  const size_t start = find->iStart < 0 || static_cast<size_t>(find->iStart) >= count ? 0 : static_cast<size_t>(find->iStart);
  const bool wrap = (find->lvfi.flags & LVFI_WRAP) != 0;
  for (size_t i = 0; i < count && (wrap || start + i < count); ++i) {
    const size_t row = (start + i) % count;
    const std::string number = m_model.Rows().CellText(RowAt(static_cast<int>(row)), kNumberColumn);
    if (partial ? ::CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, number.c_str(),
                                   static_cast<int>(std::min(number.size(), wanted.size())), wanted.c_str(),
                                   static_cast<int>(wanted.size())) == CSTR_EQUAL
                : ::lstrcmpiA(number.c_str(), wanted.c_str()) == 0) {
      *result = static_cast<LRESULT>(row);
      return;
    }
  }
}

BOOL CEventListCtrl::AppendRow(const char* name, const char* text, int image, EventRowStore::Origin origin,
                               const char* frameLabel) {
  const DWORD now = ::GetTickCount();
  const bool burstRan = m_model.InBurst();
  if (!burstRan) m_model.BeginBurst(now);  // this row is the burst's first
  m_model.AppendRow(m_nNextNumber, name, text, image, origin, frameLabel, now);
  ++m_nNextNumber;
  // Without a window or a timer no end would come: the row is shown, scrolled to and measured
  // at once.
  if (!burstRan && (!m_hWnd || !::SetTimer(m_hWnd, kBurstTimerId, LogModel::kBurstQuietMs,
                                           &CEventListCtrl::BurstTimerProc)))
    FlushPendingRows();
  return TRUE;
}

BOOL CEventListCtrl::AddEventRow(const char* name, const char* params, EventRowStore::Origin origin,
                                 const char* frameLabel) {
  if (!m_bRecording) return TRUE;
  m_model.MarkUnkept();
  return AppendRow(name, params, kImageEvent, origin, frameLabel);
}

BOOL CEventListCtrl::AddMessageRow(const char* name, const char* message, int image) {
  return AppendRow(name, message, image);
}

BOOL CEventListCtrl::Connect(IUnknown* browser) {
  if (!CBrowserEventConnection::Connect(browser)) return FALSE;
  OnAdvisedWithin();
  return TRUE;
}

void CEventListCtrl::OnAdvisedWithin() {
  // A new connection numbers its frames anew.
  m_frameLabels.Clear();
  m_frameObjects.clear();
  AddMessageRow("", kStartedMessage, kImageRecording);
}

void CEventListCtrl::SetListFont(HFONT hFont, BOOL bRedraw) {
  FlushPendingRows();
  SetFont(hFont, bRedraw);
  MeasureFixedColumns();
  ::InvalidateRect(m_hWnd, nullptr, TRUE);
  UpdateWindow();
}

void CEventListCtrl::SetTimeWithMilliseconds(bool on) {
  if (on == m_model.Rows().IsTimeWithMilliseconds()) return;
  m_model.SetTimeWithMilliseconds(on);
  MatchFilterTextAgain();  // it may have matched the times as they were written
  if (!m_hWnd) return;
  MeasureFixedColumns();
  // The rows' texts change where they stand: painted over, not erased first.
  ::InvalidateRect(m_hWnd, nullptr, FALSE);
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
  m_model.Clear();
  DeleteAllItems();
  m_nShownCount = 0;
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
  // The selection count, not a search for the first selected row, which goes over every row
  // of a long log at each idle moment.
  pCmdUI->Enable(GetSelectedCount() > 0);
}

void CEventListCtrl::OnUpdateLogClear(CCmdUI* pCmdUI) { pCmdUI->Enable(m_model.Rows().Count() > 0); }
