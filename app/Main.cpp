// The program's entry point and its one application object.
#include <windows.h>

#include "app/OrmixApp.h"

namespace {
COrmixApp theApp;
}

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow) {
  return AfxWinMain(hInstance, hPrevInstance, lpCmdLine, nCmdShow);
}
