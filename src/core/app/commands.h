/* Commands of the menu and the toolbar. The core needs them because they double as the
   string-table ids of their status texts; plain defines, since the resource compiler reads
   this file as well as the C++ compilers. */
#pragma once

#define IDM_FILE_OPEN 101
#define IDM_FILE_SAVE 102
#define IDM_FILE_SAVE_AS 103
#define IDM_READ_CHARGES 104
#define IDM_DELETE_CHARGES 105
#define IDM_READ_CALLS 106
#define IDM_DELETE_CALLS 107
#define IDM_EXIT 108
#define IDM_ABOUT 109
#define IDM_PORT 110
#define IDM_PRINTER 112
#define IDM_HELP_ON_HELP 113
#define IDM_PROJECT_NAMES 114
#define IDM_HELP_INDEX 116
#define IDM_CHARGE_EVALUATION 200
#define IDM_CALL_LIST 201
#define IDM_PROJECT_EVALUATION 202
#define IDM_CURRENCY 204
#define IDM_PRIVACY 205
#define IDM_ARCHIVE_REPORT 206
#define IDM_COLLECT 207
#define IDM_ARCHIVE_OPTIONS 208
#define IDM_PHONEBOOK_NEW 300
#define IDM_PHONEBOOK_OPEN 301
#define IDM_PHONEBOOK_EDIT 302
#define IDM_SMALL_ICONS 303
#define IDM_LARGE_ICONS 304
#define IDM_SHOW_TOOLBAR 306
#define IDM_ICON_LABELS 307
