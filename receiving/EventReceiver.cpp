#include "receiving/EventReceiver.h"

#include <exdisp.h>
#include <exdispid.h>

#include <cstring>
#include <new>

#include "threads/ApartmentThread.h"
#include "framework/ComIdentity.h"

using Microsoft::WRL::ComPtr;

namespace {

// The thread every connection's receiver is served on.
CApartmentThread& ReceivingThread() {
  static CApartmentThread* thread = new CApartmentThread;  // ended with the others at exit
  return *thread;
}

// The stand-in's own interface, known only here: asked for, it answers with the stand-in.
// {6F1B6E52-3C0A-4E43-9A57-2B9E4D7C1F08}
const IID kStandInIid = {0x6f1b6e52, 0x3c0a, 0x4e43, {0x9a, 0x57, 0x2b, 0x9e, 0x4d, 0x7c, 0x1f, 0x08}};

// An IDispatch of no object but itself, answering nothing but which frame it stands for.
class StandIn final : public IDispatch {
 public:
  explicit StandIn(uint32_t frame) : m_frame(frame) {}
  uint32_t Frame() const { return m_frame; }

  STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IDispatch) && !IsEqualIID(iid, kStandInIid))
      return E_NOINTERFACE;
    *object = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++m_refs; }
  STDMETHODIMP_(ULONG) Release() override {
    const ULONG left = --m_refs;
    if (left == 0) delete this;
    return left;
  }
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    if (count) *count = 0;
    return count ? S_OK : E_POINTER;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (info) *info = nullptr;
    return DISP_E_BADINDEX;
  }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return DISP_E_UNKNOWNNAME; }
  STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return DISP_E_MEMBERNOTFOUND;
  }

 private:
  ~StandIn() = default;
  const uint32_t m_frame;
  std::atomic<ULONG> m_refs{1};
};

}  // namespace

ComPtr<IDispatch> CEventReceiver::FrameStandIn(uint32_t frame) {
  ComPtr<IDispatch> standIn;
  standIn.Attach(new (std::nothrow) StandIn(frame));
  return standIn;
}

uint32_t CEventReceiver::FrameNumberOf(IDispatch* object) {
  IDispatch* standIn = nullptr;
  if (!object || FAILED(object->QueryInterface(kStandInIid, reinterpret_cast<void**>(&standIn))) || !standIn)
    return 0;
  const uint32_t frame = static_cast<StandIn*>(standIn)->Frame();
  standIn->Release();
  return frame;
}

ComPtr<CEventReceiver> CEventReceiver::Create(const DispatchMap* map, std::shared_ptr<CEventMailbox> mailbox) {
  ComPtr<CEventReceiver> receiver;
  receiver.Attach(new (std::nothrow) CEventReceiver(map, std::move(mailbox)));
  return receiver;
}

CEventReceiver::CEventReceiver(const DispatchMap* map, std::shared_ptr<CEventMailbox> mailbox)
    : m_map(map), m_mailbox(std::move(mailbox)) {}

// Close has let go of the browser on the receiving thread on every path of the connection
// holder; a receiver never closed lets go of it here.
CEventReceiver::~CEventReceiver() = default;

bool CEventReceiver::MarshalForBrowsers(const ComPtr<CEventReceiver>& receiver,
                                        CMarshalledInterface<IDispatch>& marshalled, DWORD timeoutMs) {
  if (!receiver || !ReceivingThread().Start()) return false;
  // Shared: a step that runs after the wait has given up still has somewhere to write.
  auto target = std::make_shared<CMarshalledInterface<IDispatch>>();
  if (!ReceivingThread().Run([receiver, target] { target->Marshal(receiver.Get()); }, timeoutMs)) return false;
  marshalled = std::move(*target);
  return !marshalled.IsEmpty();
}

void CEventReceiver::SetBrowser(std::shared_ptr<CMarshalledInterface<IWebBrowserApp>> browser) {
  std::lock_guard<std::mutex> hold(m_lock);
  m_marshalledBrowser = std::move(browser);
}

void CEventReceiver::Close(ComPtr<CEventReceiver> receiver, DWORD waitMs) {
  if (!receiver) return;
  receiver->m_closed.store(true);
  std::shared_ptr<CMarshalledInterface<IWebBrowserApp>> marshalled;
  {
    std::lock_guard<std::mutex> hold(receiver->m_lock);
    marshalled = std::move(receiver->m_marshalledBrowser);
  }
  marshalled.reset();  // here, on the caller's worker: a browser that hangs holds only it
  auto letGo = [receiver] { receiver->LetGoOfBrowser(); };
  if (waitMs) ReceivingThread().Run(letGo, waitMs);
  else ReceivingThread().Post(letGo);
}

uint32_t CEventReceiver::FrameNumber(IDispatch* object) {
  // Asking a proxy for its identity is answered by the proxy itself: no call into the browser.
  ComPtr<IUnknown> identity;
  if (FAILED(object->QueryInterface(IID_PPV_ARGS(&identity))) || !identity) return 0;
  for (auto frame = m_frames.begin(); frame != m_frames.end(); ++frame) {
    if (frame->identity.Get() != identity.Get()) continue;
    Frame seen = std::move(*frame);
    m_frames.erase(frame);
    m_frames.push_back(std::move(seen));
    return m_frames.back().number;
  }
  // The frame seen least lately goes; the browser that owns it is in its call to this
  // receiver, so it answers the release.
  if (m_frames.size() >= kFramesToldApart) m_frames.erase(m_frames.begin());
  m_frames.push_back(Frame{std::move(identity), ++m_nLastFrame});
  return m_nLastFrame;
}

void CEventReceiver::LetGoOfBrowser() {
  m_browser.Reset();
  m_frames.clear();
  // Keeps this object alive across the disconnect, which releases the stubs' references.
  AddRef();
  ::CoDisconnectObject(static_cast<IDispatch*>(this), 0);
  Release();
}

STDMETHODIMP CEventReceiver::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IDispatch) && !IsEqualIID(iid, DIID_DWebBrowserEvents2))
    return E_NOINTERFACE;
  *object = static_cast<IDispatch*>(this);
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) CEventReceiver::AddRef() { return ++m_refs; }

STDMETHODIMP_(ULONG) CEventReceiver::Release() {
  const ULONG left = --m_refs;
  if (left == 0) delete this;
  return left;
}

STDMETHODIMP CEventReceiver::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 0;
  return S_OK;
}

STDMETHODIMP CEventReceiver::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info) *info = nullptr;
  return DISP_E_BADINDEX;
}

STDMETHODIMP CEventReceiver::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID, DISPID* dispids) {
  return DispatchIDsOfNames(m_map, iid, names, count, dispids);
}

STDMETHODIMP CEventReceiver::Invoke(DISPID dispid, REFIID iid, LCID, WORD, DISPPARAMS* params, VARIANT* result,
                                    EXCEPINFO*, UINT* argumentError) {
  // No exception leaves the call: the checks and the copy allocate.
  try {
    const HRESULT hr = Receive(dispid, iid, params, argumentError);
    if (SUCCEEDED(hr) && result) VariantInit(result);
    return hr;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return DISP_E_EXCEPTION;
  }
}

HRESULT CEventReceiver::Receive(DISPID dispid, REFIID iid, DISPPARAMS* params, UINT* argumentError) {
  DispatchArguments args;
  const DispatchEntry* entry = nullptr;
  const HRESULT checked = PrepareDispatchCall(m_map, iid, dispid, params, args, &entry, argumentError);
  if (FAILED(checked)) return checked;
  // Taken and dropped: the browser has said it quits, or the connection has ended.
  if (m_closed.load() || m_quit.load()) return S_OK;

  ReceivedEvent event;
  event.dispid = dispid;
  const HRESULT copied = event.params.CopyFrom(*params);
  if (FAILED(copied)) return copied;
  // The dispatch arguments are not carried over (their pointers belong to this apartment);
  // for each that names an object, what the handlers need of it is decided here: whether it
  // is the connected browser.
  const size_t declared = std::strlen(entry->lpszParams);
  for (size_t i = 0; i < declared; ++i) {
    if (static_cast<BYTE>(entry->lpszParams[i]) != static_cast<BYTE>(VTS_DISPATCH[0])) continue;
    IDispatch* object = args.Get<IDispatch*>(i);
    if (!object) continue;
    bool connected = false;
    if (!m_browser) {
      // Unmarshalling asks nothing of the browser: the references travel with the data.
      std::lock_guard<std::mutex> hold(m_lock);
      if (m_marshalledBrowser) m_browser = m_marshalledBrowser->Take();
      m_marshalledBrowser.reset();
    }
    connected = m_browser && IsSameComObject(object, m_browser.Get());
    event.origins.push_back(ReceivedEvent::Origin{declared - 1 - i, connected, connected ? 0 : FrameNumber(object)});
  }
  // After OnQuit the connection lets go of the browser; as when the browser was still in
  // its call, nothing it sends after OnQuit is recorded. Such calls are answered S_OK and
  // dropped here, never copied or queued. The mailbox, closed when OnQuit is delivered on the
  // window's thread, would drop them too (they would wait behind OnQuit): this check spares
  // the copy and the queue; what is recorded is the same either way.
  if (dispid == DISPID_ONQUIT) m_quit.store(true);
  if (m_mailbox) m_mailbox->Post(std::move(event));
  return S_OK;
}
