#include "app/OrmixDocument.h"

ORMIX_IMPLEMENT_DYNCREATE(COrmixDocument, CDocument)

void COrmixDocument::Serialize(HANDLE, BOOL) {}
