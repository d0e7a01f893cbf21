#pragma once
// A document: the data behind the views of a frame. It keeps its views, its path and title
// and whether it was modified; the template creates it by its run-time class and calls
// OnNewDocument or OnOpenDocument. Commands that reach a document go to its own map, then
// to its template.
#include <string>
#include <vector>

#include "framework/CmdTarget.h"

class CDocTemplate;
class CView;

class CDocument : public CCmdTarget {
  ORMIX_DECLARE_DYNAMIC(CDocument)

 public:
  CDocument() = default;
  ~CDocument() override;

  // Empties the document for a new one: DeleteContents, no path, not modified.
  virtual BOOL OnNewDocument();
  // Opens `path` for reading and hands it to Serialize; FALSE if it cannot be opened.
  virtual BOOL OnOpenDocument(const char* path);
  // Reads (bStoring FALSE) or writes the document from or to an open file.
  virtual void Serialize(HANDLE hFile, BOOL bStoring);
  virtual void DeleteContents();
  // Destroys the frames of every view, then deletes the document.
  virtual void OnCloseDocument();

  void AddView(CView* pView);
  void RemoveView(CView* pView);

  const std::string& GetPathName() const { return m_strPathName; }
  // Keeps `path` as a full path; bAddToMRU also puts it first in the recent-file list.
  virtual void SetPathName(const char* path, BOOL bAddToMRU = TRUE);
  const std::string& GetTitle() const { return m_strTitle; }
  virtual void SetTitle(const char* title);

  CDocTemplate* GetDocTemplate() const { return m_pDocTemplate; }

 protected:
  friend class CDocTemplate;
  friend class CSingleDocTemplate;
  CDocTemplate* m_pDocTemplate = nullptr;
  std::vector<CView*> m_views;
  std::string m_strPathName;
  std::string m_strTitle;
  BOOL m_bAutoDelete = TRUE;
};
