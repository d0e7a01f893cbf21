#pragma once
// The object a browser calls with its events, served on the receiving thread (an apartment
// thread shared by every connection, where no window is painted): the browser's call never
// waits for the window's thread. Invoke makes the checks the event sink's dispatch makes (refusing what it refuses,
// with the same result), copies what the event's handlers read, tells by COM identity here
// whether a browser argument is the connected browser or one of its frames, posts the copy
// to the connection's mailbox and returns. The window's thread then runs the sink's dispatch
// over the copy. After OnQuit, and once closed, calls are taken and dropped.
#include <windows.h>
#include <exdisp.h>
#include <oaidl.h>

#include <wrl/client.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "receiving/EventMailbox.h"
#include "framework/DispatchMap.h"
#include "threads/MarshalledInterface.h"

class CEventReceiver final : public IDispatch {
 public:
  // `map` says which events there are and what they take (the sink's, kept for the
  // process's life).
  static Microsoft::WRL::ComPtr<CEventReceiver> Create(const DispatchMap* map, std::shared_ptr<CEventMailbox> mailbox);

  // Marshals `receiver` on the receiving thread (starting it if need be), so that a browser
  // handed `marshalled` calls it there. Local to this process, and never from the window's
  // thread (it waits for the receiving thread up to `timeoutMs`); false when it could not be.
  static bool MarshalForBrowsers(const Microsoft::WRL::ComPtr<CEventReceiver>& receiver,
                                 CMarshalledInterface<IDispatch>& marshalled, DWORD timeoutMs);
  // Before the advise, on any thread: the connected browser, marshalled, to tell its own events
  // from its frames'. Taken on the receiving thread at the first event that names an object;
  // held until closed.
  void SetBrowser(std::shared_ptr<CMarshalledInterface<IWebBrowserApp>> browser);
  // On a worker: `receiver` takes no more events at once. The browser's identity, if no event
  // ever needed it, is given back here, on the calling worker (a call into the browser); the
  // receiving thread then lets go of the identity an event made its own (a proxy it
  // unmarshalled while the browser was in its call to it; the caller closes the receiver once
  // the browser has answered the unadvise) and of every reference other processes hold on the
  // receiver. The caller waits for that at most `waitMs`, so that its end means the browser
  // has been let go; 0: no wait. The receiving thread never releases what it did not make.
  static void Close(Microsoft::WRL::ComPtr<CEventReceiver> receiver, DWORD waitMs);

  // The stand-in put in place of a frame's dispatch argument on the window's thread: an
  // object of no browser, so it is never taken for the connected one, that says which frame
  // of the connection it stands for (FrameNumberOf). The caller owns the reference.
  static Microsoft::WRL::ComPtr<IDispatch> FrameStandIn(uint32_t frame);
  // The frame number a stand-in carries; 0 for any other object, and for a frame beyond
  // those a connection tells apart.
  static uint32_t FrameNumberOf(IDispatch* object);
  // How many frames of one connection are told apart at a time: the frames an event came
  // from most lately. Each is held (a proxy of the receiving thread) so that its identity
  // stays its own; the one seen least lately makes room for a new one.
  static constexpr size_t kFramesToldApart = 64;

  STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;
  STDMETHODIMP GetTypeInfoCount(UINT* count) override;
  STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
  STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* dispids) override;
  STDMETHODIMP Invoke(DISPID dispid, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO* exception, UINT* argumentError) override;

 private:
  CEventReceiver(const DispatchMap* map, std::shared_ptr<CEventMailbox> mailbox);
  ~CEventReceiver();
  HRESULT Receive(DISPID dispid, REFIID iid, DISPPARAMS* params, UINT* argumentError);
  // On the receiving thread: the number of the frame `object` (not the connected browser).
  uint32_t FrameNumber(IDispatch* object);
  // On the receiving thread: the lets-go of Close.
  void LetGoOfBrowser();

  std::atomic<ULONG> m_refs{1};
  const DispatchMap* const m_map;
  const std::shared_ptr<CEventMailbox> m_mailbox;
  // The connected browser's identity: marshalled until the first event needs it, then the
  // receiving thread's. The marshalled one is guarded by m_lock; m_browser is the receiving
  // thread's only.
  std::mutex m_lock;
  std::shared_ptr<CMarshalledInterface<IWebBrowserApp>> m_marshalledBrowser;
  Microsoft::WRL::ComPtr<IWebBrowserApp> m_browser;
  // The frames told apart, least lately seen first, by COM identity; the receiving thread's only.
  struct Frame {
    Microsoft::WRL::ComPtr<IUnknown> identity;
    uint32_t number;
  };
  std::vector<Frame> m_frames;
  uint32_t m_nLastFrame = 0;
  std::atomic<bool> m_closed{false};
  std::atomic<bool> m_quit{false};
};
