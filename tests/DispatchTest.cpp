// Automation calls on the event sink, made through its IDispatch as a browser makes them.
#include <windows.h>
#include <exdisp.h>
#include <ocidl.h>

#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "browser/WebBrowserEvents2.h"
#include "events/EventCatalog.h"
#include "support/EveryEventCall.h"
#include "support/FakeBrowser.h"
#include "support/RecordingListener.h"
#include "support/Variants.h"

namespace {

class SinkTest : public testing::Test {
 protected:
  void SetUp() override {
    CObject* object = CRuntimeClass::CreateObject("CWebBrowserEvents2");
    sink = dynamic_cast<CWebBrowserEvents2*>(object);
    ASSERT_NE(nullptr, sink);
    sink->SetListener(&listener);
    dispatch = sink->GetIDispatch(FALSE);
    ASSERT_NE(nullptr, dispatch);
  }
  void TearDown() override { delete sink; }

  // `args` in declared order; the call passes them reversed, as a browser does.
  HRESULT Call(DISPID dispid, std::vector<VARIANT> args, UINT* argErr = nullptr,
               REFIID riid = IID_NULL) {
    return InvokeEvent(dispatch, dispid, std::move(args), argErr, riid);
  }

  CWebBrowserEvents2* sink = nullptr;
  IDispatch* dispatch = nullptr;
  RecordingListener listener;
};

std::string P(const void* p) { return DescribePointer(p); }

}  // namespace

TEST_F(SinkTest, EveryEventReachesItsSlotWithConvertedArguments) {
  FakeBrowser* browser = new FakeBrowser;
  {
    const EveryEventCall every(static_cast<IWebBrowser2*>(browser));
    ASSERT_EQ(kEventCount, every.calls.size());
    for (const EventCall& c : every.calls) {
      SCOPED_TRACE(kEventCatalog[c.slot].name);
      listener.calls.clear();
      EXPECT_EQ(S_OK, Call(kEventCatalog[c.slot].dispid, c.args));
      EXPECT_EQ((std::vector<ListenerCall>{{c.slot, c.heard}}), listener.calls);
    }
  }
  // The converted copies of by-value objects are released once each call has returned.
  EXPECT_EQ(1, browser->RefCount());
  browser->Release();
}

TEST_F(SinkTest, ByValueArgumentsAreConvertedToTheirDeclaredTypes) {
  BSTR number = SysAllocString(L"42");
  VARIANT small = VarOfType(VT_I2);
  small.iVal = -3;
  EXPECT_EQ(S_OK, Call(DISPID_PROGRESSCHANGE, {VarBstr(number), small}));
  // Any non-zero VARIANT_BOOL, and a non-zero integer, become 1.
  EXPECT_EQ(S_OK, Call(DISPID_COMMANDSTATECHANGE, {VarI4(2), VarBool(static_cast<VARIANT_BOOL>(5))}));
  EXPECT_EQ(S_OK, Call(DISPID_ONVISIBLE, {VarI4(9)}));
  // A null BSTR is empty text; UTF-16 text arrives in the ANSI code page (932 here).
  EXPECT_EQ(S_OK, Call(DISPID_STATUSTEXTCHANGE, {VarBstr(nullptr)}));
  BSTR japanese = SysAllocString(L"\u65e5\u672c\u8a9e");
  EXPECT_EQ(S_OK, Call(DISPID_TITLECHANGE, {VarBstr(japanese)}));

  EXPECT_EQ(932u, GetACP());
  EXPECT_EQ((std::vector<ListenerCall>{{kProgressChange, "42,-3"}, {kCommandStateChange, "2,1"}, {kOnVisible, "1"},
                                       {kStatusTextChange, "\"\""}, {kTitleChange, "\"日本語\""}}),
            listener.calls);
  SysFreeString(number);
  SysFreeString(japanese);
}

TEST_F(SinkTest, RefusedCallsReachNoListener) {
  VARIANT_BOOL cancel = VARIANT_FALSE;
  long value = 0;
  BSTR text = SysAllocString(L"not a number");
  UINT argErr = 99;

  EXPECT_EQ(DISP_E_UNKNOWNINTERFACE, Call(DISPID_ONQUIT, {}, nullptr, IID_IDispatch));
  EXPECT_EQ(DISP_E_MEMBERNOTFOUND, Call(999, {}));
  EXPECT_EQ(DISP_E_BADPARAMCOUNT, Call(DISPID_ONQUIT, {VarI4(1)}));
  EXPECT_EQ(DISP_E_PARAMNOTOPTIONAL, Call(DISPID_PROGRESSCHANGE, {VarI4(1)}));
  // FileDownload declares only the by-reference cancel flag: a by-value flag before it is
  // one argument too many.
  EXPECT_EQ(DISP_E_BADPARAMCOUNT,
            Call(DISPID_FILEDOWNLOAD, {VarBool(VARIANT_TRUE), VarRef(VT_BOOL, &cancel)}));

  // A failed conversion reports the argument's position in the (reversed) argument array.
  EXPECT_EQ(DISP_E_TYPEMISMATCH, Call(DISPID_PROGRESSCHANGE, {VarBstr(text), VarI4(1)}, &argErr));
  EXPECT_EQ(1u, argErr);
  argErr = 99;
  EXPECT_EQ(DISP_E_TYPEMISMATCH, Call(DISPID_FILEDOWNLOAD, {VarBool(VARIANT_TRUE)}, &argErr));
  EXPECT_EQ(0u, argErr);
  // By-reference arguments must carry exactly their declared type.
  argErr = 99;
  EXPECT_EQ(DISP_E_TYPEMISMATCH,
            Call(DISPID_CLIENTTOHOSTWINDOW, {VarRef(VT_I4, &value), VarRef(VT_BOOL, &cancel)}, &argErr));
  EXPECT_EQ(0u, argErr);
  argErr = 99;
  EXPECT_EQ(DISP_E_TYPEMISMATCH,
            Call(DISPID_NAVIGATECOMPLETE2, {VarDispatch(nullptr), VarRef(VT_BSTR, &text)}, &argErr));
  EXPECT_EQ(0u, argErr);

  VARIANT arg = VarI4(1);
  DISPID named = 0;
  DISPPARAMS params = {&arg, &named, 1, 1};
  EXPECT_EQ(DISP_E_NONAMEDARGS, dispatch->Invoke(DISPID_ONVISIBLE, IID_NULL, 0, DISPATCH_METHOD,
                                                 &params, nullptr, nullptr, nullptr));

  EXPECT_TRUE(listener.calls.empty());
  SysFreeString(text);
}

TEST_F(SinkTest, BeforeNavigate2TakesTheBrowserFromTheLastArgumentAndCancelFromTheFirst) {
  VARIANT v[5];
  for (VARIANT& x : v) VariantInit(&x);
  VARIANT_BOOL cancel = VARIANT_FALSE;
  FakeBrowser* browser = new FakeBrowser;
  VARIANT raw[7] = {VarRef(VT_BOOL, &cancel),     VarRef(VT_VARIANT, &v[4]), VarRef(VT_VARIANT, &v[3]),
                    VarRef(VT_VARIANT, &v[2]),    VarRef(VT_VARIANT, &v[1]), VarRef(VT_VARIANT, &v[0]),
                    VarDispatch(static_cast<IWebBrowser2*>(browser))};
  DISPPARAMS params = {raw, nullptr, 7, 0};
  EXPECT_EQ(S_OK, dispatch->Invoke(DISPID_BEFORENAVIGATE2, IID_NULL, 0, DISPATCH_METHOD, &params,
                                   nullptr, nullptr, nullptr));
  ASSERT_EQ(1u, listener.calls.size());
  const std::string args = listener.calls[0].args;
  EXPECT_EQ(0u, args.find(P(static_cast<IWebBrowser2*>(browser)) + ","));
  EXPECT_EQ(args.size() - P(&cancel).size(), args.rfind(P(&cancel)));
  browser->Release();
}

TEST_F(SinkTest, EventsWithoutListenerAreAcceptedAndDropped) {
  sink->SetListener(nullptr);
  EXPECT_EQ(S_OK, Call(DISPID_PROGRESSCHANGE, {VarI4(1), VarI4(2)}));
  EXPECT_EQ(S_OK, Call(DISPID_ONQUIT, {}));
  EXPECT_TRUE(listener.calls.empty());
}

TEST_F(SinkTest, NamesResolveToTheCatalogueDispids) {
  for (const EventInfo& e : kEventCatalog) {
    std::wstring name(e.name, e.name + strlen(e.name));
    LPOLESTR names[] = {&name[0]};
    DISPID id = 0;
    EXPECT_EQ(S_OK, dispatch->GetIDsOfNames(IID_NULL, names, 1, 0, &id)) << e.name;
    EXPECT_EQ(e.dispid, id) << e.name;
  }
  // Automation names are matched without regard to case.
  wchar_t lower[] = L"progresschange", upper[] = L"ONQUIT";
  LPOLESTR cased[] = {lower, upper};
  DISPID id = 0;
  EXPECT_EQ(S_OK, dispatch->GetIDsOfNames(IID_NULL, &cased[0], 1, 0, &id));
  EXPECT_EQ(DISPID_PROGRESSCHANGE, id);
  EXPECT_EQ(S_OK, dispatch->GetIDsOfNames(IID_NULL, &cased[1], 1, 0, &id));
  EXPECT_EQ(DISPID_ONQUIT, id);

  wchar_t unknown[] = L"NoSuchEvent";
  LPOLESTR names[] = {unknown};
  EXPECT_EQ(DISP_E_UNKNOWNNAME, dispatch->GetIDsOfNames(IID_NULL, names, 1, 0, &id));
  EXPECT_EQ(DISPID_UNKNOWN, id);

  // Argument names are refused: the member resolves, each argument name does not.
  wchar_t member[] = L"ProgressChange", argument[] = L"Progress";
  LPOLESTR withArgument[] = {member, argument};
  DISPID ids[2] = {0, 0};
  EXPECT_EQ(DISP_E_UNKNOWNNAME, dispatch->GetIDsOfNames(IID_NULL, withArgument, 2, 0, ids));
  EXPECT_EQ(DISPID_PROGRESSCHANGE, ids[0]);
  EXPECT_EQ(DISPID_UNKNOWN, ids[1]);
}

TEST_F(SinkTest, AListenerExceptionIsAnsweredWithDispEException) {
  struct ThrowingListener : RecordingListener {
    void ProgressChange(long, long) override { throw std::runtime_error("listener failed"); }
  } throwing;
  sink->SetListener(&throwing);
  EXPECT_EQ(DISP_E_EXCEPTION, Call(DISPID_PROGRESSCHANGE, {VarI4(1), VarI4(2)}));
  EXPECT_EQ(S_OK, Call(DISPID_ONQUIT, {}));  // the sink still works
  EXPECT_EQ((std::vector<ListenerCall>{{kOnQuit, ""}}), throwing.calls);
}

TEST_F(SinkTest, OneImplementationAnswersUnknownDispatchAndTheEventInterface) {
  IUnknown* unknown = nullptr;
  IDispatch* plain = nullptr;
  IDispatch* events = nullptr;
  IConnectionPoint* other = nullptr;
  ASSERT_EQ(S_OK, dispatch->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)));
  ASSERT_EQ(S_OK, dispatch->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&plain)));
  ASSERT_EQ(S_OK, dispatch->QueryInterface(DIID_DWebBrowserEvents2, reinterpret_cast<void**>(&events)));
  EXPECT_EQ(E_NOINTERFACE, dispatch->QueryInterface(IID_IConnectionPoint, reinterpret_cast<void**>(&other)));
  EXPECT_EQ(nullptr, other);
  EXPECT_EQ(static_cast<IUnknown*>(dispatch), unknown);
  EXPECT_EQ(dispatch, plain);
  EXPECT_EQ(dispatch, events);
  EXPECT_EQ(4u, sink->GetRefCount());
  unknown->Release();
  plain->Release();
  events->Release();
  EXPECT_EQ(1u, sink->GetRefCount());
}

namespace {
class ObservedSink : public CWebBrowserEvents2 {
 public:
  explicit ObservedSink(bool* deleted) : m_deleted(deleted) {}
  ~ObservedSink() override { *m_deleted = true; }

 private:
  bool* m_deleted;
};
}  // namespace

TEST(SinkLifetime, LastReleaseDeletesTheSinkAndUnknownClassNamesCreateNothing) {
  bool deleted = false;
  ObservedSink* sink = new ObservedSink(&deleted);
  IDispatch* dispatch = sink->GetIDispatch(TRUE);
  EXPECT_EQ(2u, sink->GetRefCount());
  dispatch->Release();
  EXPECT_FALSE(deleted);
  dispatch->Release();  // the creator's reference
  EXPECT_TRUE(deleted);

  EXPECT_EQ(nullptr, CRuntimeClass::CreateObject("CNoSuchClass"));
  const CRuntimeClass* sinkClass = CRuntimeClass::FromName("CWebBrowserEvents2");
  ASSERT_NE(nullptr, sinkClass);
  EXPECT_TRUE(sinkClass->IsDerivedFrom(ORMIX_RUNTIME_CLASS(CCmdTarget)));
}
