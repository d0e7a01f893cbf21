#include "browser/BrowserEventConnection.h"

#include <memory>

#include "receiving/EventReceiver.h"
#include "receiving/EventMailbox.h"
#include "browser/WebBrowserEvents2.h"
#include "framework/AdoptReference.h"
#include "framework/ComIdentity.h"
#include "threads/Dispatcher.h"

using Microsoft::WRL::ComPtr;

namespace {

// How long a worker letting go of a connection waits for the receiving thread to have let go
// of the receiver's hold on the browser: a release the browser, having just answered the
// unadvise, answers at once.
constexpr DWORD kReceiverCloseWaitMs = 10000;

}  // namespace

// What the worker of BeginConnect hands the holder: everything marshalled for it.
struct CBrowserEventConnection::ConnectOutcome {
  HRESULT appQuery = E_FAIL;
  DWORD cookie = 0;
  CMarshalledInterface<IWebBrowserApp> app;
  CMarshalledInterface<IConnectionPoint> point;
  // Second marshals of the point and the browser, kept by the holder for the worker that lets
  // go of them later.
  std::shared_ptr<CMarshalledInterface<IConnectionPoint>> parkedPoint =
      std::make_shared<CMarshalledInterface<IConnectionPoint>>();
  std::shared_ptr<CMarshalledInterface<IWebBrowserApp>> parkedBrowser =
      std::make_shared<CMarshalledInterface<IWebBrowserApp>>();
  // The receiver the browser was advised of (none when the advise failed: it is closed).
  ComPtr<CEventReceiver> receiver;
};

namespace {

using ConnectOutcome = CBrowserEventConnection::ConnectOutcome;

// The worker's side of BeginConnect: the receiver marshalled where it is served, then the
// calls of Connect, the outcome marshalled for the holder.
ConnectOutcome RunConnect(CMarshalledInterface<IWebBrowser2>& chosen, const ComPtr<CEventReceiver>& receiver,
                          DWORD timeoutMs, const std::function<void(IWebBrowser2*)>& first) {
  ConnectOutcome outcome;
  CMarshalledInterface<IDispatch> events;
  if (!CEventReceiver::MarshalForBrowsers(receiver, events, timeoutMs)) {
    CEventReceiver::Close(receiver, 0);
    return outcome;
  }
  const ComPtr<IWebBrowser2> browser = chosen.Take();
  ComPtr<IWebBrowserApp> app;
  if (browser) {
    if (first) first(browser.Get());
    outcome.appQuery = browser.As(&app);
  }
  if (!app) {
    CEventReceiver::Close(receiver, 0);
    return outcome;
  }
  // What the holder takes is marshalled while the browser answers: marshalling a proxy may
  // ask its server for references, and a browser may stop answering right after refusing.
  outcome.app.Marshal(app.Get());
  outcome.parkedBrowser->Marshal(app.Get());
  ComPtr<IConnectionPointContainer> container;
  ComPtr<IConnectionPoint> point;
  const ComPtr<IDispatch> sink = events.Take();
  if (sink && SUCCEEDED(app.As(&container)) &&
      SUCCEEDED(container->FindConnectionPoint(DIID_DWebBrowserEvents2, &point)) && point) {
    // Marshalled as the interface already in use: marshalling a proxy's IUnknown would ask
    // the browser for it (a call, and a stub it keeps); the identity is its own either way.
    auto identity = std::make_shared<CMarshalledInterface<IWebBrowserApp>>();
    identity->Marshal(app.Get());
    receiver->SetBrowser(identity);
    if (FAILED(point->Advise(sink.Get(), &outcome.cookie))) outcome.cookie = 0;
  }
  if (!outcome.cookie) {
    // Refused: nothing more is asked of the browser, which may have stopped answering.
    CEventReceiver::Close(receiver, 0);
    return outcome;
  }
  outcome.receiver = receiver;
  outcome.point.Marshal(point.Get());
  outcome.parkedPoint->Marshal(point.Get());
  return outcome;
}

// An outcome the caller did not take, on the worker: the browser keeps nothing of it.
void UndoConnect(ConnectOutcome& outcome) {
  if (outcome.cookie)
    if (const ComPtr<IConnectionPoint> point = outcome.point.Take()) point->Unadvise(outcome.cookie);
  CEventReceiver::Close(std::move(outcome.receiver), kReceiverCloseWaitMs);
}

// Lets go of a connection's objects without waiting for the browser: the receiver (if any)
// takes no more events at once; a worker unadvises through its own proxy of the parked point
// and releases its own proxy of the parked browser (a call into the browser too), and only
// once it has heard from the browser does the receiving thread let go of the receiver's hold
// on it, and this thread release its own proxies, whose last release is itself a call into
// the browser. `sink` (may be NULL) is released with them.
void LetGoInBackground(ComPtr<IConnectionPoint> point, ComPtr<IWebBrowserApp> app, ComPtr<IWebBrowser2> chosen,
                       DWORD cookie, CBrowserEventConnection::ParkedConnection parked, CWebBrowserEvents2* sink,
                       ComPtr<CEventReceiver> receiver) {
  auto letGo = [point, app, chosen, sink]() mutable {
    point.Reset();
    app.Reset();
    chosen.Reset();
    if (sink) sink->ExternalRelease();
  };
  if (!point.Get() && !app.Get() && !chosen.Get() && !parked.point && !parked.browser && !receiver) {
    letGo();
    return;
  }
  auto job = std::make_shared<CBoundedWork<bool>>();
  const bool started = job->Start(
      [parked, cookie, receiver] {
        if (parked.point)
          if (const ComPtr<IConnectionPoint> own = parked.point->Take())
            if (cookie) own->Unadvise(cookie);
        if (parked.browser) parked.browser->Discard();
        CEventReceiver::Close(receiver, kReceiverCloseWaitMs);
        return true;
      },
      nullptr,
      [job, letGo](std::optional<bool>) mutable { letGo(); });
  if (!started) {
    CEventReceiver::Close(receiver, 0);
    letGo();
  }
}

}  // namespace

CBrowserEventConnection::CBrowserEventConnection()
    : m_pSink(nullptr), m_pBrowserApp(nullptr), m_pConnectionPoint(nullptr), m_dwCookie(0) {
  m_pSink = new CWebBrowserEvents2;
  m_pSink->SetListener(this);
}

CBrowserEventConnection::~CBrowserEventConnection() {
  CancelConnect();
  // The owner unadvises before destroying the holder; a holder destroyed while still
  // advised unadvises here, so the browser does not keep calling a deleted sink. If that
  // failed (a browser that died leaves Unadvise failing) the references still held are
  // given back here, not leaked.
  if (IsAdvised()) CBrowserEventConnection::Unadvise();
  CloseMailbox();
  AdoptReference(m_pConnectionPoint);
  AdoptReference(m_pBrowserApp);
  m_pChosenBrowser.Reset();
  m_parked = ParkedConnection();
  delete m_pSink;
  m_pSink = nullptr;
}

BOOL CBrowserEventConnection::SetListener(IBrowserEventListener* listener) {
  m_pSink->SetListener(listener);
  return TRUE;
}

void CBrowserEventConnection::OnQuit() {
  if (m_receiver) {
    DisconnectInBackground();
    return;
  }
  Unadvise();
  // The browser object handed to BeginConnect, and the browser parked for a worker, are the
  // holder's last holds on the browser once the unadvise has let go of the others.
  ParkedConnection parked;
  if (!m_pBrowserApp) parked.browser = std::move(m_parked.browser);
  LetGoInBackground(nullptr, nullptr, std::move(m_pChosenBrowser), 0, parked, nullptr, nullptr);
}

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
  // A browser of this apartment is let go here, without a worker.
  if (IsProxy(m_pBrowserApp)) {
    m_parked.browser = std::make_shared<CMarshalledInterface<IWebBrowserApp>>();
    m_parked.browser->Marshal(m_pBrowserApp);
  }
  return Advise();
}

bool CBrowserEventConnection::BeginConnect(IWebBrowser2* browser, DWORD timeoutMs,
                                           std::function<void(IWebBrowser2*)> first, ConnectDone done) {
  ComPtr<IWebBrowser2> chosen = AdoptReference(browser);
  if (!chosen || m_pBrowserApp || m_connecting) return false;
  CDispatcher* dispatcher = CDispatcher::ForThisThread();
  if (!dispatcher) return false;
  if (!IsProxy(chosen.Get())) {
    // An object of this apartment: nothing can keep it from answering, so it is asked here;
    // the outcome is told from the dispatcher all the same.
    if (first) first(chosen.Get());
    ComPtr<IWebBrowserApp> app;
    const HRESULT hr = chosen.As(&app);
    chosen.Reset();
    BoundedConnect outcome = hr == E_NOINTERFACE ? BoundedConnect::NotABrowser : BoundedConnect::QueryFailed;
    if (SUCCEEDED(hr) && app) {
      CBrowserEventConnection::Connect(app.Get());
      outcome = IsAdvised() ? BoundedConnect::Advised : IsAttached() ? BoundedConnect::NotAdvised
                                                                     : BoundedConnect::QueryFailed;
    }
    if (outcome == BoundedConnect::Advised) OnAdvisedWithin();
    dispatcher->Post([alive = std::weak_ptr<int>(m_lifetime), done, outcome] {
      if (!alive.expired() && done) done(outcome);
    });
    return true;
  }
  // Marshalling this thread's proxy hands on references it already holds: no call.
  auto forWorker = std::make_shared<CMarshalledInterface<IWebBrowser2>>();
  // The browser calls a receiver on the receiving thread, which posts its events to the
  // mailbox; they may come as soon as the advise is made, and wait there until the outcome
  // has been taken.
  std::shared_ptr<CEventMailbox> mailbox =
      CEventMailbox::Create([this](ReceivedEvent& event) { DeliverReceived(event); });
  const ComPtr<CEventReceiver> receiver =
      mailbox ? CEventReceiver::Create(CWebBrowserEvents2::EventMap(), mailbox) : nullptr;
  if (!receiver || !forWorker->Marshal(chosen.Get())) return false;
  mailbox->Hold();
  auto work = std::make_unique<CBoundedWork<ConnectOutcome>>();
  const bool started = work->Start(
      [forWorker, receiver, timeoutMs, first] { return RunConnect(*forWorker, receiver, timeoutMs, first); },
      &UndoConnect,
      [this, done = std::move(done)](std::optional<ConnectOutcome> outcome) {
        FinishConnect(std::move(outcome), done);
      },
      timeoutMs);
  if (!started) {
    mailbox->Close();
    return false;
  }
  m_connecting = std::move(work);
  m_mailbox = mailbox;
  m_pChosenBrowser = std::move(chosen);
  return true;
}

void CBrowserEventConnection::FinishConnect(std::optional<ConnectOutcome> result, const ConnectDone& done) {
  const std::weak_ptr<int> alive = m_lifetime;
  if (!result) {
    // Not answered in time: the worker undoes what it made (closes the receiver and
    // unadvises) once the browser answers; nothing more reaches this holder. The chosen
    // browser goes once the browser has answered again.
    CancelConnect();
    if (done) done(BoundedConnect::NotAnswered);
    return;
  }
  // The worker is done with this; it goes once the completion has returned.
  const std::unique_ptr<CBoundedWork<ConnectOutcome>> finished = std::move(m_connecting);
  m_pBrowserApp = result->app.Take().Detach();
  m_pConnectionPoint = result->point.Take().Detach();
  BoundedConnect outcome = BoundedConnect::QueryFailed;
  if (m_pConnectionPoint) {
    m_dwCookie = result->cookie;
    m_parked.point = result->parkedPoint;
    m_receiver = std::move(result->receiver);
    outcome = BoundedConnect::Advised;
  } else {
    CloseMailbox();
    if (m_pBrowserApp) outcome = BoundedConnect::NotAdvised;
    else if (result->appQuery == E_NOINTERFACE) outcome = BoundedConnect::NotABrowser;
  }
  if (m_pBrowserApp) m_parked.browser = result->parkedBrowser;
  if (outcome == BoundedConnect::Advised) OnAdvisedWithin();
  if (done) done(outcome);
  // The caller may have let go of this holder meanwhile (a message box it showed).
  if (alive.expired() || !m_mailbox) return;
  const std::shared_ptr<CEventMailbox> mailbox = m_mailbox;
  mailbox->Resume();
}

void CBrowserEventConnection::CancelConnect() {
  if (!m_connecting) return;
  CloseMailbox();
  // The chosen browser goes once the worker has heard from the browser again.
  m_connecting->LetGo([chosen = std::move(m_pChosenBrowser)]() mutable { chosen.Reset(); });
  m_connecting.reset();
}

CWebBrowserEvents2* CBrowserEventConnection::DetachSink() {
  CWebBrowserEvents2* sink = m_pSink;
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

  ComPtr<IConnectionPointContainer> container;
  if (FAILED(m_pBrowserApp->QueryInterface(IID_IConnectionPointContainer,
                                           reinterpret_cast<void**>(container.GetAddressOf()))) ||
      !container)
    return FALSE;

  AdoptReference(m_pConnectionPoint);  // left from an earlier advise that was refused
  if (FAILED(container->FindConnectionPoint(DIID_DWebBrowserEvents2, &m_pConnectionPoint)) ||
      !m_pConnectionPoint) {
    m_pConnectionPoint = nullptr;
    return FALSE;
  }

  // Parked before advising: parking is a call into the browser, during which events could
  // arrive, and none may come between the advise and the caller's next step.
  auto parked = std::make_shared<CMarshalledInterface<IConnectionPoint>>();
  parked->Marshal(m_pConnectionPoint);
  const HRESULT hr = m_pConnectionPoint->Advise(m_pSink->GetIDispatch(FALSE), &m_dwCookie);
  if (FAILED(hr)) {
    m_dwCookie = 0;
    return FALSE;
  }
  m_parked.point = parked;
  return TRUE;
}

BOOL CBrowserEventConnection::Unadvise() {
  if (!m_pBrowserApp) return FALSE;
  if (!m_pConnectionPoint) return TRUE;
  if (m_receiver) {
    DisconnectInBackground();
    return TRUE;
  }

  // Events arrive re-entrantly during any outgoing call, OnQuit among them, and OnQuit
  // unadvises: the members are taken and cleared before calling out, so a nested call finds
  // nothing left to give back and the references are released exactly once.
  ComPtr<IConnectionPoint> connectionPoint = AdoptReference(m_pConnectionPoint);
  const DWORD cookie = m_dwCookie;
  m_dwCookie = 0;
  m_parked.point.reset();
  if (FAILED(connectionPoint->Unadvise(cookie))) return FALSE;
  connectionPoint.Reset();

  AdoptReference(m_pBrowserApp);
  return TRUE;
}

void CBrowserEventConnection::DisconnectInBackground() {
  ComPtr<IConnectionPoint> point = AdoptReference(m_pConnectionPoint);
  ComPtr<IWebBrowserApp> app = AdoptReference(m_pBrowserApp);
  const DWORD cookie = m_dwCookie;
  m_dwCookie = 0;
  // A browser that calls the receiver: nothing more of it reaches this holder, and the
  // receiver is closed in its apartment. One that holds the sink may call it until it hears
  // of the unadvise: the sink leaves the holder, stops passing events on, takes no more
  // calls from other processes, and lives until the browser has let go of it. The holder
  // gets a fresh sink for the same listener.
  ComPtr<CEventReceiver> receiver = std::move(m_receiver);
  CloseMailbox();
  CWebBrowserEvents2* sink = receiver ? nullptr : DetachSink();
  LetGoInBackground(std::move(point), std::move(app), std::move(m_pChosenBrowser), cookie, std::move(m_parked),
                    sink, std::move(receiver));
}

void CBrowserEventConnection::CloseMailbox() {
  if (!m_mailbox) return;
  m_mailbox->Close();
  m_mailbox.reset();
}

void CBrowserEventConnection::DeliverReceived(ReceivedEvent& event) {
  for (const ReceivedEvent::Origin& origin : event.origins)
    event.params.SetDispatch(origin.position, origin.connectedBrowser
                                                  ? static_cast<IDispatch*>(m_pBrowserApp)
                                                  : CEventReceiver::FrameStandIn(origin.frame).Get());
  m_pSink->Deliver(event.dispid, event.params.Get());
}
