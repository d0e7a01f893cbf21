#include "browser/BrowserEventConnection.h"

#include <memory>

#include "browser/WebBrowserEvents2.h"
#include "framework/ApartmentWork.h"
#include "framework/ComIdentity.h"
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

// Who has the outcome of a connect made on a worker: nobody yet, the caller (which took it
// in time), or the worker itself (the caller stopped waiting, so the worker undoes it).
enum : LONG { kConnectRunning, kConnectHandedOver, kConnectAbandoned };

// How often an event that arrives during a connect looks again whether the outcome is there.
constexpr DWORD kOutcomeRecheckMs = 5;

// What the caller of ConnectWithin and its worker share.
struct ConnectJob {
  LONG state = kConnectRunning;
  std::function<void(IWebBrowser2*)> first;
  IStream* browserIn = nullptr;  // the caller's browser, for the worker
  CGlobalInterface sink;         // the caller's sink, for the worker
  // The outcome, written by the worker before it hands it over.
  HRESULT appQuery = E_FAIL;
  DWORD cookie = 0;
  IStream* appOut = nullptr;
  IStream* pointOut = nullptr;
  CGlobalInterface parkedPoint;
  bool takenByCaller = false;  // caller's thread only
};

// Gives back the references a marshalled interface holds: unmarshalled here and released,
// so they join this apartment's own and go with them.
void DiscardMarshalled(IStream*& stream) {
  if (!stream) return;
  IUnknown* object = nullptr;
  if (SUCCEEDED(::CoGetInterfaceAndReleaseStream(stream, IID_IUnknown, reinterpret_cast<void**>(&object))) && object)
    object->Release();
  stream = nullptr;
}

// For the caller's thread: the interface marshalled by the worker. Unmarshalling a normal
// marshal brings its own references along, so this asks nothing of the browser.
template <typename T>
T* TakeMarshalled(IStream*& stream, REFIID iid) {
  T* object = nullptr;
  if (stream && FAILED(::CoGetInterfaceAndReleaseStream(stream, iid, reinterpret_cast<void**>(&object))))
    object = nullptr;
  stream = nullptr;
  return object;
}

// The worker's side of ConnectWithin: the calls of Connect, the outcome marshalled for the
// caller; undone here if the caller has stopped waiting.
void RunConnect(ConnectJob& job) {
  IWebBrowser2* browser = nullptr;
  HRESULT hr = ::CoGetInterfaceAndReleaseStream(job.browserIn, IID_IWebBrowser2, reinterpret_cast<void**>(&browser));
  job.browserIn = nullptr;
  IWebBrowserApp* app = nullptr;
  IConnectionPoint* point = nullptr;
  bool advised = false;
  if (FAILED(hr) || !browser) {
    job.appQuery = FAILED(hr) ? hr : E_FAIL;
  } else {
    if (job.first) job.first(browser);
    job.appQuery = browser->QueryInterface(IID_IWebBrowserApp, reinterpret_cast<void**>(&app));
    if (FAILED(job.appQuery)) app = nullptr;
  }
  if (app) {
    IConnectionPointContainer* container = nullptr;
    if (SUCCEEDED(app->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container))) &&
        container) {
      if (FAILED(container->FindConnectionPoint(DIID_DWebBrowserEvents2, &point))) point = nullptr;
      container->Release();
    }
    IUnknown* sink = nullptr;
    if (point && SUCCEEDED(job.sink.Get(IID_IDispatch, reinterpret_cast<void**>(&sink))) && sink) {
      // Parked for the caller, who unadvises through it from a worker of its own later.
      job.parkedPoint.Register(point, IID_IConnectionPoint);
      advised = SUCCEEDED(point->Advise(sink, &job.cookie));
      if (!advised) {
        job.cookie = 0;
        job.parkedPoint.Revoke();
      }
      sink->Release();
    }
    if (FAILED(::CoMarshalInterThreadInterfaceInStream(IID_IWebBrowserApp, app, &job.appOut))) job.appOut = nullptr;
    if (advised && FAILED(::CoMarshalInterThreadInterfaceInStream(IID_IConnectionPoint, point, &job.pointOut)))
      job.pointOut = nullptr;
  }
  if (::InterlockedCompareExchange(&job.state, kConnectHandedOver, kConnectRunning) != kConnectRunning) {
    // Too late: the caller's tab stays unconnected, and the browser keeps nothing of it.
    if (advised) point->Unadvise(job.cookie);
    job.parkedPoint.Revoke();
    DiscardMarshalled(job.appOut);
    DiscardMarshalled(job.pointOut);
  }
  if (point) point->Release();
  if (app) app->Release();
  if (browser) browser->Release();
}

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
  if (m_pChosenBrowser) {
    m_pChosenBrowser->Release();
    m_pChosenBrowser = nullptr;
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

bool CBrowserEventConnection::IsConnectedBrowser(IUnknown* browser) const {
  // m_pBrowserApp is this thread's own (a connection made on a worker unmarshals it here).
  return m_pBrowserApp && IsSameComObject(browser, m_pBrowserApp);
}

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

CBrowserEventConnection::BoundedConnect CBrowserEventConnection::ConnectWithin(
    IWebBrowser2* browser, DWORD timeoutMs, std::function<void(IWebBrowser2*)> first) {
  if (!browser) return BoundedConnect::QueryFailed;
  IClientSecurity* proxy = nullptr;  // a proxy answers this itself, without a call
  if (FAILED(browser->QueryInterface(IID_IClientSecurity, reinterpret_cast<void**>(&proxy))) || !proxy) {
    // An object of this apartment: nothing can keep it from answering, so it is asked here.
    if (first) first(browser);
    IWebBrowserApp* app = nullptr;
    const HRESULT hr = browser->QueryInterface(IID_IWebBrowserApp, reinterpret_cast<void**>(&app));
    browser->Release();
    if (FAILED(hr) || !app) return hr == E_NOINTERFACE ? BoundedConnect::NotABrowser : BoundedConnect::QueryFailed;
    CBrowserEventConnection::Connect(app);
    app->Release();
    if (!IsAdvised()) return IsAttached() ? BoundedConnect::NotAdvised : BoundedConnect::QueryFailed;
    OnAdvisedWithin();
    return BoundedConnect::Advised;
  }
  proxy->Release();
  auto job = std::make_shared<ConnectJob>();
  job->first = std::move(first);
  // Marshalling this thread's proxy hands on references it already holds: no call.
  if (FAILED(::CoMarshalInterThreadInterfaceInStream(IID_IWebBrowser2, browser, &job->browserIn))) {
    job->browserIn = nullptr;
    browser->Release();
    return BoundedConnect::QueryFailed;
  }
  // The sink lives until the worker is done with it.
  CWebBrowserEvents2* sink = m_pSink;
  sink->ExternalAddRef();
  job->sink.Register(sink->GetIDispatch(FALSE), IID_IDispatch);

  // Takes the outcome the worker handed over, once.
  BoundedConnect outcome = BoundedConnect::NotAnswered;
  bool taken = false;
  auto take = [&] {
    if (taken) return;
    taken = true;
    sink->SetBeforeEvent(nullptr);
    job->takenByCaller = true;
    job->sink.Revoke();
    sink->ExternalRelease();
    m_pChosenBrowser = browser;
    m_pBrowserApp = TakeMarshalled<IWebBrowserApp>(job->appOut, IID_IWebBrowserApp);
    m_pConnectionPoint = TakeMarshalled<IConnectionPoint>(job->pointOut, IID_IConnectionPoint);
    if (m_pConnectionPoint) {
      m_dwCookie = job->cookie;
      m_parkedConnectionPoint.TakeFrom(job->parkedPoint);
    }
    if (IsAdvised()) outcome = BoundedConnect::Advised;
    else if (m_pBrowserApp) outcome = BoundedConnect::NotAdvised;
    else if (job->appQuery == E_NOINTERFACE) outcome = BoundedConnect::NotABrowser;
    else outcome = BoundedConnect::QueryFailed;
    if (outcome == BoundedConnect::Advised) OnAdvisedWithin();
  };
  auto handedOver = [&job] {
    return ::InterlockedCompareExchange(&job->state, kConnectRunning, kConnectRunning) == kConnectHandedOver;
  };
  // An event can arrive as soon as the advise is made, while this thread still waits: the
  // outcome is taken first (the worker is about to hand it over), so the event comes after
  // what the caller writes for it. One that comes without an outcome within the limit goes.
  const DWORD started = ::GetTickCount();
  sink->SetBeforeEvent([&] {
    while (!handedOver() && ::GetTickCount() - started < timeoutMs)
      CApartmentWork::WaitPumping(nullptr, kOutcomeRecheckMs);
    if (!handedOver()) return false;
    take();
    return true;
  });

  const BOOL finished = CApartmentWork::Run([job] { RunConnect(*job); }, timeoutMs, [job, sink, browser] {
    if (job->takenByCaller) return;
    // The browser has answered at last: what the caller left for it goes now.
    job->sink.Revoke();
    sink->ExternalRelease();
    browser->Release();
  });
  if (!taken && !finished &&
      ::InterlockedCompareExchange(&job->state, kConnectAbandoned, kConnectRunning) == kConnectRunning) {
    // The browser may still take the sink; as when letting go, it leaves the holder, takes
    // no more calls from other processes and lives until the worker is done. The holder
    // gets a fresh sink for the same listener.
    DetachSink()->ExternalRelease();  // the holder's own; the worker's goes when it is done
    return BoundedConnect::NotAnswered;
  }
  // Handed over (perhaps just after the wait ended, the worker still letting go of its own).
  take();
  return outcome;
}

CWebBrowserEvents2* CBrowserEventConnection::DetachSink() {
  CWebBrowserEvents2* sink = m_pSink;
  sink->SetBeforeEvent(nullptr);
  m_pSink = new CWebBrowserEvents2;
  m_pSink->SetListener(sink->GetListener());
  sink->SetListener(nullptr);
  // The stubs' references go; the holder's own stays until the caller lets go of it.
  sink->ExternalAddRef();
  ::CoDisconnectObject(sink->GetIDispatch(FALSE), 0);
  sink->ExternalRelease();
  return sink;
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
  IUnknown* chosenBrowser = m_pChosenBrowser;
  auto released = std::make_shared<ReleasedConnection>();
  released->cookie = m_dwCookie;
  m_pConnectionPoint = nullptr;
  m_pBrowserApp = nullptr;
  m_pChosenBrowser = nullptr;
  m_dwCookie = 0;
  // The browser may call the sink until it hears of the unadvise, and one in this apartment
  // holds it directly: the sink leaves the holder, stops passing events on, takes no more
  // calls from other processes, and lives until the browser has let go of it. The holder
  // gets a fresh sink for the same listener.
  CWebBrowserEvents2* sink = DetachSink();
  if (!connectionPoint && !browserApp && !chosenBrowser) {
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
      [released, connectionPoint, browserApp, chosenBrowser, sink] {
        released->connectionPoint.Revoke();
        if (connectionPoint) connectionPoint->Release();
        if (browserApp) browserApp->Release();
        if (chosenBrowser) chosenBrowser->Release();
        sink->ExternalRelease();
      });
}
