// Every command, dialog and control id of the program, shared by the
// resource scripts and the C++ code.
#pragma once

// Icon and bitmaps
#define IDI_KORVID 500

// Document icons of the registered file types. The shell finds a type's
// icon by its position among the program's icon groups, which are in
// ascending id order: IDI_KORVID is 0, IDI_DOCUMENT 1, IDI_DOC_CUSTOM 2 and
// IDI_DOC_TXT to IDI_DOC_LOG 3 to 14. No other icon may take an id between
// them.
#define IDI_DOCUMENT 501
#define IDI_DOC_CUSTOM 503
#define IDI_DOC_TXT 511
#define IDI_DOC_RTF 512
#define IDI_DOC_DIZ 513
#define IDI_DOC_NFO 514
#define IDI_DOC_HTM 515
#define IDI_DOC_REG 516
#define IDI_DOC_BAT 517
#define IDI_DOC_ASM 518
#define IDI_DOC_RC 519
#define IDI_DOC_H 520
#define IDI_DOC_INC 521
#define IDI_DOC_LOG 522

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
#define TIMER_STATUS_POSITION 10
#define TIMER_AUTOSAVE 1
#define TIMER_STATUS_MESSAGE 2
#define TIMER_RECOVERY_PAUSE 21
#define TIMER_RECOVERY_STEADY 22
// Timer of a notification dialog
#define TIMER_NOTIFY_TIMEOUT 2

// Private messages
#define WM_TRAY_NOTIFY (WM_USER + 5)

// Settings dialog: the seven pages in tab order, then the About box. Ids of
// controls repeat between pages, as each page is a dialog of its own.
#define IDD_PAGE_VIEW 1107
#define IDD_PAGE_AUTOSAVE 1026
#define IDD_PAGE_RUN 1108
#define IDD_PAGE_FONT 1109
#define IDD_PAGE_FILE_TYPES 1110
#define IDD_PAGE_BOOKMARK 1113
#define IDD_PAGE_MISC 1112
#define IDD_ABOUT 1930

// View page
#define IDC_VIEW_RUN 1000
#define IDC_VIEW_INSERT 1001
#define IDC_VIEW_PERCENT_SPIN 1009
#define IDC_VIEW_WIDTH_SPIN 1010
#define IDC_VIEW_TOOLBAR 1011
#define IDC_VIEW_HEIGHT_SPIN 1012
#define IDC_VIEW_USE_LAST 1016
#define IDC_VIEW_VARIABLE 1017
#define IDC_VIEW_INDENT 1019
#define IDC_VIEW_SEARCH 1020
#define IDC_VIEW_PERCENT 1025
#define IDC_VIEW_RESOLUTION 1026
#define IDC_VIEW_PERCENT_EDIT 1027
#define IDC_VIEW_WIDTH 1028
#define IDC_VIEW_HEIGHT 1033
#define IDC_VIEW_BOOKMARKS 1055
#define IDC_VIEW_MENU_RUN_LIST 1056
#define IDC_VIEW_MENU_INSERT_LIST 1057
#define IDC_VIEW_MENU_BOOKMARKS 1058
#define IDC_VIEW_MENU_MANIPULATE 1068

// Auto Save page
#define IDC_AUTOSAVE_NEW_FILES 1002
#define IDC_AUTOSAVE_KEEP_TRYING 1003
#define IDC_AUTOSAVE_ENABLE 1005
#define IDC_AUTOSAVE_MODE 1006
#define IDC_AUTOSAVE_MINUTES 1007
#define IDC_AUTOSAVE_MINUTES_SPIN 1013
#define IDC_AUTOSAVE_CHOOSE 1063
#define IDC_AUTOSAVE_FOLDER 1067

// Run page: Run A's controls; B and C follow as listed
#define IDC_RUN_PARAM_A 1021
#define IDC_RUN_PARAM_B 1022
#define IDC_RUN_PARAM_C 1030
#define IDC_RUN_DESCRIPTION_A 1023
#define IDC_RUN_DESCRIPTION_B 1024
#define IDC_RUN_DESCRIPTION_C 1031
#define IDC_RUN_SPECIAL_A 1050
#define IDC_RUN_CHOOSE_A 1060
#define IDC_RUN_FILE_A 1064

// Font page: group One's controls; Two and Three follow at +1 and +2
#define IDC_FONT_FONT_1 1008
#define IDC_FONT_COLOUR_1 1011
#define IDC_FONT_BACK_1 1014
#define IDC_FONT_AUTO_1 1032
#define IDC_FONT_LIST_1 1035
#define IDC_FONT_DEWRAP_1 1042

// File Types page
#define IDC_TYPES_CUSTOM1_EXT 1000
#define IDC_TYPES_OPEN_WITH_ALL 1001
#define IDC_TYPES_ALL 1003
#define IDC_TYPES_NONE 1004
#define IDC_TYPES_NORM 1005
#define IDC_TYPES_SET 1010
#define IDC_TYPES_AUTO 1012
#define IDC_TYPES_TYPE 1016
#define IDC_TYPES_ACTION 1017
#define IDC_TYPES_CUSTOM1_NAME 1018
#define IDC_TYPES_CUSTOM2_EXT 1019
#define IDC_TYPES_CUSTOM2_NAME 1020

// Bookmark page
#define IDC_MARKS_SIZE_SPIN 1000
#define IDC_MARKS_SIZE 1001
#define IDC_LABELS_MAX 1002
#define IDC_LABELS_ENABLE 1003
#define IDC_LABELS_MAX_SPIN 1004
#define IDC_LABELS_SIZE 1005
#define IDC_LABELS_SIZE_SPIN 1006
#define IDC_LABELS_MARKER_1 1007
#define IDC_MARKS_MODE 1069
#define IDC_MARKS_MARKER 1070
#define IDC_LABELS_NAME_1 1071

// Misc page
#define IDC_MISC_HELP 3
#define IDC_MISC_STAY_ON_TOP 119
#define IDC_MISC_SIDE_SELECTION 1008
#define IDC_MISC_WORD_WRAP 1009
#define IDC_MISC_STATUS_BAR 1013
#define IDC_MISC_URL_HIGHLIGHT 1014
#define IDC_MISC_AUDIO 1018
#define IDC_MISC_SHOW_ERRORS 1019
#define IDC_MISC_SAVE_EMPTY 1020
#define IDC_MISC_GUESS_NAME 1021
#define IDC_MISC_DE_OVR 1022
#define IDC_MISC_FULL_PATH 1029
#define IDC_MISC_MONITOR 1037
#define IDC_MISC_DIRECTORY 1038
#define IDC_MISC_CHOOSE_DIRECTORY 1039
#define IDC_MISC_PARTIAL_MODE 1040
#define IDC_MISC_PARTIAL_SIZE 1041
#define IDC_MISC_TIME_MODE 1042
#define IDC_MISC_EXIT_SAVE 1044
#define IDC_MISC_DEF_EXT 1045
#define IDC_MISC_TRAY_MIN 1046
#define IDC_MISC_PRINT 1047
#define IDC_MISC_CHOOSE_PRINT 1048
#define IDC_MISC_SUFFIX 1049
#define IDC_MISC_TIME_FORMAT 1050
#define IDC_MISC_DATE_FORMAT 1051
#define IDC_MISC_FIND_WORDPAD 1053
#define IDC_MISC_OVR_SEL 1059
#define IDC_MISC_PURE_TEXT 1080
#define IDC_MISC_ESC_EXIT 1081
#define IDC_MISC_RECOVERY 1082
#define IDC_MISC_DEFAULTS 1610
#define IDC_MISC_ABOUT 1929

// About box
#define IDC_ABOUT_VERSION 1931
