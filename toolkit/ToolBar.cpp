#include "toolkit/ToolBar.h"

#include <windowsx.h>

#include "framework/CmdUI.h"
#include "framework/FrameWnd.h"
#include "toolkit/ToolBarResource.h"
#include "toolkit/ToolkitSettings.h"

ORMIX_IMPLEMENT_DYNAMIC(CToolBar, CControlBar)

ORMIX_BEGIN_MESSAGE_MAP(CToolBar, CControlBar)
  msgmap::NotifyReflect<&CToolBar::OnHotItemChange>(TBN_HOTITEMCHANGE),
  msgmap::Message<&CToolBar::OnLButtonUp>(WM_LBUTTONUP),
ORMIX_END_MESSAGE_MAP()

namespace {

// Applies a command's state to one tool bar button.
class CToolCmdUI : public CCmdUI {
 public:
  CToolCmdUI(UINT nID, HWND hWndToolBar) : CCmdUI(nID), m_hWnd(hWndToolBar) {}

  void Enable(BOOL bOn) override {
    CCmdUI::Enable(bOn);
    const bool enabled = (::SendMessageA(m_hWnd, TB_ISBUTTONENABLED, m_nID, 0) != 0);
    if (enabled != (bOn != FALSE))
      ::SendMessageA(m_hWnd, TB_ENABLEBUTTON, m_nID, MAKELPARAM(bOn ? 1 : 0, 0));
  }
  void SetCheck(int nCheck) override {
    CCmdUI::SetCheck(nCheck);
    const bool checked = (::SendMessageA(m_hWnd, TB_ISBUTTONCHECKED, m_nID, 0) != 0);
    if (checked != (nCheck != 0))
      ::SendMessageA(m_hWnd, TB_CHECKBUTTON, m_nID, MAKELPARAM(nCheck ? 1 : 0, 0));
  }
  void SetText(const char*) override {}  // buttons show images only

 private:
  HWND m_hWnd;
};

}  // namespace

CToolBar::CToolBar() = default;

CToolBar::~CToolBar() {
  if (m_hImageList) ::ImageList_Destroy(m_hImageList);
}

BOOL CToolBar::CreateEx(CWnd* pParentWnd, DWORD dwCtrlStyle, DWORD dwStyle, RECT, UINT nID) {
  // The bar's own frame places it; the control must not align or size itself.
  DWORD ctrlStyle = dwCtrlStyle | CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER;
  if (CToolkitSettings::Get().IsFlatBars()) ctrlStyle |= TBSTYLE_FLAT;
  if (dwStyle & CBRS_TOOLTIPS) ctrlStyle |= TBSTYLE_TOOLTIPS;
  if (!CreateBar(pParentWnd, TOOLBARCLASSNAMEA, ctrlStyle, dwStyle, nID)) return FALSE;
  SendMessage(TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON));
  return TRUE;
}

BOOL CToolBar::LoadToolBar(UINT nIDResource) {
  if (!m_hWnd) return FALSE;
  ToolBarResource resource;
  if (!resource.Load(nIDResource)) return FALSE;
  HIMAGELIST images = resource.LoadImages(nIDResource);
  if (!images) return FALSE;
  if (m_hImageList) ::ImageList_Destroy(m_hImageList);
  m_hImageList = images;

  SendMessage(TB_SETBITMAPSIZE, 0, MAKELPARAM(resource.cxButton, resource.cyButton));
  SendMessage(TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(m_hImageList));
  while (SendMessage(TB_BUTTONCOUNT) > 0) SendMessage(TB_DELETEBUTTON, 0);

  std::vector<TBBUTTON> buttons;
  int image = 0;
  for (UINT command : resource.commands) {
    TBBUTTON button = {};
    button.idCommand = static_cast<int>(command);
    if (command == 0) {
      button.fsStyle = BTNS_SEP;
    } else {
      button.iBitmap = image++;
      button.fsState = TBSTATE_ENABLED;
      button.fsStyle = BTNS_BUTTON;
    }
    buttons.push_back(button);
  }
  if (!buttons.empty() && !SendMessage(TB_ADDBUTTONSA, buttons.size(),
                                       reinterpret_cast<LPARAM>(buttons.data())))
    return FALSE;
  SendMessage(TB_AUTOSIZE);
  return TRUE;
}

int CToolBar::GetCount() const { return static_cast<int>(SendMessage(TB_BUTTONCOUNT)); }

UINT CToolBar::GetItemID(int nIndex) const {
  TBBUTTON button = {};
  if (!SendMessage(TB_GETBUTTON, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(&button)))
    return 0;
  return (button.fsStyle & BTNS_SEP) ? 0 : static_cast<UINT>(button.idCommand);
}

int CToolBar::CommandToIndex(UINT nID) const {
  return static_cast<int>(SendMessage(TB_COMMANDTOINDEX, nID));
}

void CToolBar::GetItemRect(int nIndex, RECT* rect) const {
  *rect = RECT{0, 0, 0, 0};
  SendMessage(TB_GETITEMRECT, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(rect));
}

SIZE CToolBar::CalcFixedLayout() {
  SIZE size = {0, 0};
  const int count = GetCount();
  if (count > 0) {
    RECT last;
    GetItemRect(count - 1, &last);
    size.cx = last.right;
  }
  const DWORD buttonSize = static_cast<DWORD>(SendMessage(TB_GETBUTTONSIZE));
  size.cy = HIWORD(buttonSize);
  return size;
}

void CToolBar::OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHandler) {
  if (!m_hWnd || !pTarget) return;
  const int count = GetCount();
  for (int i = 0; i < count; ++i) {
    const UINT nID = GetItemID(i);
    if (nID == 0) continue;
    CToolCmdUI state(nID, m_hWnd);
    state.DoUpdate(pTarget, bDisableIfNoHandler);
  }
}

void CToolBar::OnHotItemChange(NMHDR* header, LRESULT* result) {
  *result = 0;
  if (!(m_dwStyle & CBRS_FLYBY) || !m_pFrame) return;
  const auto* change = reinterpret_cast<const NMTBHOTITEM*>(header);
  if (change->dwFlags & HICF_LEAVING)
    m_pFrame->SetMessageText(static_cast<const char*>(nullptr));
  else
    m_pFrame->SetMessageText(static_cast<UINT>(change->idNew));
}

LRESULT CToolBar::OnLButtonUp(WPARAM, LPARAM lParam) {
  const LRESULT result = Default();
  // A press that left the bar before the release reports no leaving hot item: the pointer
  // was captured, so the prompt of the pressed button would stay in the status bar.
  if (!(m_dwStyle & CBRS_FLYBY) || !m_pFrame || !m_hWnd) return result;
  const POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  RECT client;
  GetClientRect(&client);
  if (!::PtInRect(&client, pt) || SendMessage(TB_GETHOTITEM) < 0)
    m_pFrame->SetMessageText(static_cast<const char*>(nullptr));
  return result;
}
