/* Control IDs of the phonebook editor "EditTelbBox" and the project names editor
   "ProjEditDlgBox" (plain defines: the resource compiler reads this file too). */
#pragma once

#define IDC_PB_NAME 1000
#define IDC_PB_NUMBER 1001
#define IDC_PB_AREA_CODE 1002
#define IDC_PB_COUNTRY_CODE 1003
#define IDC_PB_SEARCH 1004
#define IDC_PB_LIST 1005
#define IDC_PB_PRINT 1012
#define IDC_PB_SORT_NAME 1016
#define IDC_PB_SORT_NUMBER 1017
#define IDC_PB_SORT_AREA_CODE 1018
#define IDC_PB_SORT_COUNTRY_CODE 1019
#define IDC_PB_SORT_PROJECT 1020
#define IDC_PB_DELETE 1031
#define IDC_PB_CHANGE 1032
#define IDC_PB_INSERT 1033
#define IDC_PB_PROJECT 1057
#define IDC_PB_TO_OEM 1087
#define IDC_PB_TO_ANSI 1088

/* Field of project p is IDC_PROJECT_NAME_BASE + p (1059 to 1068). */
#define IDC_PROJECT_NAME_BASE 1058
