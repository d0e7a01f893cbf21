#include "sim/AdvisedSink.h"

#include <mutex>

#include "sim/CarriedArguments.h"

namespace sim {

// One event call handed to the sink's thread: shared with it, so that a call nobody waits
// for any more still has its arguments when it returns.
struct AdvisedSink::Call {
  Call(DISPID id, REFIID interfaceId, WORD invokeFlags, const DISPPARAMS& params)
      : dispid(id), iid(interfaceId), flags(invokeFlags), arguments(params) {
    done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  }
  ~Call() {
    if (done) CloseHandle(done);
  }
  Call(const Call&) = delete;
  Call& operator=(const Call&) = delete;

  DISPID dispid;
  IID iid;
  WORD flags;
  CarriedArguments arguments;
  HRESULT result = E_UNEXPECTED;
  HANDLE done = nullptr;  // signalled once `result` and the arguments' results are there
};

// What the browser's thread and the sink's thread share.
struct AdvisedSink::Line {
  Line() {
    wake = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  }
  ~Line() {
    if (wake) CloseHandle(wake);
    if (ready) CloseHandle(ready);
  }
  Line(const Line&) = delete;
  Line& operator=(const Line&) = delete;

  HANDLE wake = nullptr;
  HANDLE ready = nullptr;  // signalled once the thread has unmarshalled the sink, or failed to
  // Set by the thread before `ready`, let go of by it before it ends.
  Microsoft::WRL::ComPtr<IDispatch> sink;
  std::mutex lock;
  std::shared_ptr<Call> call;  // handed over, not yet taken
  bool quit = false;
};

// What a new sink thread starts from.
struct AdvisedSink::Launch {
  std::shared_ptr<Line> line;
  IStream* stream;
  IID iid;
};

std::unique_ptr<AdvisedSink> AdvisedSink::Start(IDispatch* sink, REFIID iid) {
  auto line = std::make_shared<Line>();
  IStream* stream = nullptr;
  if (!line->wake || !line->ready || FAILED(CoMarshalInterThreadInterfaceInStream(iid, sink, &stream))) return nullptr;
  auto* start = new Launch{line, stream, iid};
  const HANDLE thread = CreateThread(nullptr, 0, &AdvisedSink::ThreadMain, start, 0, nullptr);
  if (!thread) {
    // Taken here instead, and let go of: the sink's process answers, it is in its Advise.
    Microsoft::WRL::ComPtr<IUnknown> taken;
    CoGetInterfaceAndReleaseStream(stream, iid, reinterpret_cast<void**>(taken.GetAddressOf()));
    delete start;
    return nullptr;
  }
  CloseHandle(thread);
  std::unique_ptr<AdvisedSink> advised(new AdvisedSink(std::move(line)));
  // Unmarshalling asks nothing of this thread, and the sink's process is in its Advise. A
  // thread that failed ends once `advised` has gone.
  const Line& started = *advised->m_line;
  if (WaitForSingleObject(started.ready, kCallBoundMs) != WAIT_OBJECT_0 || !started.sink) return nullptr;
  return advised;
}

Microsoft::WRL::ComPtr<IDispatch> AdvisedSink::Sink() const { return m_line->sink; }

AdvisedSink::~AdvisedSink() {
  {
    std::lock_guard<std::mutex> hold(m_line->lock);
    m_line->quit = true;
  }
  SetEvent(m_line->wake);
}

DWORD WINAPI AdvisedSink::ThreadMain(void* parameter) {
  const std::unique_ptr<Launch> start(static_cast<Launch*>(parameter));
  const bool initialized = SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
  Microsoft::WRL::ComPtr<IDispatch> sink;
  if (!initialized)
    start->stream->Release();
  else if (FAILED(CoGetInterfaceAndReleaseStream(start->stream, start->iid,
                                                  reinterpret_cast<void**>(sink.GetAddressOf()))))
    sink.Reset();
  start->line->sink = sink;
  SetEvent(start->line->ready);
  if (sink) Serve(*start->line);
  // The last of this apartment's references to the sink go here, in the apartment.
  sink.Reset();
  start->line->sink.Reset();
  if (initialized) CoUninitialize();
  return 0;
}

void AdvisedSink::Serve(Line& line) {
  IDispatch* sink = line.sink.Get();
  for (;;) {
    WaitForSingleObject(line.wake, INFINITE);
    std::shared_ptr<Call> call;
    bool quit = false;
    {
      std::lock_guard<std::mutex> hold(line.lock);
      call.swap(line.call);
      quit = line.quit;
    }
    if (call) {
      UINT argError = 0;
      call->result = sink->Invoke(call->dispid, call->iid, LOCALE_USER_DEFAULT, call->flags, call->arguments.Params(),
                                  nullptr, nullptr, &argError);
      call->arguments.KeepResults();
      SetEvent(call->done);
    }
    if (quit) return;
  }
}

HRESULT AdvisedSink::Invoke(DISPID dispid, REFIID riid, WORD flags, DISPPARAMS* params, DWORD boundMs) {
  const DISPPARAMS none = {};
  auto call = std::make_shared<Call>(dispid, riid, flags, params ? *params : none);
  if (!call->done) return E_OUTOFMEMORY;
  if (!call->arguments.IsComplete()) return E_INVALIDARG;
  {
    std::lock_guard<std::mutex> hold(m_line->lock);
    m_line->call = call;
  }
  SetEvent(m_line->wake);
  if (!WaitServing(call->done, boundMs)) return RPC_E_TIMEOUT;
  if (params) call->arguments.ApplyResults(*params);
  return call->result;
}

bool AdvisedSink::IsGone(HRESULT result) {
  switch (result) {
    case RPC_E_TIMEOUT:
    case RPC_E_DISCONNECTED:
    case RPC_E_SERVER_DIED:
    case RPC_E_SERVER_DIED_DNE:
    case CO_E_OBJNOTCONNECTED:
    case HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE):
    case HRESULT_FROM_WIN32(RPC_S_CALL_FAILED):
    case HRESULT_FROM_WIN32(RPC_S_CALL_FAILED_DNE):
      return true;
    default:
      return false;
  }
}

bool AdvisedSink::WaitServing(HANDLE handle, DWORD ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= ms) return WaitForSingleObject(handle, 0) == WAIT_OBJECT_0;
    const DWORD wait = MsgWaitForMultipleObjectsEx(1, &handle, ms - elapsed, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (wait == WAIT_OBJECT_0) return true;
    if (wait != WAIT_OBJECT_0 + 1) return false;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        // Left for the thread's own loop, which ends on it; nothing more is dispatched here.
        PostQuitMessage(static_cast<int>(message.wParam));
        const DWORD rest = GetTickCount() - start;
        return WaitForSingleObject(handle, rest >= ms ? 0 : ms - rest) == WAIT_OBJECT_0;
      }
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
}

}  // namespace sim
