#pragma once
// The framework's standard command, string and window ids, with their customary values.
// Plain #defines so that resource scripts can use them too.

// Commands
#define ID_FILE_NEW 0xE100          // 57600
#define ID_FILE_OPEN 0xE101         // 57601
#define ID_FILE_SAVE 0xE103         // 57603
#define ID_FILE_PRINT_SETUP 0xE106  // 57606
#define ID_FILE_PRINT 0xE107        // 57607
#define ID_EDIT_COPY 0xE122         // 57634
#define ID_EDIT_CUT 0xE123          // 57635
#define ID_EDIT_PASTE 0xE125        // 57637
#define ID_EDIT_UNDO 0xE12B         // 57643
#define ID_APP_ABOUT 0xE140         // 57664
#define ID_APP_EXIT 0xE141          // 57665
#define ID_NEXT_PANE 0xE150         // 57680
#define ID_PREV_PANE 0xE151         // 57681
#define ID_VIEW_TOOLBAR 0xE800      // 59392
#define ID_VIEW_STATUS_BAR 0xE801   // 59393

// Status bar panes
#define ID_SEPARATOR 0
#define ID_INDICATOR_EXT 0xE700   // 59136
#define ID_INDICATOR_CAPS 0xE701  // 59137
#define ID_INDICATOR_NUM 0xE702   // 59138
#define ID_INDICATOR_SCRL 0xE703  // 59139

// Strings
#define AFX_IDS_APP_TITLE 0xE000        // 57344
#define AFX_IDS_IDLEMESSAGE 0xE001      // 57345
#define AFX_IDS_HELPMODEMESSAGE 0xE002  // 57346
#define AFX_IDP_FAILED_TO_OPEN_DOC 0xF101    // 61697
#define AFX_IDP_FAILED_TO_CREATE_DOC 0xF104  // 61700
#define AFX_IDS_SCSIZE 0xEF00      // system menu prompts, 61184 ...
#define AFX_IDS_SCMOVE 0xEF01
#define AFX_IDS_SCMINIMIZE 0xEF02
#define AFX_IDS_SCMAXIMIZE 0xEF03
#define AFX_IDS_SCNEXTWINDOW 0xEF04
#define AFX_IDS_SCPREVWINDOW 0xEF05
#define AFX_IDS_SCCLOSE 0xEF06
#define AFX_IDS_SCRESTORE 0xEF12
#define AFX_IDS_SCTASKLIST 0xEF13

// Window ids of a frame's parts
#define AFX_IDW_TOOLBAR 0xE800     // 59392
#define AFX_IDW_STATUS_BAR 0xE801  // 59393
#define AFX_IDW_PANE_FIRST 0xE900  // 59648: the frame's view
#define ID_MENUBAR 0xE858          // 59480
// Sent by the tab view's close button to the view.
#define ID_TAB_CLOSE_BUTTON 0xD21D  // 53789
