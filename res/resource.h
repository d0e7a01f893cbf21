// Resource and command identifiers of Ormix, grouped by owner.
#pragma once

// Application
#define IDR_MAINFRAME 128
#define IDD_ABOUTBOX 130

// Bitmaps (image lists of the tabbed view; drawn by scripts/make_images.py)
#define IDB_TAB_ICONS 130
#define IDB_ROW_ICONS 132
#define IDB_LOADED_ICON 136

// Commands
#define ID_SELECT_BROWSER 32771
#define ID_RECORD_RESUME 32772
#define ID_RECORD_STOP 32773
#define ID_VIEW_FONT 32776
#define ID_TAB_EQUAL_WIDTH 32777
#define ID_TAB_ACTIVATE 32778
#define ID_TAB_CLOSE 32779
#define ID_FILE_SAVE_LOG 32781
#define ID_LOG_CLEAR 32782
#define ID_VIEW_FOLLOW_AT_BOTTOM 32783
#define ID_EDIT_FIND_LOG 32784
#define ID_EDIT_FIND_NEXT_LOG 32785
#define ID_EDIT_FIND_PREVIOUS_LOG 32786
#define ID_VIEW_TIME_MILLISECONDS 32787
#define ID_VIEW_SAVE_CSV 32788
#define ID_SELECT_EMBEDDED_BROWSER 32790
#define ID_VIEW_FRAME_COLUMN 32793
#ifndef ID_EDIT_COPY
#define ID_EDIT_COPY 0xE122
#endif

// Strings
#define IDS_TAB_CLOSE_TIP 32789
#define IDS_BROWSER_NOT_ANSWERED 32791
#define IDS_NO_BROWSER_LISTED 32800
#define IDS_BROWSER_WATCHED_NOTE 32801
#define IDS_BROWSER_WATCHED_QUESTION 32802
#define IDS_NO_BROWSER_RUNNING 32803
#define IDS_NO_EMBEDDED_BROWSER 32804
#define IDS_BROWSER_LIST_UNREADABLE 32805
#define IDS_BROWSERS_WATCHED_COUNT 32806

// About box (IDD_ABOUTBOX)
#define IDC_ABOUT_ICON 1006
#define IDC_ABOUT_MAIL 1008
#define IDC_ABOUT_URL 1009

// Browser selection dialog
#define IDD_SELECT_BROWSER 150
#define IDC_BROWSER_LIST 1000
#define IDC_REFRESH 1002
#define IDC_FIRST_EVENT_CHECK 1004
#define IDC_LAST_EVENT_CHECK 1035
#define IDC_CLEAR_ALL 1036
#define IDC_SELECT_ALL 1037
#define IDC_LISTING_STATUS 1038

// Find dialog of the event log
#define IDD_FIND_LOG 151
#define IDC_FIND_TEXT 1039
// Embedded browser selection dialog: the browser selection dialog's controls and ids
#define IDD_SELECT_EMBEDDED_BROWSER 152

// Filter of the event log: its commands, its status-bar text and its dialog
#define ID_EDIT_FILTER_LOG 32796
#define ID_EDIT_CLEAR_FILTER_LOG 32797
#define IDS_FILTER_SHOWN_ROWS 32798
#define IDS_FILTER_MESSAGE_ROWS 32799

// Messages about the command line.
#define IDS_COMMAND_LINE_UNKNOWN_SWITCH 32850
#define IDS_COMMAND_LINE_MISSING_ARGUMENT 32851
#define IDS_COMMAND_LINE_BAD_ARGUMENT 32852
#define IDS_COMMAND_LINE_SWITCHES 32853
#define IDD_FILTER_LOG 153
#define IDC_FILTER_EVENTS 1045
#define IDC_FILTER_TEXT 1046
#define IDC_FILTER_CLEAR 1047
#define IDC_FILTER_ALL 1048
#define IDC_FILTER_NONE 1049

// Habits of a Windows log viewer: select every shown row, switch tabs from the keyboard,
// the rows' right-click menu, and the status-bar text of a find that went round the log.
#define ID_EDIT_SELECT_ALL_ROWS 32810
#define ID_TAB_NEXT 32811
#define ID_TAB_PREVIOUS 32812
#define IDS_FIND_WRAPPED_FORWARD 32813
#define IDS_FIND_WRAPPED_BACKWARD 32814
// Closing the active tab from the keyboard (Ctrl+F4, Ctrl+W).
#define ID_TAB_CLOSE_ACTIVE 32815
#define IDR_LOG_ROW_MENU 200

// The journal and the question before a log is thrown away.
#define ID_VIEW_JOURNAL 32830
#define ID_VIEW_ASK_BEFORE_DISCARD 32831
#define IDS_JOURNAL_STATUS 32832
#define IDD_JOURNAL 160
#define IDC_JOURNAL_ON 1060
#define IDC_JOURNAL_FOLDER 1061
// The journal dialog's folder browser button, and the tab icon of a journaled log (drawn by
// scripts/make_images.py; the view adds it after the tab icon).
#define IDC_JOURNAL_BROWSE 1062
#define IDB_JOURNAL_TAB_ICON 137

// The time between rows: the Δ column, the time between two selected rows in the status
// bar, and going to a time of day.
#define ID_VIEW_DELTA_COLUMN 32816
#define ID_EDIT_GO_TO_TIME 32817
#define IDS_SELECTED_ROWS_INTERVAL 32818
#define IDD_GO_TO_TIME 161
#define IDC_GO_TO_TIME_TEXT 1070

// A log written as a trace (the File menu's command); 32870-32889 are the trace's.
#define ID_FILE_SAVE_TRACE 32870

// The navigation waterfall below the active log (the View menu's command); 32890-32899 are
// the waterfall's.
#define ID_VIEW_WATERFALL 32890

// The standard resource headers define it too; a file may include them first.
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
