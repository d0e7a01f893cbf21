// Work run off the calling thread with a bound: the hand-over of its result, what happens to
// a result nobody takes, completions held back during calls from other processes, and the
// global interface table and marshalled-interface wrappers that carry interfaces between
// apartments. No window of the program is involved.
#include <windows.h>
#include <objbase.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "framework/BoundedWork.h"
#include "framework/CopiedDispatchParams.h"
#include "framework/GlobalInterface.h"
#include "framework/MarshalledInterface.h"
#include "support/FakeBrowser.h"
#include "support/MessagePump.h"
#include "support/Variants.h"

namespace {

// Bounds many times what any of these waits takes.
constexpr DWORD kDeadlineMs = 10000;

// Where a piece of code ran: its thread and whether that thread was in a single-threaded
// apartment.
struct Place {
  DWORD thread = 0;
  bool singleThreadedApartment = false;

  static Place Here() {
    APTTYPE type = APTTYPE_CURRENT;
    APTTYPEQUALIFIER qualifier = APTTYPEQUALIFIER_NONE;
    Place place;
    place.thread = ::GetCurrentThreadId();
    place.singleThreadedApartment = SUCCEEDED(::CoGetApartmentType(&type, &qualifier)) &&
                                    (type == APTTYPE_STA || type == APTTYPE_MAINSTA);
    return place;
  }
};

// A manual-reset event the test sets to let a blocked work go on.
struct Gate {
  HANDLE handle = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
  ~Gate() { ::CloseHandle(handle); }
  void Open() { ::SetEvent(handle); }
  void Pass() const { ::WaitForSingleObject(handle, kDeadlineMs); }
};

}  // namespace

TEST(BoundedWorkTest, HandsItsResultOverOnceFromAnApartmentOfItsOwn) {
  CBoundedWork<std::string> work;
  auto ran = std::make_shared<Place>();
  ASSERT_TRUE(work.Start([ran] {
    *ran = Place::Here();
    return std::string("found");
  }));
  ASSERT_TRUE(work.Wait(kDeadlineMs));
  EXPECT_EQ(CBoundedWorkBase::State::Finished, work.GetState());
  const std::optional<std::string> result = work.Take();
  ASSERT_TRUE(result.has_value());
  EXPECT_EQ("found", *result);
  EXPECT_FALSE(work.Take().has_value());  // once
  EXPECT_EQ(CBoundedWorkBase::State::HandedOver, work.GetState());
  EXPECT_NE(::GetCurrentThreadId(), ran->thread);
  EXPECT_TRUE(ran->singleThreadedApartment);
  EXPECT_TRUE(CBoundedWorkBase::WaitForOutstanding(kDeadlineMs));
}

// A result nobody takes is released by the worker, in its apartment, whether the caller let
// go while the work ran, after it ended, or by going itself; no completion runs then.
TEST(BoundedWorkTest, AResultNobodyTakesIsReleasedOnTheWorker) {
  enum class LetGo { WhileRunning, AfterItEnded, ByGoing };
  for (LetGo letGo : {LetGo::WhileRunning, LetGo::AfterItEnded, LetGo::ByGoing}) {
    Gate gate;
    auto ran = std::make_shared<Place>();
    auto released = std::make_shared<Place>();
    bool completed = false;
    {
      CBoundedWork<int> work;
      ASSERT_TRUE(work.Start(
          [ran, &gate] {
            gate.Pass();
            *ran = Place::Here();
            return 7;
          },
          [released](int& result) {
            EXPECT_EQ(7, result);
            *released = Place::Here();
          },
          // A completion would run from the wait's own dispatching once the work ended.
          letGo == LetGo::AfterItEnded ? std::function<void()>() : [&completed] { completed = true; }));
      if (letGo == LetGo::WhileRunning) {
        work.Abandon();
        EXPECT_FALSE(work.Wait(0));
        gate.Open();
      } else {
        gate.Open();
        if (letGo == LetGo::AfterItEnded) {
          ASSERT_TRUE(work.Wait(kDeadlineMs));
          work.Abandon();
          EXPECT_FALSE(work.Take().has_value());
        }
      }
    }
    ASSERT_TRUE(CBoundedWorkBase::WaitForOutstanding(kDeadlineMs));
    testsupport::PumpPendingMessages();
    EXPECT_EQ(ran->thread, released->thread) << static_cast<int>(letGo);
    EXPECT_TRUE(released->singleThreadedApartment) << static_cast<int>(letGo);
    EXPECT_FALSE(completed) << static_cast<int>(letGo);
  }
}

// A message handled during the wait may end it (a window closing): the wait ends at once, long
// before the work does. Given up, the work's result goes to its worker; only stopped, the
// result stays to be taken.
TEST(BoundedWorkTest, AWaitEndsWhenAMessageHandledMeanwhileEndsIt) {
  for (bool giveUp : {true, false}) {
    Gate gate;
    CBoundedWork<int> work;
    ASSERT_TRUE(work.Start([&gate] {
      gate.Pass();
      return 1;
    }));
    static CBoundedWorkBase* waiting;
    static bool givingUp;
    waiting = &work;
    givingUp = giveUp;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 1, [](HWND, UINT, UINT_PTR id, DWORD) {
      ::KillTimer(nullptr, id);
      if (givingUp) waiting->Abandon();
      else waiting->StopWaiting();
    });
    EXPECT_FALSE(work.Wait(kDeadlineMs * 3));
    ::KillTimer(nullptr, timer);
    EXPECT_EQ(giveUp ? CBoundedWorkBase::State::Abandoned : CBoundedWorkBase::State::Running, work.GetState());
    EXPECT_GT(CBoundedWorkBase::Outstanding(), 0);  // the work still runs: the wait did not wait for it
    gate.Open();
    if (!giveUp) {
      ASSERT_TRUE(work.Wait(kDeadlineMs));
      EXPECT_EQ(1, work.Take().value_or(0));
    }
    EXPECT_TRUE(CBoundedWorkBase::WaitForOutstanding(kDeadlineMs));
  }
}

// A completion that falls due while this thread serves a call from another process runs only
// once the outermost such call has returned, from the message loop.
TEST(BoundedWorkTest, ACompletionWaitsUntilTheIncomingCallHasReturned) {
  CBoundedWork<int> work;
  int completions = 0;
  ASSERT_TRUE(work.Start([] { return 5; }, nullptr, [&] {
    ++completions;
    EXPECT_EQ(5, work.Take().value_or(0));
  }));
  {
    const CBoundedWorkBase::IncomingCall outer;
    {
      const CBoundedWorkBase::IncomingCall inner;
      ASSERT_TRUE(work.Wait(kDeadlineMs));  // its completion is queued by now
      testsupport::PumpPendingMessages();
    }
    testsupport::PumpPendingMessages();
    EXPECT_EQ(0, completions);
  }
  EXPECT_TRUE(testsupport::PumpUntil([&] { return completions > 0; }, kDeadlineMs));
  EXPECT_EQ(1, completions);
  EXPECT_EQ(CBoundedWorkBase::State::HandedOver, work.GetState());
  EXPECT_TRUE(CBoundedWorkBase::WaitForOutstanding(kDeadlineMs));
}

// An object parked in the global interface table by this apartment reaches a worker as a
// proxy of its own, whose calls this thread serves; once revoked, nothing more is handed out.
TEST(GlobalInterfaceTest, ParksAnObjectForOtherApartmentsUntilRevoked) {
  auto* browser = new FakeBrowser;
  {
    auto parked = std::make_shared<CGlobalInterface<IConnectionPointContainer>>();
    ASSERT_TRUE(parked->Register(browser));
    EXPECT_TRUE(parked->IsRegistered());
    EXPECT_EQ(static_cast<IConnectionPointContainer*>(browser), parked->Get().Get());  // here: the object itself

    CBoundedWork<HRESULT> work;
    ASSERT_TRUE(work.Start([parked] {
      const Microsoft::WRL::ComPtr<IConnectionPointContainer> proxy = parked->Get();
      if (!proxy) return E_POINTER;
      Microsoft::WRL::ComPtr<IConnectionPoint> point;
      return proxy->FindConnectionPoint(DIID_DWebBrowserEvents2, point.GetAddressOf());
    }));
    ASSERT_TRUE(work.Wait(kDeadlineMs));
    EXPECT_EQ(S_OK, work.Take().value_or(E_FAIL));

    parked->Revoke();
    EXPECT_FALSE(parked->IsRegistered());
    EXPECT_EQ(nullptr, parked->Get().Get());
    EXPECT_FALSE(parked->Register(nullptr));
  }
  ASSERT_TRUE(CBoundedWorkBase::WaitForOutstanding(kDeadlineMs));
  EXPECT_EQ(1, browser->RefCount());
  browser->Release();
}

// A marshalled interface is taken once, in another apartment; one never taken gives its
// references back.
TEST(MarshalledInterfaceTest, IsTakenOnceAndGivesBackWhatNobodyTook) {
  auto* browser = new FakeBrowser;
  {
    auto taken = std::make_shared<CMarshalledInterface<IConnectionPointContainer>>();
    ASSERT_TRUE(taken->Marshal(browser));
    CMarshalledInterface<IConnectionPointContainer> untaken;
    ASSERT_TRUE(untaken.Marshal(browser));
    EXPECT_GT(browser->RefCount(), 1);

    CBoundedWork<bool> work;
    ASSERT_TRUE(work.Start([taken] {
      const bool first = taken->Take().Get() != nullptr;
      const bool second = taken->Take().Get() != nullptr;
      return first && !second && taken->IsEmpty();
    }));
    ASSERT_TRUE(work.Wait(kDeadlineMs));
    EXPECT_TRUE(work.Take().value_or(false));
    EXPECT_FALSE(untaken.IsEmpty());
  }
  ASSERT_TRUE(CBoundedWorkBase::WaitForOutstanding(kDeadlineMs));
  EXPECT_EQ(1, browser->RefCount());
  browser->Release();
}

// The arguments of a call copied to outlive it: every value the copy shows stays when the
// caller's own are gone, references point into the copy, and no interface is carried over
// (a stand-in put in later is held by the copy until it goes).
TEST(CopiedDispatchParamsTest, OwnsEveryValueAndCarriesNoInterface) {
  auto* object = new FakeBrowser;
  BSTR text = SysAllocString(L"text");
  BSTR innerText = SysAllocString(L"inner");
  VARIANT inner = VarBstr(innerText);
  VARIANT_BOOL flag = VARIANT_TRUE;
  SAFEARRAY* bytes = SafeArrayCreateVector(VT_UI1, 0, 3);
  ASSERT_NE(nullptr, bytes);
  std::memcpy(bytes->pvData, "a=1", 3);
  VARIANT post;
  VariantInit(&post);
  post.vt = VT_ARRAY | VT_UI1;
  post.parray = bytes;
  IDispatch* answer = object;
  DECIMAL amount = {};
  amount.Lo32 = 1234567;
  amount.scale = 2;
  VARIANT args[] = {VarBstr(text),         VarRef(VT_VARIANT, &inner),   VarRef(VT_BOOL, &flag),
                    VarRef(VT_VARIANT, &post), VarDispatch(object),      VarRef(VT_DISPATCH, &answer),
                    VarRef(VT_DECIMAL, &amount)};
  DISPPARAMS params = {args, nullptr, 7, 0};
  {
    CCopiedDispatchParams copy;
    ASSERT_EQ(S_OK, copy.CopyFrom(params));
    EXPECT_EQ(1, object->RefCount());
    SysFreeString(text);
    VariantClear(&inner);
    VariantClear(&post);
    flag = VARIANT_FALSE;
    const DECIMAL original = amount;
    amount = DECIMAL{};

    const DISPPARAMS* copied = copy.Get();
    ASSERT_EQ(7u, copied->cArgs);
    const VARIANT* c = copied->rgvarg;
    EXPECT_EQ(L"text", std::wstring(c[0].bstrVal));
    ASSERT_EQ(VT_BYREF | VT_VARIANT, c[1].vt);
    EXPECT_EQ(L"inner", std::wstring(c[1].pvarVal->bstrVal));
    ASSERT_EQ(VT_BYREF | VT_BOOL, c[2].vt);
    EXPECT_EQ(VARIANT_TRUE, *c[2].pboolVal);
    ASSERT_EQ(VT_ARRAY | VT_UI1, c[3].pvarVal->vt);
    EXPECT_EQ("a=1", std::string(static_cast<const char*>(c[3].pvarVal->parray->pvData), 3));
    EXPECT_EQ(VT_DISPATCH, c[4].vt);
    EXPECT_EQ(nullptr, c[4].pdispVal);
    ASSERT_EQ(VT_BYREF | VT_DISPATCH, c[5].vt);
    EXPECT_EQ(nullptr, *c[5].ppdispVal);
    ASSERT_EQ(VT_BYREF | VT_DECIMAL, c[6].vt);
    EXPECT_EQ(original.Lo32, c[6].pdecVal->Lo32);
    EXPECT_EQ(original.scale, c[6].pdecVal->scale);

    copy.SetDispatch(4, object);
    EXPECT_EQ(object, copy.Get()->rgvarg[4].pdispVal);
    EXPECT_EQ(2, object->RefCount());
  }
  EXPECT_EQ(1, object->RefCount());
  object->Release();
}
