// Bad input and failing surroundings: a seeded stream of malformed automation calls and
// allocation failures at the sink, files and a clipboard that refuse to be written, a
// browser process that exits or stops answering while it is watched or resolved, and a
// thousand tabs opened and closed.
#include <windows.h>
#include <commctrl.h>
#include <exdisp.h>
#include <exdispid.h>
#include <mshtml.h>
#include <psapi.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <new>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "browser/BrowserDiscovery.h"
#include "browser/SelectBrowserDlg.h"
#include "browser/WebBrowserEvents2.h"
#include "events/EventCatalog.h"
#include "framework/CmdUI.h"
#include "framework/StandardIds.h"
#include "logview/EventListCtrl.h"
#include "res/resource.h"
#include "sim/ShellWindowsCollection.h"
#include "sim/ShellWindowsFactory.h"
#include "support/Clipboard.h"
#include "support/FakeBrowser.h"
#include "support/Files.h"
#include "support/MessageBoxRecorder.h"
#include "support/MessagePump.h"
#include "support/RecordingListener.h"
#include "threads/BoundedWork.h"
#include "support/SimulatorFixture.h"
#include "support/Variants.h"
#include "view/OrmixView.h"

// --- allocation failures ----------------------------------------------------------------
// Every allocation of this program goes through here, so a test can make the n-th one
// from now fail.

namespace {
std::atomic<long> g_allocationsUntilFailure{-1};  // -1: never fail
}  // namespace

void* operator new(std::size_t size) {
  if (g_allocationsUntilFailure.load() >= 0 && g_allocationsUntilFailure.fetch_sub(1) == 0) throw std::bad_alloc();
  if (void* p = HeapAlloc(GetProcessHeap(), 0, size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
  if (p) HeapFree(GetProcessHeap(), 0, p);
}
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }

namespace {

// A listener that only counts, so that the allocations under test are the sink's own.
class CountingListener : public IBrowserEventListener {
 public:
  int calls = 0;
  void StatusTextChange(const char*) override { ++calls; }
  void BeforeNavigate2(IDispatch*, VARIANT*, VARIANT*, VARIANT*, VARIANT*, VARIANT*, VARIANT_BOOL*) override {
    ++calls;
  }
};

TEST(SinkFaults, AnAllocationFailureAnywhereInACallIsAnsweredAndCrossesNoBoundary) {
  CWebBrowserEvents2* sink = new CWebBrowserEvents2;
  CountingListener listener;
  sink->SetListener(&listener);
  IDispatch* dispatch = sink->GetIDispatch(FALSE);
  BSTR text = SysAllocString(L"読み込み中 http://example.com/");
  VARIANT url = VarBstr(text), flags = VarI4(0), frame = VarBstr(text), post, headers = VarBstr(text);
  VariantInit(&post);
  VARIANT_BOOL cancel = VARIANT_FALSE;
  // The argument arrays are made before any allocation is made to fail: last-first, as sent.
  VARIANT statusArgs[] = {VarBstr(text)};
  VARIANT navigateArgs[] = {VarRef(VT_BOOL, &cancel),    VarRef(VT_VARIANT, &headers), VarRef(VT_VARIANT, &post),
                            VarRef(VT_VARIANT, &frame),  VarRef(VT_VARIANT, &flags),   VarRef(VT_VARIANT, &url),
                            VarDispatch(nullptr)};
  DISPPARAMS statusParams = {statusArgs, nullptr, 1, 0};
  DISPPARAMS navigateParams = {navigateArgs, nullptr, 7, 0};
  auto statusText = [&] {
    return dispatch->Invoke(DISPID_STATUSTEXTCHANGE, IID_NULL, 0, DISPATCH_METHOD, &statusParams, nullptr, nullptr,
                            nullptr);
  };
  auto navigate = [&] {
    return dispatch->Invoke(DISPID_BEFORENAVIGATE2, IID_NULL, 0, DISPATCH_METHOD, &navigateParams, nullptr,
                            nullptr, nullptr);
  };
  wchar_t name[] = L"StatusTextChange";
  LPOLESTR names[] = {name};
  DISPID id = 0;
  auto lookUp = [&] { return dispatch->GetIDsOfNames(IID_NULL, names, 1, 0, &id); };

  const std::vector<std::pair<const char*, std::function<HRESULT()>>> calls = {
      {"StatusTextChange", statusText}, {"BeforeNavigate2", navigate}, {"GetIDsOfNames", lookUp}};
  for (const auto& call : calls) {
    SCOPED_TRACE(call.first);
    // Fail the first allocation of the call, then the second, ... until the call needs no more.
    for (long failing = 0;; ++failing) {
      const int before = listener.calls;
      g_allocationsUntilFailure = failing;
      HRESULT hr = E_FAIL;
      try {
        hr = call.second();
      } catch (...) {
        g_allocationsUntilFailure = -1;
        FAIL() << "an exception left the call at allocation " << failing;
      }
      const bool failed = g_allocationsUntilFailure.load() < 0;
      g_allocationsUntilFailure = -1;
      if (!failed) {
        EXPECT_EQ(S_OK, hr);
        break;
      }
      EXPECT_EQ(E_OUTOFMEMORY, hr) << "allocation " << failing;
      EXPECT_EQ(before, listener.calls) << "a call that failed reached the listener";
      ASSERT_LT(failing, 1000);
    }
  }
  EXPECT_EQ(2, listener.calls);
  SysFreeString(text);
  delete sink;
}

// --- a seeded stream of malformed calls ------------------------------------------------------

// An IDispatch whose references the test counts.
class CountedDispatch final : public IDispatch {
 public:
  LONG refs = 1;
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (riid != IID_IUnknown && riid != IID_IDispatch) return E_NOINTERFACE;
    *ppv = this;
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++refs); }
  STDMETHODIMP_(ULONG) Release() override { return static_cast<ULONG>(--refs); }
  STDMETHODIMP GetTypeInfoCount(UINT* n) override {
    if (n) *n = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (info) *info = nullptr;
    return DISP_E_BADINDEX;
  }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return DISP_E_UNKNOWNNAME; }
  STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return DISP_E_MEMBERNOTFOUND;
  }
};

// Builds the arguments of one random call. Everything it allocates (BSTRs, arrays, the
// VARIANTs that by-reference arguments point to) it owns and frees in Clear().
class ArgumentFactory {
 public:
  ArgumentFactory(std::mt19937& random, IDispatch* object) : m_random(random), m_object(object) {}
  ~ArgumentFactory() { Clear(); }

  VARIANT Make(int depth = 0) {
    VARIANT v = {};
    switch (Pick(24)) {
      case 0: break;  // VT_EMPTY
      case 1: v.vt = VT_NULL; break;
      case 2: v.vt = VT_I4; v.lVal = static_cast<LONG>(m_random()); break;
      case 3: v.vt = VT_I2; v.iVal = static_cast<SHORT>(m_random()); break;
      case 4: v.vt = VT_UI1; v.bVal = static_cast<BYTE>(m_random()); break;
      case 5: v.vt = VT_R8; v.dblVal = Pick(2) ? 1e300 : static_cast<double>(Pick(1000)) / 7; break;
      case 6: v.vt = VT_BOOL; v.boolVal = Pick(2) ? VARIANT_TRUE : static_cast<VARIANT_BOOL>(Pick(5)); break;
      case 7: v.vt = VT_BSTR; v.bstrVal = Text(); break;
      case 8: v.vt = VT_BSTR; v.bstrVal = nullptr; break;
      case 9: v.vt = VT_DISPATCH; v.pdispVal = Pick(2) ? m_object : nullptr; break;
      case 10: v.vt = VT_UNKNOWN; v.punkVal = Pick(2) ? m_object : nullptr; break;
      case 11: v.vt = VT_ERROR; v.scode = DISP_E_PARAMNOTFOUND; break;
      case 12: v.vt = VT_DATE; v.date = 45000.5; break;
      case 13: v.vt = VT_CY; v.cyVal.int64 = static_cast<LONGLONG>(m_random()); break;
      case 14: v.vt = static_cast<VARTYPE>(VT_ARRAY | VT_UI1); v.parray = Array(VT_UI1); break;
      case 15: v.vt = static_cast<VARTYPE>(VT_ARRAY | VT_VARIANT); v.parray = Array(VT_VARIANT); break;
      case 16: v.vt = static_cast<VARTYPE>(VT_ARRAY | VT_I4); v.parray = Array(VT_I4); break;
      case 17: v.vt = static_cast<VARTYPE>(VT_ARRAY | VT_UI1); v.parray = nullptr; break;
      case 18: {  // types no event declares, and type words that are no type at all
        const VARTYPE odd[] = {VT_I8, VT_UI4, VT_R4, VT_INT, VT_UINT, VT_I1, VT_UI2, VT_UI8, VT_DECIMAL,
                               VT_VARIANT, VT_HRESULT, 0x7FFF, 0x0FFF, VT_BYREF};
        v.vt = odd[Pick(sizeof(odd) / sizeof(odd[0]))];
        break;
      }
      case 19: v.vt = VT_BYREF | VT_BOOL; v.pboolVal = Pick(3) ? Own<VARIANT_BOOL>() : nullptr; break;
      case 20: v.vt = VT_BYREF | VT_I4; v.plVal = Pick(3) ? Own<LONG>() : nullptr; break;
      case 21: v.vt = VT_BYREF | VT_DISPATCH; v.ppdispVal = Pick(3) ? Own<IDispatch*>() : nullptr; break;
      case 22: v.vt = VT_BYREF | VT_BSTR; v.pbstrVal = nullptr; break;
      default:  // a reference to a VARIANT, possibly null, possibly itself a reference
        v.vt = VT_BYREF | VT_VARIANT;
        if (Pick(4) == 0) {
          v.pvarVal = nullptr;
        } else {
          m_targets.push_back(new VARIANT(depth < 3 ? Make(depth + 1) : VARIANT{}));
          v.pvarVal = m_targets.back();
        }
        break;
    }
    if (!(v.vt & VT_BYREF)) m_values.push_back(v);
    return v;
  }

  void Clear() {
    for (VARIANT& v : m_values) Free(v);
    for (VARIANT* t : m_targets) delete t;  // their values are among m_values
    for (void* p : m_owned) std::free(p);
    m_values.clear();
    m_targets.clear();
    m_owned.clear();
  }

  unsigned Pick(unsigned n) { return static_cast<unsigned>(m_random() % n); }

 private:
  // Frees what this factory allocated; borrowed objects are only referenced, not released.
  static void Free(VARIANT& v) {
    if (v.vt == VT_BSTR) SysFreeString(v.bstrVal);
    if ((v.vt & VT_ARRAY) && !(v.vt & VT_BYREF) && v.parray) SafeArrayDestroy(v.parray);
    VariantInit(&v);
  }

  BSTR Text() {
    switch (Pick(4)) {
      case 0: return SysAllocStringLen(L"", 0);
      case 1: {  // huge
        std::wstring huge(100000 + Pick(100000), L'長');
        return SysAllocStringLen(huge.data(), static_cast<UINT>(huge.size()));
      }
      case 2: return SysAllocString(L"12");
      default: {  // odd characters: controls, unpaired surrogates, an embedded zero
        const wchar_t odd[] = {L'a', 0xD800, L'\r', L'\n', 0, L'z', 0xFFFF, L','};
        return SysAllocStringLen(odd, 8);
      }
    }
  }

  SAFEARRAY* Array(VARTYPE type) {
    const UINT dims = 1 + Pick(3);
    SAFEARRAYBOUND bounds[3];
    for (UINT i = 0; i < dims; ++i) bounds[i] = {Pick(4) == 0 ? 0u : Pick(64), static_cast<LONG>(Pick(5)) - 2};
    SAFEARRAY* array = SafeArrayCreate(type, dims, bounds);
    if (array && type == VT_UI1 && dims == 1 && bounds[0].cElements) {
      void* data = nullptr;
      if (SUCCEEDED(SafeArrayAccessData(array, &data))) {
        for (ULONG i = 0; i < bounds[0].cElements; ++i) static_cast<BYTE*>(data)[i] = static_cast<BYTE>(Pick(3) ? 'a' + Pick(26) : 0);
        SafeArrayUnaccessData(array);
      }
    }
    return array;
  }

  template <typename T>
  T* Own() {
    T* p = static_cast<T*>(std::calloc(1, sizeof(T)));
    m_owned.push_back(p);
    return p;
  }

  std::mt19937& m_random;
  IDispatch* m_object;
  std::vector<VARIANT> m_values;
  std::vector<VARIANT*> m_targets;
  std::vector<void*> m_owned;
};

// Whether a by-value argument can be read at all: a reference must not be null, nor refer
// to another reference.
bool Readable(const VARIANT& arg) {
  if (!(arg.vt & VT_BYREF)) return true;
  if (!arg.byref) return false;
  return arg.vt != (VT_BYREF | VT_VARIANT) || !(arg.pvarVal->vt & VT_BYREF);
}

// What the sink must do with one call, from the rules of automation for its members.
bool ExpectedToReachTheListener(REFIID riid, UINT named, const EventInfo* event, const std::vector<VARIANT>& args) {
  if (riid != IID_NULL || named != 0 || !event) return false;
  if (args.size() != std::strlen(event->params)) return false;
  for (size_t i = 0; i < args.size(); ++i) {
    const BYTE code = static_cast<BYTE>(event->params[i]);
    const VARIANT& arg = args[i];
    if (code & 0x40) {  // by reference: exactly the declared type
      if (arg.vt != (VT_BYREF | (code & ~0x40))) return false;
      continue;
    }
    if (!Readable(arg)) return false;
    VARIANT converted;
    VariantInit(&converted);
    const VARTYPE target = code == 0x0E ? static_cast<VARTYPE>(VT_BSTR) : static_cast<VARTYPE>(code);
    const HRESULT hr = VariantChangeType(&converted, const_cast<VARIANT*>(&arg), 0, target);
    VariantClear(&converted);
    if (FAILED(hr)) return false;
  }
  return true;
}

size_t PrivateBytes() {
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof(counters);
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
  return counters.PagefileUsage;
}

TEST(SinkFuzz, AHundredThousandRandomCallsReachTheListenerExactlyWhenValid) {
  CWebBrowserEvents2* sink = new CWebBrowserEvents2;
  RecordingListener listener;
  sink->SetListener(&listener);
  IDispatch* dispatch = sink->GetIDispatch(FALSE);
  CountedDispatch object;
  std::mt19937 random(20240610);
  ArgumentFactory factory(random, &object);
  const IID kOtherIids[] = {IID_IDispatch, DIID_DWebBrowserEvents2, IID_IUnknown};

  DWORD handlesBefore = 0;
  GetProcessHandleCount(GetCurrentProcess(), &handlesBefore);
  const DWORD gdiBefore = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  size_t privateBefore = 0;
  long valid = 0, reached = 0, wrong = 0;
  const long kCalls = 100000;
  for (long call = 0; call < kCalls; ++call) {
    if (call == 1000) privateBefore = PrivateBytes();  // after the first calls have warmed up
    // Mostly members of the table with their declared number of arguments, so that many
    // calls are valid; then anything at all.
    const EventInfo* event = factory.Pick(10) ? &kEventCatalog[factory.Pick(kEventCount)] : nullptr;
    const DISPID dispid = event ? event->dispid : static_cast<DISPID>(random());
    if (!event)
      for (const EventInfo& e : kEventCatalog)
        if (e.dispid == dispid) event = &e;
    size_t count = event && factory.Pick(4) ? std::strlen(event->params) : factory.Pick(9);
    std::vector<VARIANT> args;
    for (size_t i = 0; i < count; ++i) {
      // Half the arguments are of exactly the declared type, to make valid calls likely.
      if (event && i < std::strlen(event->params) && factory.Pick(2)) {
        const BYTE code = static_cast<BYTE>(event->params[i]);
        VARIANT v = {};
        switch (code) {
          case 0x03: v = VarI4(static_cast<LONG>(random())); break;
          case 0x0B: v = VarBool(factory.Pick(2) ? VARIANT_TRUE : VARIANT_FALSE); break;
          case 0x09: v = VarDispatch(factory.Pick(2) ? &object : nullptr); break;
          default: v = factory.Make(); break;
        }
        args.push_back(v);
      } else {
        args.push_back(factory.Make());
      }
    }
    const UINT named = factory.Pick(20) == 0 ? static_cast<UINT>(factory.Pick(static_cast<unsigned>(count) + 1)) : 0;
    const IID& riid = factory.Pick(30) == 0 ? kOtherIids[factory.Pick(3)] : IID_NULL;
    const bool expected = ExpectedToReachTheListener(riid, named, event, args);

    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    std::vector<DISPID> namedIds(named, 0);
    DISPPARAMS params = {reversed.empty() ? nullptr : reversed.data(), named ? namedIds.data() : nullptr,
                         static_cast<UINT>(reversed.size()), named};
    UINT argErr = 0;
    const WORD flags = factory.Pick(10) ? DISPATCH_METHOD : static_cast<WORD>(factory.Pick(16));
    const HRESULT hr = dispatch->Invoke(dispid, riid, 0, flags, &params, nullptr, nullptr, &argErr);

    const bool arrived = listener.calls.size() == 1;
    if (expected) ++valid;
    if (arrived) ++reached;
    if (expected != arrived || (expected && (hr != S_OK || listener.calls[0].slot != static_cast<size_t>(event - kEventCatalog))) ||
        (!expected && SUCCEEDED(hr)) || listener.calls.size() > 1) {
      if (++wrong <= 5)
        ADD_FAILURE() << "call " << call << ": dispid " << dispid << ", " << count << " arguments, " << named
                      << " named, expected " << expected << ", reached " << listener.calls.size() << ", hr 0x"
                      << std::hex << static_cast<unsigned long>(hr);
    }
    listener.calls.clear();
    factory.Clear();
  }
  EXPECT_EQ(0, wrong);
  EXPECT_GT(valid, kCalls / 10) << "the stream must hold many valid calls";
  EXPECT_EQ(valid, reached);
  EXPECT_EQ(1, object.refs) << "every reference the sink took was given back";
  DWORD handlesAfter = 0;
  GetProcessHandleCount(GetCurrentProcess(), &handlesAfter);
  EXPECT_EQ(handlesBefore, handlesAfter);
  EXPECT_EQ(gdiBefore, GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
  // A leak of a few bytes per call would show as megabytes here.
  EXPECT_LT(PrivateBytes(), privateBefore + 4 * 1024 * 1024);
  delete sink;
}

TEST(SinkFuzz, ValidCallsIntoALogGiveExactlyTheirRows) {
  CWnd host;
  host.Attach(CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 600, 300, nullptr, nullptr, nullptr, nullptr));
  CEventListCtrl list;
  ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, RECT{0, 0, 600, 300}, &host, 1));
  IDispatch* dispatch = list.GetSink()->GetIDispatch(FALSE);
  CountedDispatch object;
  std::mt19937 random(7);
  ArgumentFactory factory(random, &object);
  int rows = 0;
  for (int call = 0; call < 3000; ++call) {
    const EventInfo& event = kEventCatalog[factory.Pick(kEventCount)];
    if (event.dispid == DISPID_ONQUIT) continue;  // its second row is tested elsewhere
    std::vector<VARIANT> args;
    for (size_t i = 0; i < std::strlen(event.params); ++i) args.push_back(factory.Make());
    const bool expected = ExpectedToReachTheListener(IID_NULL, 0, &event, args);
    const HRESULT hr = InvokeEvent(dispatch, event.dispid, args);
    EXPECT_EQ(expected, hr == S_OK) << event.name;
    if (expected) {
      ++rows;
      ASSERT_EQ(rows, list.GetItemCount()) << event.name;
      EXPECT_EQ(std::string("DIID_DWebBrowserEvents2::") + event.name, list.GetItemText(rows - 1, 2));
      char number[16];
      std::snprintf(number, sizeof(number), "%08d", rows);
      EXPECT_EQ(number, list.GetItemText(rows - 1, 0));
    }
    ASSERT_EQ(rows, list.GetItemCount()) << event.name;
    factory.Clear();
    if (call % 200 == 0) testsupport::PumpPendingMessages();
  }
  EXPECT_GT(rows, 100);
  EXPECT_EQ(1, object.refs);
  list.DestroyWindow();
  DestroyWindow(host.Detach());
}

// --- files and the clipboard -------------------------------------------------------------

class ExportFaultTest : public testing::Test {
 protected:
  void SetUp() override {
    m_host.Attach(CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 600, 300, nullptr, nullptr, nullptr, nullptr));
    ASSERT_TRUE(m_list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, RECT{0, 0, 600, 300}, &m_host, 1));
    for (int i = 0; i < 50; ++i) m_list.AddMessageRow("", ("row " + std::to_string(i)).c_str(), 1);
    m_path = testsupport::NewTempFile("olg");
  }
  void TearDown() override {
    SetFileAttributesA(m_path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(m_path.c_str());
    m_list.DestroyWindow();
    DestroyWindow(m_host.Detach());
  }
  // The log still holds its 50 rows, and saving it somewhere writable works.
  void ExpectLogIntact() {
    ASSERT_EQ(50, m_list.GetItemCount());
    EXPECT_EQ("row 49", m_list.GetItemText(49, 3));
    SetFileAttributesA(m_path.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_TRUE(m_list.SaveLog(m_path.c_str()));
    const std::string text = testsupport::FileBytes(m_path);
    EXPECT_EQ(50, std::count(text.begin(), text.end(), '\n'));
  }

  CWnd m_host;
  CEventListCtrl m_list;
  std::string m_path;
};

TEST_F(ExportFaultTest, FilesThatCannotBeWrittenAreReportedAndNeverSaved) {
  MessageBoxRecorder boxes;
  // Read-only: refused, untouched. (Run as root, Wine lets anyone write a read-only file;
  // then there is nothing to refuse.)
  std::ofstream(m_path, std::ios::binary) << "keep";
  SetFileAttributesA(m_path.c_str(), FILE_ATTRIBUTE_READONLY);
  HANDLE probe = CreateFileA(m_path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  const bool enforced = probe == INVALID_HANDLE_VALUE;
  if (!enforced) CloseHandle(probe);
  if (enforced) {
    EXPECT_FALSE(m_list.SaveLog(m_path.c_str()));
    EXPECT_EQ("keep", testsupport::FileBytes(m_path));
  }
  SetFileAttributesA(m_path.c_str(), FILE_ATTRIBUTE_NORMAL);

  // Open and locked by someone else: refused, untouched.
  HANDLE other = CreateFileA(m_path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, other);
  ASSERT_TRUE(LockFile(other, 0, 0, 4, 0));
  EXPECT_FALSE(m_list.SaveLog(m_path.c_str()));
  UnlockFile(other, 0, 0, 4, 0);
  CloseHandle(other);
  EXPECT_EQ("keep", testsupport::FileBytes(m_path));

  // A folder that does not exist: refused, and no folder made.
  const std::string missing = m_path + ".missing\\log.txt";
  EXPECT_FALSE(m_list.SaveLog(missing.c_str()));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((m_path + ".missing").c_str()));
  // Each refusal is reported, naming the file.
  ASSERT_EQ(enforced ? 3u : 2u, boxes.Boxes().size());
  EXPECT_NE(std::string::npos, boxes.Boxes().back().text.find(missing));
  ExpectLogIntact();
}

DWORD WINAPI HoldClipboard(void* events) {
  HANDLE* pair = static_cast<HANDLE*>(events);
  if (OpenClipboard(nullptr)) {
    SetEvent(pair[0]);
    WaitForSingleObject(pair[1], 20000);
    CloseClipboard();
  } else {
    SetEvent(pair[0]);
  }
  return 0;
}

TEST_F(ExportFaultTest, CopyWhileAnotherThreadHoldsTheClipboardChangesNothing) {
  ASSERT_TRUE(testsupport::SetClipboardText("before"));

  HANDLE events[2] = {CreateEventA(nullptr, TRUE, FALSE, nullptr), CreateEventA(nullptr, TRUE, FALSE, nullptr)};
  HANDLE holder = CreateThread(nullptr, 0, HoldClipboard, events, 0, nullptr);
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(events[0], 20000));
  m_list.SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
  MessageBoxRecorder boxes;
  m_list.SendMessage(WM_COMMAND, MAKEWPARAM(ID_EDIT_COPY, 0), 0);
  SetEvent(events[1]);
  WaitForSingleObject(holder, 20000);
  CloseHandle(holder);
  CloseHandle(events[0]);
  CloseHandle(events[1]);
  EXPECT_TRUE(boxes.Boxes().empty());

  EXPECT_EQ("before", testsupport::ClipboardText());
  // Once the clipboard is free, the same copy works.
  m_list.SendMessage(WM_COMMAND, MAKEWPARAM(ID_EDIT_COPY, 0), 0);
  const std::string copied = testsupport::ClipboardText();
  EXPECT_EQ(50, std::count(copied.begin(), copied.end(), '\n'));
  ExpectLogIntact();
}

// --- faults of the browser process ----------------------------------------------------------

class PeerFaultTest : public testsupport::SimulatorFixture {
 protected:
  // Waits (pumping) until the simulator has exited by itself.
  bool SimulatorExited() {
    const HANDLE process = m_sim.Process();
    return testsupport::WaitPumping(&process, 1, 20000) == WAIT_OBJECT_0;
  }
};

TEST_F(PeerFaultTest, ABrowserProcessEndingInABurstLeavesEveryRowSavable) {
  Ok("open b1 title=Burst");
  IWebBrowser2* browser = Resolve(Frame("b1"));
  ASSERT_NE(nullptr, browser);
  CWnd host;
  host.Attach(CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 600, 300, nullptr, nullptr, nullptr, nullptr));
  CEventListCtrl* list = new CEventListCtrl;
  ASSERT_TRUE(list->Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, RECT{0, 0, 600, 300}, &host, 1));
  ASSERT_TRUE(list->Connect(browser));
  browser->Release();

  const std::string reply = m_sim.Send("repeat 1000 exitafter=300 status b1 busy");
  EXPECT_NE(std::string::npos, reply.find("exit=1")) << reply;
  ASSERT_TRUE(SimulatorExited());
  testsupport::PumpPendingMessages();
  ASSERT_EQ(301, list->GetItemCount());
  EXPECT_EQ("Text:busy", list->GetItemText(300, 3));
  EXPECT_EQ("00000301", list->GetItemText(300, 0));

  // The browser is gone: letting go of it neither hangs nor crashes, and the log saves.
  EXPECT_TRUE(list->Disconnect());
  const std::string path = testsupport::NewTempFile("olg");
  EXPECT_TRUE(list->SaveLog(path.c_str()));
  const std::string text = testsupport::FileBytes(path);
  DeleteFileA(path.c_str());
  EXPECT_EQ(301, std::count(text.begin(), text.end(), '\n'));
  delete list;
  DestroyWindow(host.Detach());
}

TEST_F(PeerFaultTest, ABrowserProcessEndingInAListingWalkKeepsWhatWasListed) {
  Ok("open b1 title=Before");
  // The walk's question to it ends the simulator. The walk visits several items at once, so
  // the question is held until the browser before it has surely been visited: the item
  // answers on a thread of its own, which hangs for a moment first.
  Ok("other o1 exit=1 thread=own");
  Ok("hang o1 2000");
  Ok("open b2 title=After");
  HWND listBox = CreateWindowA("LISTBOX", "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
  FillBrowserListBox(listBox);  // TRUE or FALSE, depending on when the process is gone
  ASSERT_GE(SendMessageA(listBox, LB_GETCOUNT, 0, 0), 1);
  char text[64] = "";
  SendMessageA(listBox, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ("Before", text);
  ASSERT_TRUE(SimulatorExited());
  DestroyWindow(listBox);
}

TEST_F(PeerFaultTest, ABrowserProcessEndingWhileItsWindowIsResolvedGivesNoBrowser) {
  // The process ends while the request for the window's document waits for it, while the
  // query from the document to its browser waits for it, and between the two steps.
  enum Stage { kDocumentRequest, kBrowserQuery, kBetweenSteps };
  for (Stage stage : {kDocumentRequest, kBrowserQuery, kBetweenSteps}) {
    SCOPED_TRACE(stage);
    if (!m_sim.IsRunning()) {
      m_sim.Stop();  // the previous stage's process has gone: only its handles remain
      ASSERT_TRUE(m_sim.Start());
    }
    Ok("open b1 title=Resolved");
    const HWND frame = Frame("b1");
    IHTMLDocument* document = nullptr;
    if (stage != kDocumentRequest) {
      ASSERT_TRUE(GetDocumentFromWindow(frame, &document));
    }
    const DWORD start = GetTickCount();
    if (stage == kBetweenSteps) {
      Ok("exit");
      ASSERT_TRUE(SimulatorExited());
    } else {
      // Replies, stops answering for a moment, then leaves without serving what came meanwhile.
      Ok("hang b1 300 exit=1");
    }
    IWebBrowser2* browser = nullptr;
    if (stage == kDocumentRequest) {
      EXPECT_FALSE(GetDocumentFromWindow(frame, &document));
      EXPECT_EQ(nullptr, document);
    } else {
      EXPECT_FALSE(GetBrowserFromDocument(document, &browser));
      EXPECT_EQ(nullptr, browser);
      document->Release();  // a proxy of a process that is gone: let go without a hang
    }
    // Ormix waits for a document no longer than its time-out (1 s), and not at all for a
    // process that has gone.
    EXPECT_LT(GetTickCount() - start, 8000u);
    ASSERT_TRUE(SimulatorExited());
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(m_sim.Process(), &code);
    EXPECT_EQ(0u, code);
  }
}

TEST_F(PeerFaultTest, AHungBrowserCostsNoMoreThanTheTimeOut) {
  Ok("open b1 title=Hung");
  const HWND frame = Frame("b1");
  const DWORD hangMs = 120000;  // far longer than the test: ended below
  Ok("hang b1 " + std::to_string(hangMs));
  const DWORD start = GetTickCount();
  IHTMLDocument* document = nullptr;
  EXPECT_FALSE(GetDocumentFromWindow(frame, &document));
  const DWORD waited = GetTickCount() - start;
  EXPECT_EQ(nullptr, document);
  // Given up at the time-out, long before the browser would have answered.
  EXPECT_LT(waited, hangMs / 2) << waited << " ms";
  Ok("unhang b1");
  EXPECT_EQ("OK awake", m_sim.Send("echo awake"));
}

// --- resources -----------------------------------------------------------------------------

// Handles of the kernel objects this process holds.
DWORD KernelHandles() {
  DWORD count = 0;
  GetProcessHandleCount(GetCurrentProcess(), &count);
  return count;
}

// GDI objects of this process. Wine's GetGuiResources answers 0; there the handle table is
// probed instead: a handle of index i without generation bits names slot i while it is used.
DWORD GdiObjects() {
  if (const DWORD count = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)) return count;
  DWORD inUse = 0;
  for (UINT_PTR i = 1; i < 0x10000; ++i) inUse += GetObjectType(reinterpret_cast<HGDIOBJ>(i)) != 0;
  return inUse;
}

// USER objects of this process: windows and menus. Where GetGuiResources answers 0 (Wine),
// the user handle table is probed the same way (handles 0x20, 0x22, ... without generation).
DWORD UserObjects() {
  if (const DWORD count = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS)) return count;
  DWORD inUse = 0;
  for (UINT_PTR i = 0x20; i < 0x10000; i += 2) {
    const HWND window = reinterpret_cast<HWND>(i);
    DWORD pid = 0;
    if (IsWindow(window) && GetWindowThreadProcessId(window, &pid) && pid == GetCurrentProcessId()) ++inUse;
    if (IsMenu(reinterpret_cast<HMENU>(i))) ++inUse;
  }
  return inUse;
}

// The simulator's own class id, to which this prefix redirects the shell's (TreatAs).
const CLSID kSimulatorShellWindows = {0x6F3C2A91, 0x5B7E, 0x4D08, {0x9A, 0x1C, 0x2E, 0x4B, 0x7D, 0x9F, 0x0C, 0x55}};
// The HTML object library, version 4.0, whose loading is most of a listing walk's cost.
const GUID kHtmlTypeLibrary = {0x3050f1c5, 0x98b5, 0x11cf, {0xbb, 0x82, 0x00, 0xaa, 0x00, 0xbd, 0xce, 0x0b}};

// A view in a hidden top-level window, whose selection dialog hands the view the browser the
// test chose as soon as it opens, as OK does after a walk: the view's own path from the
// dialog's OK onward is what runs. The dialog's listing, on a worker apartment of its own
// (which this thread's registered collection does not serve), is abandoned each time.
// Selects tab `index`, which brings it into view, and right-clicks it: the view remembers it
// for its Close command. The context menu closes at the first message it reads.
void RightClickTab(COrmixView* view, int index) {
  view->ActivateTab(index);
  static HHOOK hook;
  hook = SetWindowsHookExA(
      WH_MSGFILTER,
      [](int code, WPARAM wParam, LPARAM lParam) -> LRESULT {
        if (code == MSGF_MENU) EndMenu();
        return CallNextHookEx(hook, code, wParam, lParam);
      },
      nullptr, GetCurrentThreadId());
  RECT rect = {};
  view->SendMessage(TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect));
  PostMessageA(view->m_hWnd, WM_NULL, 0, 0);
  view->SendMessage(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2));
  UnhookWindowsHookEx(hook);
}

class TabResourceTest : public PeerFaultTest {
 protected:
  // Letting go of a connection runs on a worker; a browser that answers is done well within this.
  static constexpr DWORD kReleaseWaitMs = 10000;

  void SetUp() override {
    PeerFaultTest::SetUp();
    // Held, the type library is loaded once instead of once per dialog (a tenth of a second).
    LoadRegTypeLib(kHtmlTypeLibrary, 4, 0, LOCALE_NEUTRAL, &m_htmlTypes);
    m_collection = new sim::ShellWindowsCollection;
    m_factory = new sim::ShellWindowsFactory(m_collection, [] {});
    ASSERT_EQ(S_OK, CoRegisterClassObject(CLSID_ShellWindows, m_factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                          &m_cookies[0]));
    ASSERT_EQ(S_OK, CoRegisterClassObject(kSimulatorShellWindows, m_factory, CLSCTX_INPROC_SERVER,
                                          REGCLS_MULTIPLEUSE, &m_cookies[1]));
    m_host.Attach(CreateWindowA("STATIC", "", WS_OVERLAPPEDWINDOW, 0, 0, 800, 500, nullptr, nullptr,
                                nullptr, nullptr));
    m_view = new COrmixView;  // deletes itself with its window
    ASSERT_TRUE(m_view->CreateView(&m_host, AFX_IDW_PANE_FIRST, nullptr));
    m_view->MoveWindow(0, 0, 780, 460);
    m_previousHook = CDialog::SetModalHook([this](CDialog& running) {
      auto& dialog = static_cast<CSelectBrowserDlg&>(running);
      m_chosen->AddRef();
      dialog.m_pBrowser = m_chosen;
      dialog.EndDialog(IDOK);
    });
  }
  void TearDown() override {
    CDialog::SetModalHook(m_previousHook);
    if (m_host.m_hWnd) DestroyWindow(m_host.Detach());
    // Listings and connections still being let go on worker threads end before the
    // simulator's references are counted.
    EXPECT_TRUE(CBoundedWorkBase::WaitForOutstanding(kReleaseWaitMs));
    for (DWORD cookie : m_cookies)
      if (cookie) CoRevokeClassObject(cookie);
    if (m_factory) {
      m_factory->DetachCollection();
      m_factory->Release();
    }
    if (m_collection) m_collection->Release();
    if (m_htmlTypes) m_htmlTypes->Release();
    PeerFaultTest::TearDown();
  }

  // Opens a tab on each browser in turn, then closes them all with the close button on the
  // selected one; with `byMenu` the second goes by the context menu's command on the first
  // tab instead (a context menu costs a window of its own, so not every round uses one).
  // True when every tab came and went.
  bool OpenAndClose(const std::vector<IWebBrowser2*>& browsers, bool byMenu) {
    for (IWebBrowser2* browser : browsers) {
      m_chosen = browser;
      RouteCommand(m_view, ID_SELECT_BROWSER);
    }
    const bool opened = m_view->GetTabCount() == static_cast<int>(browsers.size());
    for (size_t i = 0; i < browsers.size(); ++i) {
      const bool menu = byMenu && i == 1;
      if (menu) RightClickTab(m_view, 0);
      RouteCommand(m_view, menu ? ID_TAB_CLOSE : ID_TAB_CLOSE_BUTTON);
    }
    // The tabs' connections are let go on worker threads, which this thread answers.
    CBoundedWorkBase::WaitForOutstanding(kReleaseWaitMs);
    testsupport::PumpPendingMessages();
    return opened && m_view->GetTabCount() == 0;
  }

  ITypeLib* m_htmlTypes = nullptr;
  sim::ShellWindowsCollection* m_collection = nullptr;
  sim::ShellWindowsFactory* m_factory = nullptr;
  DWORD m_cookies[2] = {0, 0};
  CWnd m_host;
  COrmixView* m_view = nullptr;
  IWebBrowser2* m_chosen = nullptr;
  CDialog::ModalHook m_previousHook;
};

TEST_F(TabResourceTest, AThousandTabsOpenedAndClosedLeaveNoObjectBehind) {
  // One browser in the simulator's process and one in this process: a cross-process tab
  // costs a fifth of a second here, so most tabs watch the in-process one.
  Ok("open b1 title=Tabs");
  IWebBrowser2* remote = Resolve(Frame("b1"));
  ASSERT_NE(nullptr, remote);
  FakeBrowser* local = new FakeBrowser;
  std::vector<IWebBrowser2*> round(10, local);
  round[3] = remote;

  ASSERT_TRUE(OpenAndClose(round, true));  // the first tabs make the system's own lasting objects
  const DWORD handles = KernelHandles(), gdi = GdiObjects(), user = UserObjects();
  int rounds = 0;
  while (rounds < 100 && OpenAndClose(round, rounds % 10 == 0)) ++rounds;
  EXPECT_EQ(100, rounds);
  EXPECT_EQ(handles, KernelHandles());
  EXPECT_EQ(gdi, GdiObjects());
  EXPECT_EQ(user, UserObjects());
  EXPECT_EQ(0u, local->SinkCount());
  EXPECT_EQ(1, local->RefCount());
  EXPECT_EQ("OK sinks=0", m_sim.Send("sinks b1"));

  // The view's row icons outlive every list they were lent to.
  const int rowIcons = CEventListCtrl::kImageLoaded + 1;
  EXPECT_EQ(rowIcons, ImageList_GetImageCount(m_view->RowIcons()));
  m_chosen = local;
  RouteCommand(m_view, ID_SELECT_BROWSER);
  ASSERT_EQ(1, m_view->GetTabCount());
  auto* list = dynamic_cast<CEventListCtrl*>(CWnd::FromHandlePermanent(m_view->TabWindow(0)->m_hWnd));
  ASSERT_NE(nullptr, list);
  EXPECT_EQ(rowIcons, ImageList_GetImageCount(list->GetImageList(LVSIL_SMALL)));
  DestroyWindow(m_host.Detach());
  local->Release();
  remote->Release();
}

}  // namespace
