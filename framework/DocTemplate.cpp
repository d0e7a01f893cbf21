#include "framework/DocTemplate.h"

#include <string>

#include "framework/Document.h"
#include "framework/FrameWnd.h"
#include "framework/StringResource.h"
#include "framework/View.h"
#include "framework/WinApp.h"

ORMIX_IMPLEMENT_DYNAMIC(CDocTemplate, CCmdTarget)
ORMIX_IMPLEMENT_DYNAMIC(CSingleDocTemplate, CDocTemplate)

CDocTemplate::CDocTemplate(UINT nIDResource, const CRuntimeClass* pDocClass,
                           const CRuntimeClass* pFrameClass, const CRuntimeClass* pViewClass)
    : m_nIDResource(nIDResource),
      m_pDocClass(pDocClass),
      m_pFrameClass(pFrameClass),
      m_pViewClass(pViewClass),
      m_strDocStrings(LoadResourceString(nIDResource)) {}

std::string CDocTemplate::GetDocString(int index) const {
  size_t start = 0;
  for (int i = 0; i < index; ++i) {
    start = m_strDocStrings.find('\n', start);
    if (start == std::string::npos) return "";
    ++start;
  }
  const size_t end = m_strDocStrings.find('\n', start);
  return m_strDocStrings.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

CDocument* CDocTemplate::CreateNewDocument() {
  CObject* object = m_pDocClass ? m_pDocClass->CreateObject() : nullptr;
  auto* doc = dynamic_cast<CDocument*>(object);
  if (!doc) {
    delete object;
    return nullptr;
  }
  doc->m_pDocTemplate = this;
  return doc;
}

CFrameWnd* CDocTemplate::CreateNewFrame(CDocument* pDoc) {
  CObject* object = m_pFrameClass ? m_pFrameClass->CreateObject() : nullptr;
  auto* frame = dynamic_cast<CFrameWnd*>(object);
  if (!frame) {
    delete object;
    return nullptr;
  }
  CCreateContext context;
  context.m_pNewViewClass = m_pViewClass;
  context.m_pCurrentDoc = pDoc;
  context.m_pNewDocTemplate = this;
  // A frame whose creation fails has deleted itself in PostNcDestroy.
  if (!frame->LoadFrame(m_nIDResource, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE, nullptr, &context))
    return nullptr;
  return frame;
}

CSingleDocTemplate::~CSingleDocTemplate() {
  CDocument* doc = m_pOnlyDoc;
  m_pOnlyDoc = nullptr;
  if (!doc) return;
  doc->m_pDocTemplate = nullptr;
  delete doc;
}

void CSingleDocTemplate::RemoveDocument(CDocument* pDoc) {
  if (m_pOnlyDoc == pDoc) m_pOnlyDoc = nullptr;
}

CDocument* CSingleDocTemplate::OpenDocumentFile(const char* path, BOOL bMakeVisible) {
  if (m_pOnlyDoc) return nullptr;  // one document at a time
  CDocument* doc = CreateNewDocument();
  if (!doc) return nullptr;
  m_pOnlyDoc = doc;
  CFrameWnd* frame = CreateNewFrame(doc);
  if (!frame) {
    delete doc;
    return nullptr;
  }
  if (!path) {
    doc->SetTitle(GetDocString(2).c_str());
    if (!doc->OnNewDocument()) {
      frame->DestroyWindow();
      return nullptr;
    }
  } else {
    if (!doc->OnOpenDocument(path)) {
      frame->DestroyWindow();
      return nullptr;
    }
    doc->SetPathName(path);
  }
  // The first frame of the program is its main window.
  CWinApp* app = AfxGetApp();
  if (app && !app->m_pMainWnd) app->m_pMainWnd = frame;
  frame->InitialUpdateFrame(doc, bMakeVisible);
  return doc;
}
