#pragma once
// The 32 browser events that Ormix records, in listener-slot order: the one table from which
// the sink's dispatch map, the listener interface's order, the mask indexes and the check
// boxes of the selection dialog are all taken.
#include <windows.h>
#include <exdispid.h>

#include <cstddef>

#include "framework/DispatchMap.h"

struct EventInfo {
  const char* name;     // member of DWebBrowserEvents2, also the check box's caption
  DISPID dispid;
  const char* params;   // declared parameter type codes, in order
  int maskIndex;        // index of the event's flag in an EventMask
  int checkBoxId;       // control id of its check box in the selection dialog
  int column;           // place of the check box in the dialog's grid, from 1
  int row;
};

constexpr size_t kEventCount = 32;

// What the log puts before an event's name in its rows' name column.
inline constexpr char kEventRowNamePrefix[] = "DIID_DWebBrowserEvents2::";

// clang-format off
inline constexpr EventInfo kEventCatalog[kEventCount] = {
  {"StatusTextChange",           DISPID_STATUSTEXTCHANGE,    VTS_BSTR,                  0, 1004, 1,  1},
  {"ProgressChange",             DISPID_PROGRESSCHANGE,      VTS_I4 VTS_I4,             1, 1005, 1,  2},
  {"CommandStateChange",         DISPID_COMMANDSTATECHANGE,  VTS_I4 VTS_BOOL,           2, 1006, 1,  3},
  {"DownloadBegin",              DISPID_DOWNLOADBEGIN,       VTS_NONE,                  3, 1007, 1,  4},
  {"DownloadComplete",           DISPID_DOWNLOADCOMPLETE,    VTS_NONE,                  4, 1008, 1,  5},
  {"TitleChange",                DISPID_TITLECHANGE,         VTS_BSTR,                  5, 1009, 1,  6},
  {"PropertyChange",             DISPID_PROPERTYCHANGE,      VTS_BSTR,                  6, 1010, 1,  7},
  {"BeforeNavigate2",            DISPID_BEFORENAVIGATE2,
     VTS_DISPATCH VTS_PVARIANT VTS_PVARIANT VTS_PVARIANT VTS_PVARIANT VTS_PVARIANT VTS_PBOOL,
                                                                                        7, 1011, 1,  8},
  {"NewWindow2",                 DISPID_NEWWINDOW2,          VTS_PDISPATCH VTS_PBOOL,   8, 1012, 1,  9},
  {"NavigateComplete2",          DISPID_NAVIGATECOMPLETE2,   VTS_DISPATCH VTS_PVARIANT, 10, 1013, 1, 10},
  {"DocumentComplete",           DISPID_DOCUMENTCOMPLETE,    VTS_DISPATCH VTS_PVARIANT, 11, 1014, 1, 11},
  {"OnQuit",                     DISPID_ONQUIT,              VTS_NONE,                 12, 1025, 1, 12},
  {"OnVisible",                  DISPID_ONVISIBLE,           VTS_BOOL,                 13, 1015, 2,  1},
  {"OnToolBar",                  DISPID_ONTOOLBAR,           VTS_BOOL,                 14, 1016, 2,  2},
  {"OnMenuBar",                  DISPID_ONMENUBAR,           VTS_BOOL,                 15, 1017, 2,  3},
  {"OnStatusBar",                DISPID_ONSTATUSBAR,         VTS_BOOL,                 16, 1018, 2,  4},
  {"OnFullScreen",               DISPID_ONFULLSCREEN,        VTS_BOOL,                 17, 1019, 2,  5},
  {"OnTheaterMode",              DISPID_ONTHEATERMODE,       VTS_BOOL,                 18, 1020, 2,  6},
  {"WindowSetResizable",         DISPID_WINDOWSETRESIZABLE,  VTS_BOOL,                 19, 1021, 2,  7},
  {"WindowSetLeft",              DISPID_WINDOWSETLEFT,       VTS_I4,                   20, 1022, 2,  8},
  {"WindowSetTop",               DISPID_WINDOWSETTOP,        VTS_I4,                   21, 1023, 2,  9},
  {"WindowSetWidth",             DISPID_WINDOWSETWIDTH,      VTS_I4,                   22, 1024, 2, 10},
  {"WindowSetHeight",            DISPID_WINDOWSETHEIGHT,     VTS_I4,                   23, 1026, 2, 11},
  {"WindowClosing",              DISPID_WINDOWCLOSING,       VTS_BOOL VTS_PBOOL,       24, 1027, 2, 12},
  {"ClientToHostWindow",         DISPID_CLIENTTOHOSTWINDOW,  VTS_PI4 VTS_PI4,          25, 1028, 3,  1},
  {"SetSecureLockIcon",          DISPID_SETSECURELOCKICON,   VTS_I4,                   26, 1029, 3,  2},
  {"FileDownload",               DISPID_FILEDOWNLOAD,        VTS_PBOOL,                27, 1030, 3,  3},
  {"NavigateError",              DISPID_NAVIGATEERROR,
     VTS_DISPATCH VTS_PVARIANT VTS_PVARIANT VTS_PVARIANT VTS_PBOOL,                    28, 1031, 3,  4},
  {"PrintTemplateInstantiation", DISPID_PRINTTEMPLATEINSTANTIATION, VTS_DISPATCH,      29, 1032, 3,  5},
  {"PrintTemplateTeardown",      DISPID_PRINTTEMPLATETEARDOWN,      VTS_DISPATCH,      30, 1033, 3,  6},
  {"UpdatePageStatus",           DISPID_UPDATEPAGESTATUS,
     VTS_DISPATCH VTS_PVARIANT VTS_PVARIANT,                                           31, 1034, 3,  7},
  {"PrivacyImpactedStateChange", DISPID_PRIVACYIMPACTEDSTATECHANGE, VTS_BOOL,          32, 1035, 3,  8},
};
// clang-format on

// Listener slots, named so that code indexing the catalogue says which event it means.
enum EventSlot : size_t {
  kStatusTextChange, kProgressChange, kCommandStateChange, kDownloadBegin, kDownloadComplete,
  kTitleChange, kPropertyChange, kBeforeNavigate2, kNewWindow2, kNavigateComplete2,
  kDocumentComplete, kOnQuit, kOnVisible, kOnToolBar, kOnMenuBar, kOnStatusBar, kOnFullScreen,
  kOnTheaterMode, kWindowSetResizable, kWindowSetLeft, kWindowSetTop, kWindowSetWidth,
  kWindowSetHeight, kWindowClosing, kClientToHostWindow, kSetSecureLockIcon, kFileDownload,
  kNavigateError, kPrintTemplateInstantiation, kPrintTemplateTeardown, kUpdatePageStatus,
  kPrivacyImpactedStateChange,
};
