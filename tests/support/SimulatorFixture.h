#pragma once
// A test fixture with a browser simulator of its own: started before each test, and
// required to end cleanly (exit code 0) after it. Every browser the test opened through
// Ok() and did not close must by then have got back every reference it handed out: its
// reference counts (`refs ID`) are those it had right after it opened. A test whose
// fixture holds objects beyond its body releases them in TearDown before this check.
#include <windows.h>

#include <map>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "browser/BrowserDiscovery.h"
#include "threads/BoundedWork.h"
#include "support/SimulatorProcess.h"

namespace testsupport {

class SimulatorFixture : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(m_sim.Start()) << SimulatorProcess::ExecutablePath() << ": " << m_sim.Problem(); }
  void TearDown() override {
    ExpectReferencesGivenBack();
    EXPECT_TRUE(m_sim.Stop());
    EXPECT_EQ(0u, m_sim.ExitCode());
  }

  // Sends a command that must succeed; returns its reply.
  std::string Ok(const std::string& command) {
    const std::string reply = m_sim.Send(command);
    EXPECT_EQ(0u, reply.rfind("OK", 0)) << command << " -> " << reply;
    if (reply.rfind("OK", 0) == 0) Track(command);
    return reply;
  }
  // The top-level window of simulator item `id`.
  HWND Frame(const std::string& id) { return SimulatorProcess::Window(Ok("window " + id), "hwnd"); }
  // The browser object of a listed window, found the way the selection dialog finds it.
  static IWebBrowser2* Resolve(HWND window) {
    IHTMLDocument* document = nullptr;
    if (!GetDocumentFromWindow(window, &document)) return nullptr;
    IWebBrowser2* browser = nullptr;
    const BOOL found = GetBrowserFromDocument(document, &browser);
    document->Release();
    return found ? browser : nullptr;
  }

  // Checks now, while the simulator runs, that the open browsers hold only the references
  // they held when they opened.
  void ExpectReferencesGivenBack() {
    if (!m_sim.IsRunning()) return;  // the test ended the simulator itself
    // What the program lets go of off this thread (a quit browser, a closed tab) goes first.
    EXPECT_TRUE(CBoundedWorkBase::WaitForOutstanding(20000)) << "work still waiting for a browser";
    for (const auto& [id, opened] : m_openedRefs)
      EXPECT_EQ(opened, m_sim.Send("refs " + id)) << "simulator item " << id << " still has references handed out";
  }

  SimulatorProcess m_sim;

 private:
  // Notes the reference counts of each browser, folder and host as it opens or gets new
  // frames; forgets it when it closes.
  void Track(const std::string& command) {
    std::istringstream words(command);
    std::string verb, id;
    words >> verb >> id;
    if (verb == "open" || verb == "folder" || verb == "host") m_openedRefs[id] = m_sim.Send("refs " + id);
    else if (verb == "frames" && m_openedRefs.count(id)) {
      // New frames are new objects: their counts now join what the browser had at opening.
      const std::string now = m_sim.Send("refs " + id);
      const std::string& opened = m_openedRefs[id];
      m_openedRefs[id] = opened.substr(0, opened.find(" frames=")) +
                         (now.find(" frames=") == std::string::npos ? "" : now.substr(now.find(" frames=")));
    }
    else if (verb == "close") m_openedRefs.erase(id);
  }

  std::map<std::string, std::string> m_openedRefs;
};

}  // namespace testsupport
