// Attaching, advising and detaching a connection holder on an in-process browser double.
#include <windows.h>
#include <exdisp.h>
#include <exdispid.h>

#include <gtest/gtest.h>

#include "browser/BrowserEventConnection.h"
#include "browser/WebBrowserEvents2.h"
#include "support/FakeBrowser.h"
#include "support/Variants.h"

namespace {

class CountingConnection : public CBrowserEventConnection {
 public:
  int quits = 0;
  int progress = 0;
  void OnQuit() override {
    ++quits;
    CBrowserEventConnection::OnQuit();
  }
  void ProgressChange(long, long) override { ++progress; }
};

class ConnectionTest : public testing::Test {
 protected:
  void SetUp() override { browser = new FakeBrowser; }
  void TearDown() override {
    delete holder;
    // Whatever happened, the holder gave back every reference it took.
    EXPECT_EQ(1, browser->RefCount());
    browser->Release();
  }
  IUnknown* Unknown() { return static_cast<IWebBrowser2*>(browser); }

  FakeBrowser* browser = nullptr;
  CountingConnection* holder = new CountingConnection;
};

}  // namespace

TEST_F(ConnectionTest, ConnectAdvisesOnceAndEventsArrive) {
  EXPECT_TRUE(holder->Connect(Unknown()));
  EXPECT_TRUE(holder->IsAttached());
  EXPECT_TRUE(holder->IsAdvised());
  EXPECT_EQ(1u, browser->SinkCount());
  // The browser holds the sink: the holder's reference plus the connection point's.
  EXPECT_EQ(2u, holder->GetSink()->GetRefCount());

  EXPECT_TRUE(holder->Connect(Unknown()));  // already attached: nothing more happens
  EXPECT_EQ(1, browser->AdviseCalls());
  EXPECT_EQ(1u, browser->SinkCount());

  EXPECT_EQ(S_OK, browser->Fire(DISPID_PROGRESSCHANGE, {VarI4(1), VarI4(2)}));
  EXPECT_EQ(1, holder->progress);

  EXPECT_TRUE(holder->Disconnect());
  EXPECT_FALSE(holder->IsAttached());
  EXPECT_EQ(0u, browser->SinkCount());
  EXPECT_EQ(1u, holder->GetSink()->GetRefCount());
  EXPECT_EQ(S_FALSE, browser->Fire(DISPID_PROGRESSCHANGE, {VarI4(1), VarI4(2)}));
  EXPECT_EQ(1, holder->progress);
}

TEST_F(ConnectionTest, BrowserWithoutWebBrowserAppLeavesTheHolderDetached) {
  browser->answerBrowserApp = false;
  EXPECT_FALSE(holder->Connect(Unknown()));
  EXPECT_FALSE(holder->IsAttached());
  EXPECT_EQ(0, browser->AdviseCalls());
  EXPECT_FALSE(holder->Connect(nullptr));
}

TEST_F(ConnectionTest, MissingConnectionPointLeavesTheHolderAttachedNotAdvised) {
  browser->hasConnectionPoint = false;
  EXPECT_FALSE(holder->Connect(Unknown()));
  EXPECT_TRUE(holder->IsAttached());
  EXPECT_FALSE(holder->IsAdvised());
  EXPECT_EQ(2, browser->RefCount());  // only the browser object is held
  // Unadvise without a connection point changes nothing and reports success.
  EXPECT_TRUE(holder->Unadvise());
  EXPECT_TRUE(holder->IsAttached());
}

TEST_F(ConnectionTest, RefusedAdviseKeepsTheConnectionPointUntilUnadvise) {
  browser->adviseResult = CONNECT_E_ADVISELIMIT;
  EXPECT_FALSE(holder->Connect(Unknown()));
  EXPECT_TRUE(holder->IsAttached());
  EXPECT_FALSE(holder->IsAdvised());
  EXPECT_EQ(3, browser->RefCount());  // browser object and connection point
  EXPECT_EQ(0u, browser->SinkCount());
  EXPECT_EQ(1u, holder->GetSink()->GetRefCount());

  // Unadvise hands back the connection point; its refusal of cookie 0 keeps the browser.
  EXPECT_FALSE(holder->Unadvise());
  EXPECT_TRUE(holder->IsAttached());
  EXPECT_EQ(2, browser->RefCount());
  // The destructor (TearDown) gives back the browser object still held.
}

TEST_F(ConnectionTest, QuitDetachesAndLaterCallsLeaveTheBrowserAlone) {
  ASSERT_TRUE(holder->Connect(Unknown()));
  EXPECT_EQ(S_OK, browser->Fire(DISPID_ONQUIT, {}));
  EXPECT_EQ(1, holder->quits);
  EXPECT_FALSE(holder->IsAttached());
  EXPECT_EQ(0u, browser->SinkCount());
  EXPECT_EQ(1, browser->RefCount());

  browser->unadviseResult = E_UNEXPECTED;  // would show if the browser were touched again
  EXPECT_TRUE(holder->Disconnect());
  EXPECT_FALSE(holder->Unadvise());
  EXPECT_EQ(1, browser->RefCount());
}

TEST_F(ConnectionTest, FailedUnadviseOfADeadBrowserIsCleanedUpByTheDestructor) {
  ASSERT_TRUE(holder->Connect(Unknown()));
  browser->unadviseResult = RPC_E_DISCONNECTED;
  EXPECT_FALSE(holder->Unadvise());
  EXPECT_TRUE(holder->IsAttached());
  EXPECT_FALSE(holder->IsAdvised());
  // Nothing is left to unadvise; the browser object stays held until the destructor gives
  // it back (checked in TearDown).
  EXPECT_TRUE(holder->Unadvise());
  EXPECT_TRUE(holder->IsAttached());
  EXPECT_EQ(2, browser->RefCount());
}

TEST_F(ConnectionTest, AdviseOnAnAdvisedHolderAsksNothingOfTheBrowser) {
  ASSERT_TRUE(holder->Connect(Unknown()));
  browser->answerContainer = false;  // the browser has died meanwhile
  EXPECT_TRUE(holder->Advise());
  EXPECT_TRUE(holder->IsAdvised());
  EXPECT_EQ(1, browser->AdviseCalls());
  EXPECT_EQ(1u, browser->SinkCount());
  EXPECT_TRUE(holder->Disconnect());
}

TEST_F(ConnectionTest, AdviseAfterARefusedOneTakesAFreshConnectionPoint) {
  browser->adviseResult = CONNECT_E_ADVISELIMIT;
  EXPECT_FALSE(holder->Connect(Unknown()));
  browser->adviseResult = S_OK;
  EXPECT_TRUE(holder->Advise());
  EXPECT_TRUE(holder->IsAdvised());
  EXPECT_EQ(1u, browser->SinkCount());
  EXPECT_EQ(S_OK, browser->Fire(DISPID_PROGRESSCHANGE, {VarI4(1), VarI4(2)}));
  EXPECT_EQ(1, holder->progress);
  EXPECT_TRUE(holder->Disconnect());
  // While advised the connection point is also parked for a later release off the thread,
  // so the count is checked once the holder has let go.
  EXPECT_EQ(1, browser->RefCount()) << "the refused attempt's connection point was given back";
}

TEST_F(ConnectionTest, DestroyingAnAdvisedHolderUnadvisesFirst) {
  ASSERT_TRUE(holder->Connect(Unknown()));
  delete holder;
  holder = nullptr;
  EXPECT_EQ(0u, browser->SinkCount()) << "the browser holds no sink of a destroyed holder";
  EXPECT_EQ(S_FALSE, browser->Fire(DISPID_PROGRESSCHANGE, {VarI4(1), VarI4(2)}));
}

TEST_F(ConnectionTest, QuitArrivingDuringUnadviseReleasesEachReferenceOnce) {
  ASSERT_TRUE(holder->Connect(Unknown()));
  browser->quitDuringUnadvise = true;
  EXPECT_TRUE(holder->Disconnect());
  EXPECT_EQ(1, holder->quits);
  EXPECT_FALSE(holder->IsAttached());
  EXPECT_EQ(0u, browser->SinkCount());
  EXPECT_EQ(1, browser->RefCount());
}
