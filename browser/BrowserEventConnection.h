#pragma once
// Connects an event sink to one browser and receives its events as listener calls. Owns the
// sink; holds the browser object, its DWebBrowserEvents2 connection point and the advise
// cookie. States: detached (no browser), attached but not advised, advised. Derive from it
// and override the listener operations to handle the events of the connected browser.
// A browser of another apartment connected by BeginConnect calls a receiver on the
// receiving thread (an apartment of its own) instead of the sink, so its calls never wait for
// this thread: the receiver posts each event to the connection's mailbox, and the sink's
// dispatch runs it here, in arrival order.
#include <windows.h>
#include <exdisp.h>
#include <ocidl.h>

#include <wrl/client.h>

#include <functional>
#include <memory>
#include <optional>

#include "browser/BrowserEventListener.h"
#include "threads/BoundedWork.h"
#include "threads/MarshalledInterface.h"

class CEventMailbox;
class CEventReceiver;
class CWebBrowserEvents2;
struct ReceivedEvent;

class CBrowserEventConnection : public IBrowserEventListener {
 public:
  // How a connection made within a time limit ended.
  enum class BoundedConnect {
    Advised,       // attached and advised
    NotAdvised,    // attached, but the browser refused the advise
    NotABrowser,   // the browser offers no IWebBrowserApp: not attached
    QueryFailed,   // the query for IWebBrowserApp failed otherwise: not attached
    NotAnswered,   // the browser did not answer in time: not attached
  };

  // What a connection keeps marshalled for the worker that lets go of it later, in an
  // apartment of its own: the connection point (to unadvise) and the browser (whose release
  // tells the worker that the browser answers).
  struct ParkedConnection {
    std::shared_ptr<CMarshalledInterface<IConnectionPoint>> point;
    std::shared_ptr<CMarshalledInterface<IWebBrowserApp>> browser;
  };

  // What a connect's worker hands back (defined where it is made).
  struct ConnectOutcome;

  CBrowserEventConnection();
  CBrowserEventConnection(const CBrowserEventConnection&) = delete;
  CBrowserEventConnection& operator=(const CBrowserEventConnection&) = delete;

  // The browser has gone: let go of it (a browser of this apartment is unadvised here; one
  // whose events come through the receiver, and the browser object handed to BeginConnect,
  // are let go off this thread).
  void OnQuit() override;

  virtual ~CBrowserEventConnection();

  // Attaches the browser object and advises the sink; TRUE at once if already attached.
  virtual BOOL Connect(IUnknown* browser);
  using ConnectDone = std::function<void(BoundedConnect)>;
  // Starts what Connect does, for a holder neither attached nor connecting, and returns at
  // once: every call into the browser is made on a worker apartment, never on this thread.
  // `first` runs on the worker with the browser before anything else (the caller's own
  // questions to it). Takes over the caller's reference to `browser`. `done` runs once on
  // this thread, through its dispatcher, with the outcome, or with NotAnswered once
  // `timeoutMs` have passed without one; never after CancelConnect or the holder's end. On
  // Advised, OnAdvisedWithin runs first, and the events the browser sent meanwhile are passed
  // on after `done`. A browser that answers too late is unadvised and let go by the worker. A
  // browser of this apartment is connected here (nothing can keep it from answering).
  // False when nothing could be started (`done` never runs).
  bool BeginConnect(IWebBrowser2* browser, DWORD timeoutMs, std::function<void(IWebBrowser2*)> first,
                    ConnectDone done);
  bool IsConnecting() const { return m_connecting != nullptr; }
  // Gives up a connect under way: `done` never runs, the worker undoes what it made, and the
  // browser handed over is let go once it has answered.
  void CancelConnect();
  // Unadvises; always TRUE.
  virtual BOOL Disconnect();
  virtual BOOL Advise();
  // Unadvises and lets go of the browser; one whose events come through the receiver is let
  // go off this thread (DisconnectInBackground).
  virtual BOOL Unadvise();
  // Lets go of the browser without waiting for it: the sink stops taking calls at once, and
  // the unadvise and the releases run on a worker thread, so a browser that does not answer
  // never holds this thread. The holder is detached on return.
  void DisconnectInBackground();

  BOOL SetListener(IBrowserEventListener* listener);
  bool IsAttached() const { return m_pBrowserApp != nullptr; }
  // The attached browser, this thread's (NULL while detached); borrowed.
  IWebBrowserApp* GetBrowserApp() const { return m_pBrowserApp; }
  bool IsAdvised() const { return m_pConnectionPoint != nullptr && m_dwCookie != 0; }
  // Whether `browser` (an event's browser argument) is the attached browser itself rather
  // than a frame of its page. Compared by COM identity with the browser held in this thread's
  // apartment, which is where the events arrive, so a proxy answers it without a call into
  // the browser. FALSE while detached.
  bool IsConnectedBrowser(IUnknown* browser) const;
  CWebBrowserEvents2* GetSink() const { return m_pSink; }

 protected:
  // BeginConnect has advised; no event has been passed on yet.
  virtual void OnAdvisedWithin() {}
  // Expires with the holder: work that reports back later learns whether it is still there.
  std::weak_ptr<int> LifetimeToken() const { return m_lifetime; }

  CWebBrowserEvents2* m_pSink;
  IWebBrowserApp* m_pBrowserApp;
  IConnectionPoint* m_pConnectionPoint;
  DWORD m_dwCookie;

 private:
  // Hands the holder a fresh sink for the same listener and returns the old one, which passes
  // nothing on, takes no more calls from other processes and keeps the holder's reference
  // (the caller's now) for a browser that may still hold it.
  CWebBrowserEvents2* DetachSink();
  // Runs a received event through the sink, the browser's dispatch arguments replaced by
  // this thread's stand-ins: the attached browser, or an object of no browser for a frame.
  void DeliverReceived(ReceivedEvent& event);
  // The receiver stops passing events here; nothing still queued is delivered.
  void CloseMailbox();

  // While attached and advised: the browser and the connection point, marshalled while the
  // browser answers (marshalling a proxy may ask its server for references), so that a worker
  // of any apartment can let go of them later.
  ParkedConnection m_parked;
  // Takes what the connect's worker made, or ends the connect as not answered.
  void FinishConnect(std::optional<ConnectOutcome> outcome, const ConnectDone& done);

  // The browser handed to BeginConnect: this thread's proxy, whose last release is a call
  // into the browser, so it is let go with the others.
  Microsoft::WRL::ComPtr<IWebBrowser2> m_pChosenBrowser;
  // The work of a connect under way.
  std::unique_ptr<CBoundedWork<ConnectOutcome>> m_connecting;
  // Gone with the holder: a completion posted for it learns whether it is still there.
  std::shared_ptr<int> m_lifetime = std::make_shared<int>(0);
  // While a browser of another apartment is connected (or connecting): where its receiver
  // queues the events for this thread, and the receiver, closed when the browser is let go.
  std::shared_ptr<CEventMailbox> m_mailbox;
  Microsoft::WRL::ComPtr<CEventReceiver> m_receiver;
};
