#pragma once
// What a document template hands a new frame so that the frame can create its view and
// attach it to the document.
class CDocument;
class CDocTemplate;
class CFrameWnd;
struct CRuntimeClass;

struct CCreateContext {
  const CRuntimeClass* m_pNewViewClass = nullptr;
  CDocument* m_pCurrentDoc = nullptr;
  CDocTemplate* m_pNewDocTemplate = nullptr;
};
