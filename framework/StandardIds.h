#pragma once
// The framework's standard command ids, with their customary values. Plain #defines so that
// resource scripts can use them too.
#define ID_EDIT_COPY 0xE122         // 57634
#define ID_FILE_PRINT_SETUP 0xE106  // 57606
#define ID_APP_ABOUT 0xE140         // 57664
#define ID_APP_EXIT 0xE141          // 57665
#define ID_VIEW_TOOLBAR 0xE800      // 59392
#define ID_VIEW_STATUS_BAR 0xE801   // 59393
