#pragma once
// A test fixture with a browser simulator of its own: started before each test, and
// required to end cleanly (exit code 0) after it.
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "support/SimulatorProcess.h"

namespace testsupport {

class SimulatorFixture : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(m_sim.Start()) << SimulatorProcess::ExecutablePath(); }
  void TearDown() override {
    EXPECT_TRUE(m_sim.Stop());
    EXPECT_EQ(0u, m_sim.ExitCode());
  }

  // Sends a command that must succeed; returns its reply.
  std::string Ok(const std::string& command) {
    const std::string reply = m_sim.Send(command);
    EXPECT_EQ(0u, reply.rfind("OK", 0)) << command << " -> " << reply;
    return reply;
  }
  // The top-level window of simulator item `id`.
  HWND Frame(const std::string& id) { return SimulatorProcess::Window(Ok("window " + id), "hwnd"); }

  SimulatorProcess m_sim;
};

}  // namespace testsupport
