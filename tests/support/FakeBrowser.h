#pragma once
// An in-process test double of a browser object: answers IWebBrowser2 (and so
// IWebBrowserApp), and IConnectionPointContainer with one real DWebBrowserEvents2 connection
// point that keeps the advised sinks and can fire events at them. Failure switches let a
// test refuse each step that a connection holder takes.
#include <windows.h>
#include <ocidl.h>

#include <vector>

#include "sim/ComObject.h"
#include "sim/ComStubs.h"

class FakeBrowser final : public sim::ComObject<FakeBrowser, NotImplIWebBrowser2, IConnectionPointContainer,
                                                IConnectionPoint> {
 public:
  static const Entry kInterfaces[];

  FakeBrowser() = default;

  bool answerBrowserApp = true;
  bool answerContainer = true;  // off: a browser that has died since it was connected
  bool hasConnectionPoint = true;
  HRESULT adviseResult = S_OK;
  HRESULT unadviseResult = S_OK;
  // Not S_OK: queries for the browser interfaces fail with this error, as a browser that
  // cannot be reached makes them fail.
  HRESULT browserQueryError = S_OK;

  STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
  // On: the next Unadvise first fires OnQuit at the advised sinks, as a browser closing
  // during the call does (once; the switch turns itself off).
  bool quitDuringUnadvise = false;

  LONG RefCount() const { return References(); }
  size_t SinkCount() const { return m_sinks.size(); }
  int AdviseCalls() const { return m_adviseCalls; }

  // Calls Invoke on every advised sink; `args` are in declared order (reversed here, as a
  // browser does). Returns the last sink's result, or S_FALSE when no sink is advised.
  HRESULT Fire(DISPID dispid, std::vector<VARIANT> args);

  // IConnectionPointContainer
  STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** ppEnum) override;
  STDMETHODIMP FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) override;

  // IConnectionPoint
  STDMETHODIMP GetConnectionInterface(IID* pIID) override;
  STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** ppCPC) override;
  STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override;
  STDMETHODIMP Unadvise(DWORD cookie) override;
  STDMETHODIMP EnumConnections(IEnumConnections** ppEnum) override;

 private:
  struct Connection {
    DWORD cookie;
    IDispatch* sink;
  };
  DWORD m_nextCookie = 1;
  int m_adviseCalls = 0;
  std::vector<Connection> m_sinks;
};
