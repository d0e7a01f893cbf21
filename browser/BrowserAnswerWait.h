#pragma once
// How long the window's thread waits for a browser to answer the calls that pick it and
// connect to it before it gives the browser up as not answering.
#include <windows.h>

// A browser answers the handful of calls of picking and connecting in well under a second
// here; one kept busy by a script answers within a second or two; one that has not answered
// after three is hung for all a user can tell (the listing gives up on a browser after as
// long).
constexpr DWORD kBrowserAnswerWaitMs = 3000;
