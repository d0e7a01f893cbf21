#pragma once
// A view: a child window of a frame that shows a document. The frame creates it by its
// run-time class through CreateView; the view adds itself to the document named in the
// create context and deletes itself after its window is gone. Commands that reach a view
// go to the view's own map first, then to its document.
#include "framework/CreateContext.h"
#include "framework/Wnd.h"

class CDocument;

class CView : public CWnd {
  ORMIX_DECLARE_DYNAMIC(CView)

 public:
  CView() = default;
  ~CView() override;

  // Creates the view window as child `nID` of `pParent`, attached to ctx's document.
  virtual BOOL CreateView(CWnd* pParent, UINT nID, CCreateContext* pContext);
  CDocument* GetDocument() const { return m_pDocument; }
  // Called once after the frame and the document are ready, before the frame is shown.
  virtual void OnInitialUpdate();

  BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, CmdHandlerInfo* pHandlerInfo) override;

 protected:
  BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
  int OnCreate(LPCREATESTRUCTA cs);
  void PostNcDestroy() override;

  ORMIX_DECLARE_MESSAGE_MAP()

 private:
  friend class CDocument;
  CDocument* m_pDocument = nullptr;
};

// A view whose window is a control of a given window class (a list view, a tab control).
class CCtrlView : public CView {
  ORMIX_DECLARE_DYNAMIC(CCtrlView)

 public:
  CCtrlView(const char* className, DWORD dwStyle) : m_strClass(className), m_dwDefaultStyle(dwStyle) {}

 protected:
  BOOL PreCreateWindow(CREATESTRUCTA& cs) override;

  std::string m_strClass;
  DWORD m_dwDefaultStyle;
};
