// Resource and command ids of the frame demo and the frame tests.
#pragma once
#include "framework/StandardIds.h"

#define IDR_DEMOFRAME 128

#define ID_SELECT_BROWSER 32771
#define ID_RECORD_RESUME 32772
#define ID_RECORD_STOP 32773
#define ID_VIEW_FONT 32776
#define ID_TAB_EQUAL_WIDTH 32777
#define ID_TAB_CLOSE 32779
#define ID_FILE_SAVE_LOG 32781
#define ID_LOG_CLEAR 32782
