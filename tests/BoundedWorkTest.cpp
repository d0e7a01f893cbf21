// Work run off the calling thread with a bound: the hand-over of its result, what happens to
// a result nobody takes, the wait at the program's end, and the wrappers that carry
// interfaces between apartments. No window of the program is involved.
#include <windows.h>
#include <objbase.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "threads/BoundedWork.h"
#include "framework/CopiedDispatchParams.h"
#include "threads/Dispatcher.h"
#include "threads/MarshalledInterface.h"
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

// Runs `work` to its end and hands back what its completion got.
template <typename Result>
std::optional<Result> RunToEnd(CBoundedWork<Result>& work, std::function<Result()> run) {
  std::optional<Result> got;
  bool done = false;
  EXPECT_TRUE(work.Start(std::move(run), nullptr, [&](std::optional<Result> result) {
    got = std::move(result);
    done = true;
  }));
  EXPECT_TRUE(testsupport::PumpUntil([&] { return done; }, kDeadlineMs));
  return got;
}

TEST(BoundedWorkTest, CompletesOnTheStartingThreadWithAResultMadeInAnApartmentOfItsOwn) {
  CBoundedWork<std::string> work;
  auto ran = std::make_shared<Place>();
  const std::optional<std::string> result = RunToEnd<std::string>(work, [ran] {
    *ran = Place::Here();
    return std::string("found");
  });
  EXPECT_EQ("found", result.value_or(""));
  EXPECT_FALSE(work.Take().has_value());  // once
  EXPECT_EQ(CBoundedWorkBase::State::HandedOver, work.GetState());
  EXPECT_NE(::GetCurrentThreadId(), ran->thread);
  EXPECT_TRUE(ran->singleThreadedApartment);
  EXPECT_TRUE(CBoundedWorkBase::WaitForOutstanding(kDeadlineMs));
}

// A result nobody takes is released by the worker, in its apartment, whether the owner let
// go while the work ran, after it ended, after its bound passed, or by going itself; no
// completion runs after the owner let go, and one let go with a step to follow runs that
// step once the release is done.
TEST(BoundedWorkTest, AResultNobodyTakesIsReleasedOnTheWorker) {
  enum class LetGo { WhileRunning, AfterItEnded, AfterItsBound, ByGoing };
  for (LetGo letGo : {LetGo::WhileRunning, LetGo::AfterItEnded, LetGo::AfterItsBound, LetGo::ByGoing}) {
    SCOPED_TRACE(static_cast<int>(letGo));
    Gate gate;
    auto ran = std::make_shared<Place>();
    auto released = std::make_shared<Place>();
    int completions = 0;
    bool timedOut = false;
    bool afterRelease = false;
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
          [&](std::optional<int> result) {
            ++completions;
            timedOut = !result;
          },
          letGo == LetGo::AfterItsBound ? 50 : INFINITE));
      if (letGo == LetGo::WhileRunning) {
        work.Abandon();
        gate.Open();
      } else if (letGo == LetGo::AfterItEnded) {
        gate.Open();
        // Not pumping: its completion stays queued, to find the work let go.
        for (DWORD start = ::GetTickCount();
             work.GetState() == CBoundedWorkBase::State::Running && ::GetTickCount() - start < kDeadlineMs;)
          ::Sleep(1);
        work.Abandon();
      } else if (letGo == LetGo::AfterItsBound) {
        ASSERT_TRUE(testsupport::PumpUntil([&] { return completions > 0; }, kDeadlineMs));
        EXPECT_TRUE(timedOut);
        work.LetGo([&] { afterRelease = true; });
        gate.Open();
        EXPECT_TRUE(testsupport::PumpUntil([&] { return afterRelease; }, kDeadlineMs));
      } else {
        gate.Open();
      }
    }
    ASSERT_TRUE(CBoundedWorkBase::WaitForOutstanding(kDeadlineMs));
    testsupport::PumpPendingMessages();
    EXPECT_EQ(ran->thread, released->thread);
    EXPECT_TRUE(released->singleThreadedApartment);
    EXPECT_EQ(letGo == LetGo::AfterItsBound ? 1 : 0, completions);
  }
}

// The wait at the program's end keeps its bound however many messages it handles meanwhile:
// a steady flow of messages, far longer than the bound, does not keep it waiting.
TEST(BoundedWorkTest, TheWaitAtTheEndKeepsItsBoundWhileMessagesFlow) {
  Gate gate;
  CBoundedWork<int> work;
  ASSERT_TRUE(work.Start([&gate] {
    gate.Pass();
    return 0;
  }));
  static int s_left;
  s_left = 20000;  // about 20 s of messages, one a millisecond
  CDispatcher* dispatcher = CDispatcher::ForThisThread();
  ASSERT_NE(nullptr, dispatcher);
  static std::function<void()> s_next;
  s_next = [dispatcher] {
    if (--s_left <= 0) return;
    ::Sleep(1);
    dispatcher->Post(s_next);
  };
  dispatcher->Post(s_next);
  EXPECT_FALSE(CBoundedWorkBase::WaitForOutstanding(100));
  EXPECT_GT(s_left, 0) << "the wait lasted as long as the messages came";
  s_left = 0;
  gate.Open();
  work.Abandon();
  EXPECT_TRUE(CBoundedWorkBase::WaitForOutstanding(kDeadlineMs));
  s_next = nullptr;
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
    EXPECT_TRUE(RunToEnd<bool>(work, [taken] {
                  const bool first = taken->Take().Get() != nullptr;
                  const bool second = taken->Take().Get() != nullptr;
                  return first && !second && taken->IsEmpty();
                }).value_or(false));
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
