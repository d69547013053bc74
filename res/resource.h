#pragma once
// Identifiers of every resource and control of the program, shared by the
// resource script and the code.

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// Icons
#define IDI_MAINFRAME 128
#define IDI_EDITREGITEM 206

// Dialogs
#define IDD_MAINFRAME 129
#define IDD_PAGE_REGISTRY_CLEANER 204
#define IDD_PAGE_REGISTRY_SEARCH 207
#define IDD_EDITREGITEM 210
#define IDD_PAGE_REGISTRY_BACKUP 211
#define IDD_PROGRESS 225
#define IDD_ABOUT 236
#define IDD_ENTRY_LISTS 240
#define IDC_IGNORED_LIST 1100
#define IDC_PROTECTED_LIST 1101
#define IDC_REMOVE_IGNORED 1102
#define IDC_REMOVE_PROTECTED 1103
#define IDC_RESTORE_FACTORY 1104

// Menus
#define IDR_MAINFRAME 202

// Bitmaps (16-pixel pictures unless said otherwise; pure green is transparent)
#define IDB_PAGE_PICTURES 206 /* 48 x 48 pictures of the page selector */
#define IDB_CLEANER_RESULTS 208
#define IDB_CLEANER_TASKS 209
#define IDB_BACKUP_ROW 212
#define IDB_SEARCH_RESULTS 213
// The same pictures drawn for 150 % and 200 % display scales: each one's id plus
// 100 and 200 (LoadPictureStrip picks them by that rule).
#define IDB_PAGE_PICTURES_150 306
#define IDB_CLEANER_RESULTS_150 308
#define IDB_CLEANER_TASKS_150 309
#define IDB_BACKUP_ROW_150 312
#define IDB_SEARCH_RESULTS_150 313
#define IDB_PAGE_PICTURES_200 406
#define IDB_CLEANER_RESULTS_200 408
#define IDB_CLEANER_TASKS_200 409
#define IDB_BACKUP_ROW_200 412
#define IDB_SEARCH_RESULTS_200 413

// Main window
#define IDC_PAGE_SELECTOR 1001
#define IDC_PAGE_TREE 4192
#define IDC_PAGE_CONTAINER 4193

// Main menu commands (2 is IDCANCEL: "_Exit", the close box and Escape)
#define IDM_EXIT 2
#define IDM_HELP 9
#define IDM_WEBSITE 32774
#define IDM_SUPPORT 32775
#define IDM_ABOUT 32776

// Controls shared by the pages
#define IDC_RESULT_LIST 1005
#define IDC_STATUS 1010

// Cleaner page
#define IDC_TASK_LIST 1004
#define IDC_CLEANER_DELETE 1006
#define IDC_SCAN 1007
#define IDC_STOP 1008
#define IDC_DELETE_ALL 1009

// Search page
#define IDC_START_SEARCH 1007
#define IDC_STOP_SEARCH 1008
#define IDC_CLEAR_RESULT 1011
#define IDC_DEFAULT_SETTING 1012
#define IDC_USE_WILDCARD 1013
#define IDC_INCLUDE_KEY 1014
#define IDC_INCLUDE_VALUE 1015
#define IDC_INCLUDE_DATA 1016
#define IDC_FULL_WORD_MATCH 1017
#define IDC_HKCR 1018
#define IDC_KEYWORD 1019
#define IDC_HKCU 1020
#define IDC_HKLM 1021
#define IDC_HKUR 1022
#define IDC_HKCC 1023
#define IDC_CASE_SENSITIVE 1024
#define IDC_SEARCH_RANGE 1025

// Backup page
#define IDC_BACKUP_DELETE 1006
#define IDC_BACKUP_TO_FILE 1007
#define IDC_RESTORE 1008
#define IDC_RESTORE_FROM_FILE 1009
#define IDC_BACKUP_LIST 1020
#define IDC_BACKUP 1024

// Entry edit dialog
#define IDC_EDIT_ROOT_KEY 1012
#define IDC_EDIT_SUB_KEY 1013
#define IDC_EDIT_VALUE_NAME 1014
#define IDC_EDIT_VALUE_DATA 1015
#define IDC_EDIT_DESCRIPTION 1016

// Context menu of a result list (built in code; the command is returned, not sent)
#define IDM_ROW_EDIT 1
#define IDM_ROW_DELETE 2
#define IDM_ROW_EXPORT 3
#define IDM_ROW_INVERT_SELECTION 4
#define IDM_ROW_SELECT_NONE 5
#define IDM_ROW_SELECT_ALL 6
#define IDM_ROW_OPEN_IN_EDITOR 7
#define IDM_ROW_IGNORE 8

// Progress window
#define IDC_PROGRESS_BAR 1067

// About box
#define IDC_THANKS_LIST 1084
#define IDC_WEBSITE_LINK 1085
#define IDC_SUPPORT_LINK 1086
#define IDC_APP_NAME 1087
#define IDC_APP_VERSION 1088
