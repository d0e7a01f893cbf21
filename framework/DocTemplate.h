#pragma once
// A document template binds a resource id to the run-time classes of a document, its
// frame and its view. The single-document template keeps one document and one frame:
// OpenDocumentFile(NULL) makes the empty document and the frame around it; a path opens
// that file as the document.
#include "framework/CmdTarget.h"

class CDocument;
class CFrameWnd;

class CDocTemplate : public CCmdTarget {
  ORMIX_DECLARE_DYNAMIC(CDocTemplate)

 public:
  CDocTemplate(UINT nIDResource, const CRuntimeClass* pDocClass,
               const CRuntimeClass* pFrameClass, const CRuntimeClass* pViewClass);

  // Field `index` (0 window title ... 6 registry file type name) of the document string.
  std::string GetDocString(int index) const;

  virtual CDocument* OpenDocumentFile(const char* path, BOOL bMakeVisible = TRUE) = 0;

 protected:
  CDocument* CreateNewDocument();
  CFrameWnd* CreateNewFrame(CDocument* pDoc);

  UINT m_nIDResource;
  const CRuntimeClass* m_pDocClass;
  const CRuntimeClass* m_pFrameClass;
  const CRuntimeClass* m_pViewClass;
  std::string m_strDocStrings;
};

class CSingleDocTemplate : public CDocTemplate {
  ORMIX_DECLARE_DYNAMIC(CSingleDocTemplate)

 public:
  using CDocTemplate::CDocTemplate;
  ~CSingleDocTemplate() override;

  CDocument* OpenDocumentFile(const char* path, BOOL bMakeVisible = TRUE) override;
  CDocument* GetDocument() const { return m_pOnlyDoc; }
  void RemoveDocument(CDocument* pDoc);

 private:
  CDocument* m_pOnlyDoc = nullptr;
};
