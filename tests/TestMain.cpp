// Entry point of every test program: the tests run on one thread in a single-threaded
// apartment with OLE initialised, as the program itself does.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include "threads/BoundedWork.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (FAILED(OleInitialize(nullptr))) return 2;
  INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  const int result = RUN_ALL_TESTS();
  // As the program does at exit: work still under way (a listing that started a browser's
  // server) gets a while to end, so no process it started is left waiting to be asked.
  CBoundedWorkBase::WaitForOutstanding(60000);
  OleUninitialize();
  return result;
}
