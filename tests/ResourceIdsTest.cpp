// The program's resource ids stay defined for a file that includes the standard resource
// headers before the program's own.
#include <windows.h>
#include <winres.h>

#include "res/resource.h"

static_assert(ID_VIEW_JOURNAL == 32830 && ID_VIEW_ASK_BEFORE_DISCARD == 32831 &&
                  IDS_JOURNAL_STATUS == 32832 && IDD_JOURNAL == 160 && IDC_JOURNAL_ON == 1060 &&
                  IDC_JOURNAL_FOLDER == 1061 && IDC_STATIC == -1,
              "resource ids defined after the standard resource headers");
