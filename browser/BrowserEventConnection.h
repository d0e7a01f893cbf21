#pragma once
// Connects an event sink to one browser and receives its events as listener calls. Owns the
// sink; holds the browser object, its DWebBrowserEvents2 connection point and the advise
// cookie. States: detached (no browser), attached but not advised, advised. Derive from it
// and override the listener operations to handle the events of the connected browser.
// A browser of another apartment connected by ConnectWithin calls a receiver on the
// receiving thread (an apartment of its own) instead of the sink, so its calls never wait for
// this thread: the receiver queues each event, and the sink's dispatch runs it here, in
// arrival order.
#include <windows.h>
#include <exdisp.h>
#include <ocidl.h>

#include <wrl/client.h>

#include <functional>
#include <memory>

#include "browser/BrowserEventListener.h"
#include "framework/BoundedWork.h"
#include "framework/MarshalledInterface.h"

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

  CBrowserEventConnection();
  CBrowserEventConnection(const CBrowserEventConnection&) = delete;
  CBrowserEventConnection& operator=(const CBrowserEventConnection&) = delete;

  // The browser has gone: let go of it (a browser of this apartment is unadvised here; one
  // whose events come through the receiver, and the browser object handed to ConnectWithin,
  // are let go off this thread).
  void OnQuit() override;

  virtual ~CBrowserEventConnection();

  // Attaches the browser object and advises the sink; TRUE at once if already attached.
  virtual BOOL Connect(IUnknown* browser);
  // What Connect does, for a holder not yet attached, with every call into the browser made
  // on a worker apartment: this thread waits at most `timeoutMs` for them, dispatching its
  // messages, and never calls into the browser itself. `first` runs on the worker with the
  // browser before anything else (the caller's own questions to it). Takes over the caller's
  // reference to `browser`. OnAdvisedWithin runs before any event is passed on. A browser
  // that answers too late is unadvised and let go by the worker.
  virtual BoundedConnect ConnectWithin(IWebBrowser2* browser, DWORD timeoutMs,
                                       std::function<void(IWebBrowser2*)> first);
  // Ends a ConnectWithin under way on this holder (called from a message handled during its
  // wait, e.g. while the window closes): it returns NotAnswered at once, and what its worker
  // made is undone there.
  void AbandonConnect();
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
  // ConnectWithin has advised; no event has been passed on yet.
  virtual void OnAdvisedWithin() {}

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
  // The browser handed to ConnectWithin: this thread's proxy, whose last release is a call
  // into the browser, so it is let go with the others.
  Microsoft::WRL::ComPtr<IWebBrowser2> m_pChosenBrowser;
  // The work of a ConnectWithin under way.
  CBoundedWorkBase* m_pConnecting = nullptr;
  // While a browser of another apartment is connected (or connecting): where its receiver
  // queues the events for this thread, and the receiver, closed when the browser is let go.
  std::shared_ptr<CEventMailbox> m_mailbox;
  Microsoft::WRL::ComPtr<CEventReceiver> m_receiver;
};
