#pragma once
// Whether two interface pointers belong to one COM object: their IUnknown pointers, the
// object's identity, are compared. A proxy answers the IUnknown question itself, so comparing
// two proxies of one apartment asks nothing of the process that serves them.
#include <windows.h>
#include <unknwn.h>

// FALSE when either pointer is NULL or does not give its IUnknown.
BOOL IsSameComObject(IUnknown* first, IUnknown* second);
