// Every command, dialog and control id of the program, shared by the
// resource scripts and the C++ code.
#pragma once

// Icon and bitmaps
#define IDI_KORVID 500

// Toolbar commands (each has a toolbar button)
#define IDM_NEW 1
#define IDM_OPEN 2
#define IDM_SAVE 3
#define IDM_CUT 4
#define IDM_COPY 5
#define IDM_PASTE 6
#define IDM_UNDO 7
#define IDM_REDO 8
#define IDM_FIND 9
#define IDM_GOTO_LINE 10
#define IDM_INSERT_TIME 11
#define IDM_INSERT_TEXT 12
#define IDM_INDENT 13
#define IDM_OUTDENT 14
#define IDM_RUN_A 15
#define IDM_RUN_B 16
#define IDM_RUN_C 17
#define IDM_NEW_INSTANCE 18
#define IDM_OPTIONS 19
#define IDM_ON_TOP 20
#define IDM_RICH_TEXT 21
#define IDM_WORD_WRAP 22
#define IDM_TO_TRAY 23
#define IDM_README 24
#define IDM_GOTO_MARK1 25
#define IDM_GOTO_MARK2 26
#define IDM_GOTO_MARK3 27
#define IDM_GOTO_MARK4 28
#define IDM_GOTO_MARK5 29

// Start-up completion, posted by the main window to itself
#define IDM_STARTUP 9999

// Context-menu commands
#define IDM_DELETE 40006
#define IDM_SAVE_AS 40009
#define IDM_EXIT 40011
#define IDM_SELECT_ALL 40014
#define IDM_REPLACE 40017
#define IDM_FONT 40019
#define IDM_EXECUTE 40020
#define IDM_RELOAD 40021
#define IDM_REVERT 40027
#define IDM_FILE_INFO 40028
#define IDM_PRINT 40029
#define IDM_DEDOUBLE 40030
#define IDM_SCAN_MARKS 40031
#define IDM_SET_MARK1 40032
#define IDM_SET_MARK2 40033
#define IDM_SET_MARK3 40034
#define IDM_SET_MARK4 40035
#define IDM_SET_MARK5 40036
#define IDM_SET_DEF_SIZE 40041
#define IDM_BACKGROUND 40042
#define IDM_COLOUR 40043
#define IDM_LABELS 40044
#define IDM_FONT_GROUP1 40050
#define IDM_FONT_GROUP2 40051
#define IDM_FONT_GROUP3 40052

// User lists: entry n of the Run File list is 41000 + n, of the Insert
// Text list 42000 + n
#define IDM_RUN_FILE_BASE 41000
#define IDM_RUN_FILE_FIRST 41001
#define IDM_INSERT_LIST_BASE 42000
#define IDM_INSERT_LIST_FIRST 42001
#define IDM_INSERT_LIST_END 43000

// Controls of the main window
#define IDC_EDITOR 1000

// Notification dialogs
#define IDD_NOTIFY_GENERAL 1005
#define IDD_NOTIFY_TWO 1601
#define IDD_NOTIFY_INPUT 1610
#define IDD_NOTIFY_THREE 1612
#define IDC_NOTIFY_TEXT 1601
#define IDC_NOTIFY_INPUT 1001
#define IDC_NOTIFY_X 1602
#define IDC_NOTIFY_THIRD 1612

// Insert dialog: edits A to E, their Paste buttons, and Help
#define IDD_INSERT_TEXT 110
#define IDC_INSERT_PASTE_A 1035
#define IDC_INSERT_PASTE_E 1039
#define IDC_INSERT_EDIT_A 1040
#define IDC_INSERT_EDIT_E 1044
#define IDC_INSERT_HELP 3

// Labels window
#define IDC_LABELS_LIST 1
#define TIMER_LABELS_FILL 1

// File Info dialog
#define IDD_FILE_INFO 101
#define IDC_INFO_NAME 1000
#define IDC_INFO_LETTERS 1001
#define IDC_INFO_SIZE 1002
#define IDC_INFO_TYPE 1004
#define IDC_INFO_WORDS 3002
#define IDC_INFO_LINES 3003
#define IDC_INFO_SENTENCES 3004
#define IDC_INFO_NUMBERS 3005
#define IDC_INFO_SPACES 3006
#define IDC_INFO_SYMBOLS 3007
#define IDC_INFO_CHARACTERS 3008
#define IDC_INFO_AVG_WORD 3009
#define IDC_INFO_AVG_SENTENCE 3010
// The counting's progress, shown while a large file is read
#define IDC_INFO_PROGRESS 3011

// Timers of the main window
#define TIMER_AUTOSAVE 1
#define TIMER_STATUS_MESSAGE 2
// Timer of a notification dialog
#define TIMER_NOTIFY_TIMEOUT 2

// Private messages
#define WM_TRAY_NOTIFY (WM_USER + 5)
