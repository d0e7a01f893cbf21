#include "framework/ApartmentWork.h"

#include <objbase.h>

#include <memory>

namespace {

// How often a wait for outstanding work looks again at the count.
constexpr DWORD kOutstandingRecheckMs = 10;

LONG g_outstanding = 0;

// Posted to the caller's notification window when a work with a `then` has finished.
constexpr UINT kWorkFinishedMessage = WM_APP + 0x2F1;
const char kNotifyWindowClass[] = "OrmixApartmentWorkNotify";

// Shared by the caller and the work's thread: whichever lets go last frees it.
struct WorkState {
  std::function<void()> work;
  std::function<void()> then;
  HWND notify = nullptr;
  HANDLE done = nullptr;
  ~WorkState() {
    if (done) ::CloseHandle(done);
  }
};

LRESULT CALLBACK NotifyWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != kWorkFinishedMessage) return ::DefWindowProcA(window, message, wParam, lParam);
  std::unique_ptr<std::shared_ptr<WorkState>> owner(reinterpret_cast<std::shared_ptr<WorkState>*>(lParam));
  std::function<void()> then = std::move((*owner)->then);
  if (then) then();
  ::InterlockedDecrement(&g_outstanding);
  return 0;
}

// A message-only window of the calling thread that runs the `then` of finished work; one
// per thread, kept for the thread's life.
HWND NotifyWindow() {
  static thread_local HWND window = nullptr;
  if (window && ::IsWindow(window)) return window;
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = NotifyWindowProc;
  windowClass.hInstance = ::GetModuleHandleA(nullptr);
  windowClass.lpszClassName = kNotifyWindowClass;
  ::RegisterClassA(&windowClass);  // fails harmlessly once registered
  window = ::CreateWindowExA(0, kNotifyWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                             windowClass.hInstance, nullptr);
  return window;
}

DWORD WINAPI RunWork(void* parameter) {
  std::unique_ptr<std::shared_ptr<WorkState>> owner(static_cast<std::shared_ptr<WorkState>*>(parameter));
  WorkState& state = **owner;
  const HRESULT init = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  state.work();
  // The captures go here, in this apartment, before it closes.
  state.work = nullptr;
  if (SUCCEEDED(init)) ::CoUninitialize();
  ::SetEvent(state.done);
  if (state.then && state.notify) {
    // The caller's thread runs `then` and counts the work as finished.
    auto* message = new std::shared_ptr<WorkState>(*owner);
    if (::PostMessageA(state.notify, kWorkFinishedMessage, 0, reinterpret_cast<LPARAM>(message))) return 0;
    delete message;
  }
  ::InterlockedDecrement(&g_outstanding);
  return 0;
}

}  // namespace

BOOL CApartmentWork::WaitPumping(HANDLE handle, DWORD timeoutMs) {
  bool quit = false;
  WPARAM quitCode = 0;
  const DWORD start = ::GetTickCount();
  BOOL signalled = FALSE;
  while (!quit) {
    const DWORD elapsed = ::GetTickCount() - start;
    const DWORD remaining = elapsed >= timeoutMs ? 0 : timeoutMs - elapsed;
    const DWORD count = handle ? 1 : 0;
    const DWORD result = ::MsgWaitForMultipleObjectsEx(count, handle ? &handle : nullptr, remaining, QS_ALLINPUT,
                                                       MWMO_INPUTAVAILABLE);
    if (count && result == WAIT_OBJECT_0) return TRUE;
    if (result != WAIT_OBJECT_0 + count) break;  // timed out
    MSG msg;
    while (!quit && ::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        quit = true;
        quitCode = msg.wParam;
        break;
      }
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
    if (count && ::WaitForSingleObject(handle, 0) == WAIT_OBJECT_0) {
      signalled = TRUE;
      break;
    }
    if (remaining == 0) break;
  }
  // The loop that the quit message was meant for still gets it.
  if (quit) ::PostQuitMessage(static_cast<int>(quitCode));
  return signalled;
}

BOOL CApartmentWork::Run(std::function<void()> work, DWORD timeoutMs, std::function<void()> then) {
  auto state = std::make_shared<WorkState>();
  state->work = std::move(work);
  state->then = std::move(then);
  if (state->then) state->notify = NotifyWindow();
  state->done = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE thread = nullptr;
  auto* parameter = new std::shared_ptr<WorkState>(state);
  if (state->done) {
    ::InterlockedIncrement(&g_outstanding);
    thread = ::CreateThread(nullptr, 0, RunWork, parameter, 0, nullptr);
    if (!thread) ::InterlockedDecrement(&g_outstanding);
  }
  if (!thread) {
    delete parameter;
    state->work();
    state->work = nullptr;
    if (state->then) state->then();
    return TRUE;
  }
  ::CloseHandle(thread);
  if (timeoutMs == 0) return ::WaitForSingleObject(state->done, 0) == WAIT_OBJECT_0;
  return WaitPumping(state->done, timeoutMs);
}

LONG CApartmentWork::Outstanding() { return ::InterlockedCompareExchange(&g_outstanding, 0, 0); }

BOOL CApartmentWork::WaitForOutstanding(DWORD timeoutMs) {
  bool quit = false;
  WPARAM quitCode = 0;
  const DWORD start = ::GetTickCount();
  while (Outstanding() > 0) {
    const DWORD elapsed = ::GetTickCount() - start;
    if (elapsed >= timeoutMs) break;
    const DWORD slice = timeoutMs - elapsed < kOutstandingRecheckMs ? timeoutMs - elapsed : kOutstandingRecheckMs;
    // Not WaitPumping: a quit message posted again would end every slice at once. The work
    // may need this thread to answer (a peer releasing what this apartment handed it).
    MSG msg;
    ::MsgWaitForMultipleObjectsEx(0, nullptr, slice, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        quit = true;
        quitCode = msg.wParam;
        continue;
      }
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
  }
  if (quit) ::PostQuitMessage(static_cast<int>(quitCode));
  return Outstanding() == 0;
}
