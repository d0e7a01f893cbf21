#include "framework/Document.h"

#include <algorithm>

#include "framework/DocTemplate.h"
#include "framework/FrameWnd.h"
#include "framework/View.h"
#include "framework/WinApp.h"

ORMIX_IMPLEMENT_DYNAMIC(CDocument, CCmdTarget)

CDocument::~CDocument() {
  for (CView* view : m_views) view->m_pDocument = nullptr;
  if (auto* single = dynamic_cast<CSingleDocTemplate*>(m_pDocTemplate))
    single->RemoveDocument(this);
}

BOOL CDocument::OnNewDocument() {
  DeleteContents();
  m_strPathName.clear();
  return TRUE;
}

BOOL CDocument::OnOpenDocument(const char* path) {
  if (!path) return FALSE;
  HANDLE file = ::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return FALSE;
  DeleteContents();
  Serialize(file, FALSE);
  ::CloseHandle(file);
  return TRUE;
}

void CDocument::Serialize(HANDLE, BOOL) {}

void CDocument::DeleteContents() {}

void CDocument::OnCloseDocument() {
  // Destroying a frame destroys its views, which leave the list as they go.
  const std::vector<CView*> views = m_views;
  for (CView* view : views) {
    HWND frame = ::GetAncestor(view->m_hWnd, GA_ROOT);
    if (frame && ::IsWindow(frame)) ::DestroyWindow(frame);
  }
  if (m_bAutoDelete) delete this;
}

void CDocument::AddView(CView* pView) {
  if (!pView || std::find(m_views.begin(), m_views.end(), pView) != m_views.end()) return;
  m_views.push_back(pView);
  pView->m_pDocument = this;
}

void CDocument::RemoveView(CView* pView) {
  auto it = std::find(m_views.begin(), m_views.end(), pView);
  if (it == m_views.end()) return;
  m_views.erase(it);
  pView->m_pDocument = nullptr;
}

void CDocument::SetPathName(const char* path, BOOL bAddToMRU) {
  m_strPathName = AfxFullPath(path);
  // The title is the file's name without its folder.
  const size_t slash = m_strPathName.find_last_of("\\/:");
  SetTitle(slash == std::string::npos ? m_strPathName.c_str()
                                      : m_strPathName.c_str() + slash + 1);
  if (bAddToMRU && !m_strPathName.empty())
    if (CWinApp* app = AfxGetApp()) app->AddToRecentFileList(m_strPathName.c_str());
}

void CDocument::SetTitle(const char* title) { m_strTitle = title ? title : ""; }
