#pragma once
// The program's document: empty. It exists because the framework's start-up makes a
// document, a frame and a view together; it holds nothing, reads and writes nothing, and
// is never modified, so closing never asks to save.
#include "framework/Document.h"

class COrmixDocument : public CDocument {
  ORMIX_DECLARE_DYNCREATE(COrmixDocument)

 public:
  COrmixDocument() = default;

  void Serialize(HANDLE hFile, BOOL bStoring) override;
};
