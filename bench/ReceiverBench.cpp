// What the receiver itself adds to a browser's call: the time inside its Invoke (the checks,
// the copy of the arguments, the queueing) for each of the three events of the event cost
// sections, against the sink's own dispatch to a listener that does nothing, both called
// directly in this process (no call across processes, no window system). Run by hand:
// BUILD/wine-run.sh BUILD/bench/receiver_bench.exe
#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "browser/BrowserEventListener.h"
#include "receiving/EventReceiver.h"
#include "receiving/EventMailbox.h"
#include "threads/Dispatcher.h"
#include "browser/WebBrowserEvents2.h"
#include "events/EventCatalog.h"

namespace {

constexpr int kCalls = 20000;

struct DoNothing : IBrowserEventListener {};

// `drainEvery`: how many calls go by between two deliveries of what was queued (each first
// call after one wakes the window's thread with a posted message).
double MicrosecondsPerCall(IDispatch* target, DISPID dispid, std::vector<VARIANT>& args,
                           CDispatcher* drain, int drainEvery) {
  DISPPARAMS params = {args.data(), nullptr, static_cast<UINT>(args.size()), 0};
  LARGE_INTEGER frequency, start, end;
  ::QueryPerformanceFrequency(&frequency);
  double inside = 0;
  for (int i = 0; i < kCalls; ++i) {
    ::QueryPerformanceCounter(&start);
    target->Invoke(dispid, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
    ::QueryPerformanceCounter(&end);
    inside += static_cast<double>(end.QuadPart - start.QuadPart);
    if (drain && i % drainEvery == drainEvery - 1) {  // the window's thread, not timed
      drain->RunAll();
      MSG msg;
      while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
    }
  }
  return 1e6 * inside / static_cast<double>(frequency.QuadPart) / kCalls;
}

}  // namespace

int main() {
  ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  DoNothing nothing;
  auto* sink = new CWebBrowserEvents2;
  sink->SetListener(&nothing);
  auto mailbox = CEventMailbox::Create([sink](ReceivedEvent& event) { sink->Deliver(event.dispid, event.params.Get()); });
  auto receiver = CEventReceiver::Create(CWebBrowserEvents2::EventMap(), mailbox);

  BSTR text = ::SysAllocString(L"Loading page");
  BSTR url = ::SysAllocString(L"http://x.example/form");
  SAFEARRAY* bytes = ::SafeArrayCreateVector(VT_UI1, 0, 3);
  std::memcpy(bytes->pvData, "a=1", 3);
  VARIANT vUrl, vFlags, vFrame, vPost, vPostInner, vHeaders;
  for (VARIANT* v : {&vUrl, &vFlags, &vFrame, &vPost, &vPostInner, &vHeaders}) ::VariantInit(v);
  vUrl.vt = VT_BSTR, vUrl.bstrVal = url;
  vFlags.vt = VT_I4, vFlags.lVal = 64;
  vFrame.vt = VT_BSTR, vFrame.bstrVal = text;
  vPostInner.vt = VT_ARRAY | VT_UI1, vPostInner.parray = bytes;
  vPost.vt = VT_BYREF | VT_VARIANT, vPost.pvarVal = &vPostInner;
  vHeaders.vt = VT_BSTR, vHeaders.bstrVal = text;
  VARIANT_BOOL cancel = VARIANT_FALSE;
  auto ref = [](VARTYPE type, void* target) {
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_BYREF | type;
    v.byref = target;
    return v;
  };
  auto bstr = [](BSTR value) {
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = value;
    return v;
  };
  VARIANT noBrowser;
  ::VariantInit(&noBrowser);
  noBrowser.vt = VT_DISPATCH;
  struct Case {
    const char* name;
    DISPID dispid;
    std::vector<VARIANT> args;  // last argument first
  } cases[] = {
      {"StatusTextChange", kEventCatalog[kStatusTextChange].dispid, {bstr(text)}},
      {"BeforeNavigate2 + post data", kEventCatalog[kBeforeNavigate2].dispid,
       {ref(VT_BOOL, &cancel), ref(VT_VARIANT, &vHeaders), ref(VT_VARIANT, &vPost), ref(VT_VARIANT, &vFrame),
        ref(VT_VARIANT, &vFlags), ref(VT_VARIANT, &vUrl), noBrowser}},
      {"TitleChange", kEventCatalog[kTitleChange].dispid, {bstr(text)}},
  };
  std::printf("%-30s %14s %26s %26s\n", "event", "sink, us/call", "receiver, 1 wake in 100", "receiver, a wake each call");
  CDispatcher* queue = CDispatcher::ForThisThread();
  for (Case& c : cases) {
    const double direct = MicrosecondsPerCall(sink->GetIDispatch(FALSE), c.dispid, c.args, nullptr, 1);
    const double batched = MicrosecondsPerCall(receiver.Get(), c.dispid, c.args, queue, 100);
    const double single = MicrosecondsPerCall(receiver.Get(), c.dispid, c.args, queue, 1);
    std::printf("%-30s %14.2f %26.2f %26.2f\n", c.name, direct, batched, single);
  }
  CDispatcher::ForThisThread()->RunAll();
  mailbox->Close();
  return 0;
}
