// Not a test: a client process of the browser simulator that advises a sink on the first
// browser of the shell's window list and then serves its apartment until it is ended from
// outside, or at most two minutes; with the argument "hang" it serves nothing after the
// advise (a client that hangs). The simulator's tests kill it: a client that stops answering
// while it holds an advise. Exit code 0 when its time is up, 2 when it found no browser, 3
// when the advise failed.
#include <windows.h>
#include <exdisp.h>
#include <ocidl.h>
#include <wrl/client.h>

#include <string>

#include "browser/WebBrowserEvents2.h"

using Microsoft::WRL::ComPtr;

namespace {

constexpr DWORD kLifetimeMs = 120000;

ComPtr<IConnectionPoint> FirstBrowsersEvents() {
  ComPtr<IUnknown> unknown;
  ComPtr<IShellWindows> windows;
  if (FAILED(CoCreateInstance(CLSID_ShellWindows, nullptr,
                              CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER, IID_IUnknown,
                              reinterpret_cast<void**>(unknown.GetAddressOf()))) ||
      FAILED(OleRun(unknown.Get())) || FAILED(unknown.As(&windows)))
    return nullptr;
  VARIANT first;
  VariantInit(&first);
  V_VT(&first) = VT_I4;
  V_I4(&first) = 0;
  ComPtr<IDispatch> item;
  ComPtr<IConnectionPointContainer> container;
  ComPtr<IConnectionPoint> point;
  if (windows->Item(first, item.GetAddressOf()) != S_OK || !item || FAILED(item.As(&container)) ||
      FAILED(container->FindConnectionPoint(DIID_DWebBrowserEvents2, point.GetAddressOf())))
    return nullptr;
  return point;
}

}  // namespace

int main(int argc, char** argv) {
  const bool hang = argc > 1 && std::string(argv[1]) == "hang";
  if (FAILED(OleInitialize(nullptr))) return 1;
  int code = 0;
  {
    const ComPtr<IConnectionPoint> point = FirstBrowsersEvents();
    ComPtr<IDispatch> sink;
    sink.Attach((new CWebBrowserEvents2)->GetIDispatch(FALSE));
    DWORD cookie = 0;
    if (!point) code = 2;
    else if (FAILED(point->Advise(sink.Get(), &cookie))) code = 3;
    // Serves the simulator's calls until its time is up; hung, it serves nothing.
    const DWORD start = GetTickCount();
    for (DWORD elapsed = 0; code == 0 && elapsed < kLifetimeMs; elapsed = GetTickCount() - start) {
      if (hang) {
        Sleep(kLifetimeMs - elapsed);
        continue;
      }
      MsgWaitForMultipleObjects(0, nullptr, FALSE, kLifetimeMs - elapsed, QS_ALLINPUT);
      MSG message;
      while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    }
    if (cookie) point->Unadvise(cookie);
  }
  OleUninitialize();
  return code;
}
