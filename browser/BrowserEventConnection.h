#pragma once
// Connects an event sink to one browser and receives its events as listener calls. Owns the
// sink; holds the browser object, its DWebBrowserEvents2 connection point and the advise
// cookie. States: detached (no browser), attached but not advised, advised. Derive from it
// and override the listener operations to handle the events of the connected browser.
#include <windows.h>
#include <exdisp.h>
#include <ocidl.h>

#include "browser/BrowserEventListener.h"
#include "framework/GlobalInterface.h"

class CWebBrowserEvents2;

class CBrowserEventConnection : public IBrowserEventListener {
 public:
  CBrowserEventConnection();
  CBrowserEventConnection(const CBrowserEventConnection&) = delete;
  CBrowserEventConnection& operator=(const CBrowserEventConnection&) = delete;

  // The browser has gone: let go of it.
  void OnQuit() override;

  virtual ~CBrowserEventConnection();

  // Attaches the browser object and advises the sink; TRUE at once if already attached.
  virtual BOOL Connect(IUnknown* browser);
  // Unadvises; always TRUE.
  virtual BOOL Disconnect();
  virtual BOOL Advise();
  virtual BOOL Unadvise();
  // Lets go of the browser without waiting for it: the sink stops taking calls at once, and
  // the unadvise and the releases run on a worker thread, so a browser that does not answer
  // never holds this thread. The holder is detached on return.
  void DisconnectInBackground();

  BOOL SetListener(IBrowserEventListener* listener);
  bool IsAttached() const { return m_pBrowserApp != nullptr; }
  bool IsAdvised() const { return m_pConnectionPoint != nullptr && m_dwCookie != 0; }
  CWebBrowserEvents2* GetSink() const { return m_pSink; }

 protected:
  CWebBrowserEvents2* m_pSink;
  IWebBrowserApp* m_pBrowserApp;
  IConnectionPoint* m_pConnectionPoint;
  DWORD m_dwCookie;

 private:
  // While advised: the connection point, parked in the global interface table when the
  // advise succeeded (parking a proxy asks its server for references, so it is done while
  // the browser answers), so that a worker can unadvise it later.
  CGlobalInterface m_parkedConnectionPoint;
};
