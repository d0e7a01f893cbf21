#pragma once
// Questions about a COM object that a proxy answers itself, without a call into the process
// that serves it: whether two interface pointers belong to one object (their IUnknown
// pointers, the object's identity, are compared), and whether a pointer is a proxy.
#include <windows.h>
#include <unknwn.h>

// FALSE when either pointer is NULL or does not give its IUnknown.
BOOL IsSameComObject(IUnknown* first, IUnknown* second);

// Whether `object` is a proxy of an object of another apartment (only proxies have client
// security). A proxy answers the question itself, without a call.
bool IsProxy(IUnknown* object);
