// Telling a page's events from its frames' in the event log: each event with a browser
// argument is stored with where it came from, and the frame column, while shown, says so and
// marks the page's own DocumentComplete, the moment the page has loaded, with its own icon.
#include "logview/EventListCtrl.h"

#include "receiving/EventReceiver.h"

namespace {

// The tool tip's one tool, over the whole list; its id is no control's.
constexpr UINT_PTR kCellTipTool = 0x4F54;

}  // namespace

EventRowStore::Origin CEventListCtrl::OriginOf(IDispatch* browser, bool loaded) const {
  using Origin = EventRowStore::Origin;
  // Without the browser argument, or without a browser to compare with, nothing is known.
  if (!browser || !IsAttached()) return Origin::None;
  if (!IsConnectedBrowser(browser)) return Origin::Frame;
  return loaded ? Origin::PageLoaded : Origin::Page;
}

uint64_t CEventListCtrl::FrameKeyOf(IDispatch* browser) {
  // A browser of another apartment: the receiving thread has told its frames apart.
  if (const uint32_t frame = CEventReceiver::FrameNumberOf(browser)) return frame;
  Microsoft::WRL::ComPtr<IUnknown> identity;
  if (!browser || FAILED(browser->QueryInterface(IID_PPV_ARGS(&identity))) || !identity) return 0;
  // One of this apartment: by its own identity, kept above every number the other way gives.
  const uint64_t key = (uint64_t{1} << 63) | reinterpret_cast<uintptr_t>(identity.Get());
  for (const auto& held : m_frameObjects)
    if (held.Get() == identity.Get()) return key;
  if (m_frameObjects.size() >= CEventReceiver::kFramesToldApart) return 0;
  m_frameObjects.push_back(identity);
  return key;
}

std::string CEventListCtrl::FrameLabelOf(size_t slot, const EventArguments& arguments) {
  std::string name, url;
  FrameNameAndUrlOf(slot, arguments, &name, &url);
  return m_frameLabels.Note(FrameKeyOf(arguments.browser), name, url);
}

std::string CEventListCtrl::CellToolTipText(int item, int column) const {
  if (column != kOriginColumn || item < 0 || static_cast<size_t>(item) >= m_model.ShownCount() ||
      !m_model.Rows().IsOriginShown())
    return "";
  const size_t row = RowAt(item);
  const std::string whole = m_model.Rows().CellText(row, kOriginColumn);
  return whole == m_model.Rows().ShortOriginText(row) ? "" : whole;
}

void CEventListCtrl::CreateCellTip() {
  if (!m_cellTip.Create(this, TTS_NOPREFIX | TTS_ALWAYSTIP)) return;
  TOOLINFOA tool = {};
  tool.cbSize = TTTOOLINFOA_V1_SIZE;
  tool.uFlags = TTF_SUBCLASS;
  tool.hwnd = m_hWnd;
  tool.uId = kCellTipTool;
  tool.rect = {0, 0, 0x7FFF, 0x7FFF};  // the whole list, however large it grows
  tool.lpszText = LPSTR_TEXTCALLBACKA;
  m_cellTip.SendMessage(TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

void CEventListCtrl::OnCellTipText(NMHDR* header, LRESULT*) {
  auto* info = reinterpret_cast<NMTTDISPINFOA*>(header);
  m_strTipText = CellToolTipText(m_nTipItem, m_nTipColumn);
  info->lpszText = const_cast<char*>(m_strTipText.c_str());
}

void CEventListCtrl::OnMouseMove(UINT, POINT point) {
  Default();
  LVHITTESTINFO hit = {};
  hit.pt = point;
  SendMessage(LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit));
  const int item = (hit.flags & LVHT_ONITEM) ? hit.iItem : -1;
  if (item == m_nTipItem && hit.iSubItem == m_nTipColumn) return;
  m_nTipItem = item;
  m_nTipColumn = hit.iSubItem;
  // Another cell: the tip goes, and comes back with that cell's text, if it has one.
  if (m_cellTip.m_hWnd) m_cellTip.SendMessage(TTM_POP);
}

int CEventListCtrl::ShownImage(size_t row) const {
  const EventRowStore& rows = m_model.Rows();
  if (rows.IsOriginShown() && rows.OriginOf(row) == EventRowStore::Origin::PageLoaded) return kImageLoaded;
  return rows.Image(row);
}

void CEventListCtrl::SetFrameColumnShown(bool on) {
  if (on == m_model.Rows().IsOriginShown()) return;
  m_model.SetOriginShown(on);
  MatchFilterTextAgain();  // the column's texts are matched only while it is shown
  if (!m_hWnd) return;
  // Inserted before the Δ column or deleted, which moves that column's index (Layout); shown
  // between the event name and the parameters.
  // The icons change with the column too: the whole list is repainted.
  ShowOptionalColumn(kOriginColumn, kOriginColumn, on);
}
