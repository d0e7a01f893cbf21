#include "browser/BrowserEventConnection.h"

#include <memory>

#include "browser/WebBrowserEvents2.h"
#include "framework/ApartmentWork.h"
#include "framework/GlobalInterface.h"

namespace {

// What a connection let go in the background hands its worker thread.
struct ReleasedConnection {
  CGlobalInterface connectionPoint;
  DWORD cookie = 0;
};

// How long letting go of a connection waits for the browser: not at all. The window goes on
// at once; the worker finishes whenever the browser answers.
constexpr DWORD kDisconnectWaitMs = 0;

}  // namespace

CBrowserEventConnection::CBrowserEventConnection()
    : m_pSink(nullptr), m_pBrowserApp(nullptr), m_pConnectionPoint(nullptr), m_dwCookie(0) {
  m_pSink = new CWebBrowserEvents2;
  m_pSink->SetListener(this);
}

CBrowserEventConnection::~CBrowserEventConnection() {
  // The owner unadvises before destroying the holder; a holder destroyed while still
  // advised unadvises here, so the browser does not keep calling a deleted sink. If that
  // failed (a browser that died leaves Unadvise failing) the references still held are
  // given back here, not leaked.
  if (IsAdvised()) CBrowserEventConnection::Unadvise();
  if (m_pConnectionPoint) {
    m_pConnectionPoint->Release();
    m_pConnectionPoint = nullptr;
  }
  if (m_pBrowserApp) {
    m_pBrowserApp->Release();
    m_pBrowserApp = nullptr;
  }
  if (m_pSink) {
    delete m_pSink;
    m_pSink = nullptr;
  }
}

BOOL CBrowserEventConnection::SetListener(IBrowserEventListener* listener) {
  m_pSink->SetListener(listener);
  return TRUE;
}

void CBrowserEventConnection::OnQuit() { Unadvise(); }

BOOL CBrowserEventConnection::Connect(IUnknown* browser) {
  if (m_pBrowserApp) return TRUE;
  if (!browser) return FALSE;
  if (FAILED(browser->QueryInterface(IID_IWebBrowserApp, reinterpret_cast<void**>(&m_pBrowserApp)))) {
    m_pBrowserApp = nullptr;
    return FALSE;
  }
  if (!m_pBrowserApp) return FALSE;
  return Advise();
}

BOOL CBrowserEventConnection::Disconnect() {
  Unadvise();
  return TRUE;
}

BOOL CBrowserEventConnection::Advise() {
  if (!m_pBrowserApp || !m_pSink) return FALSE;
  // Already advised: never advise twice, and ask nothing of a browser that may have died.
  if (IsAdvised()) return TRUE;

  IConnectionPointContainer* container = nullptr;
  if (FAILED(m_pBrowserApp->QueryInterface(IID_IConnectionPointContainer,
                                           reinterpret_cast<void**>(&container))) ||
      !container)
    return FALSE;

  if (m_pConnectionPoint) {  // left from an earlier advise that was refused
    m_pConnectionPoint->Release();
    m_pConnectionPoint = nullptr;
  }
  if (FAILED(container->FindConnectionPoint(DIID_DWebBrowserEvents2, &m_pConnectionPoint)) ||
      !m_pConnectionPoint) {
    m_pConnectionPoint = nullptr;
    container->Release();
    return FALSE;
  }

  // Parked before advising: parking is a call into the browser, during which events could
  // arrive, and none may come between the advise and the caller's next step.
  m_parkedConnectionPoint.Register(m_pConnectionPoint, IID_IConnectionPoint);
  const HRESULT hr = m_pConnectionPoint->Advise(m_pSink->GetIDispatch(FALSE), &m_dwCookie);
  container->Release();
  if (FAILED(hr)) {
    m_dwCookie = 0;
    m_parkedConnectionPoint.Revoke();
    return FALSE;
  }
  return TRUE;
}

BOOL CBrowserEventConnection::Unadvise() {
  if (!m_pBrowserApp) return FALSE;
  if (!m_pConnectionPoint) return TRUE;

  // Events arrive re-entrantly during any outgoing call, OnQuit among them, and OnQuit
  // unadvises: the members are taken and cleared before calling out, so a nested call finds
  // nothing left to give back and the references are released exactly once.
  IConnectionPoint* connectionPoint = m_pConnectionPoint;
  const DWORD cookie = m_dwCookie;
  m_pConnectionPoint = nullptr;
  m_dwCookie = 0;
  m_parkedConnectionPoint.Revoke();
  const HRESULT hr = connectionPoint->Unadvise(cookie);
  connectionPoint->Release();
  if (FAILED(hr)) return FALSE;

  IWebBrowserApp* browserApp = m_pBrowserApp;
  m_pBrowserApp = nullptr;
  if (browserApp) browserApp->Release();
  return TRUE;
}

void CBrowserEventConnection::DisconnectInBackground() {
  IConnectionPoint* connectionPoint = m_pConnectionPoint;
  IWebBrowserApp* browserApp = m_pBrowserApp;
  auto released = std::make_shared<ReleasedConnection>();
  released->cookie = m_dwCookie;
  m_pConnectionPoint = nullptr;
  m_pBrowserApp = nullptr;
  m_dwCookie = 0;
  // The browser may call the sink until it hears of the unadvise, and one in this apartment
  // holds it directly: the sink leaves the holder, stops passing events on, takes no more
  // calls from other processes, and lives until the browser has let go of it. The holder
  // gets a fresh sink for the same listener.
  CWebBrowserEvents2* sink = m_pSink;
  m_pSink = new CWebBrowserEvents2;
  m_pSink->SetListener(sink->GetListener());
  sink->SetListener(nullptr);
  // The stubs' references go; the holder's own stays until the browser has let go.
  sink->ExternalAddRef();
  ::CoDisconnectObject(sink->GetIDispatch(FALSE), 0);
  sink->ExternalRelease();
  if (!connectionPoint && !browserApp) {
    sink->ExternalRelease();
    return;
  }

  // The worker unadvises through its own proxy, parked when the advise succeeded. This
  // thread's proxies are released only once the worker has heard from the browser: the last
  // release of a proxy is itself a call into the browser.
  released->connectionPoint.TakeFrom(m_parkedConnectionPoint);
  CApartmentWork::Run(
      [released] {
        IConnectionPoint* point = nullptr;
        if (released->cookie && SUCCEEDED(released->connectionPoint.Get(IID_IConnectionPoint,
                                                                         reinterpret_cast<void**>(&point))) &&
            point) {
          point->Unadvise(released->cookie);
          point->Release();
        }
      },
      kDisconnectWaitMs,
      [released, connectionPoint, browserApp, sink] {
        released->connectionPoint.Revoke();
        if (connectionPoint) connectionPoint->Release();
        if (browserApp) browserApp->Release();
        sink->ExternalRelease();
      });
}
