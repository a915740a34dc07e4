/* Every resource and control id of the Windows program, each written once: icons, bitmaps and
   the controls of the dialogs. Plain defines: the resource compiler reads this file as well as
   the C++ compilers. The core never sees these; it speaks in meanings (a sort key, a project
   number), and only the Windows program and its tests map controls to those. */
#pragma once

#include "core/app/commands.h"

/* Icon and bitmaps. */
#define IDI_KALMO 112
#define IDB_BANNER 103
#define IDB_PICTURE 111
#define IDB_TOOLBAR_SMALL 144
#define IDB_TOOLBAR_LARGE 145

/* Children of the main window. */
#define IDC_TOOLBAR 1
#define IDC_STATUSBAR 2

/* Port dialog "TtyDlgBox", About box, transfer progress "V24AbortDlgBox". */
#define IDC_PORT_LIST 1054
#define IDC_CURRENCY_LIST 1090
// "ArchivOptDlgBox"
#define IDC_ARCHIVE_FOLDER 1150
#define IDC_ARCHIVE_CHOOSE 1151
#define IDC_ARCHIVE_CALLS 1152
#define IDC_WINDOWS_VERSION 1089
#define IDC_PROGRAM_VERSION 1090
#define IDC_PROGRESS_LINE0 1045
#define IDC_PROGRESS_LINE1 1046
#define IDC_PROGRESS_CANCEL 3

/* "Drucken" of every list dialog and of the phonebook editor. */
#define IDC_PRINT 1012
/* "Exportieren …" beside it. */
#define IDC_EXPORT 1120

/* System charge list "Anlageneinzelgebührensummen". */
#define IDC_CHARGE_SUMMARY1 1043
#define IDC_CHARGE_SUMMARY2 1044
#define IDC_CHARGE_LIST 1006
#define IDC_SUBSCRIBER_SUMS 1013
#define IDC_FILTER 1070

/* Filter "Auswert-Filter". */
#define IDC_FROM_YEAR_LABEL 1071
#define IDC_FROM_MONTH_LABEL 1072
#define IDC_FROM_DAY_LABEL 1073
#define IDC_TO_YEAR_LABEL 1074
#define IDC_TO_MONTH_LABEL 1075
#define IDC_TO_DAY_LABEL 1076
#define IDC_FROM_YEAR 1077
#define IDC_FROM_MONTH 1078
#define IDC_FROM_DAY 1079
#define IDC_TO_YEAR 1080
#define IDC_TO_MONTH 1081
#define IDC_TO_DAY 1082
#define IDC_MIN_DM 1083
#define IDC_MIN_PF 1084
#define IDC_MIN_DM_LABEL 1085
#define IDC_MIN_PF_LABEL 1086

/* Subscriber sums and subscriber statistics. */
#define IDC_SUMS_LIST 1007
#define IDC_SUBSCRIBER_STATISTICS 1014
#define IDC_STATISTICS_LIST 1008
#define IDC_STATISTICS_SUM1 1041
#define IDC_STATISTICS_SUM2 1042

/* Project choice "Projekte definieren": one button per project. */
#define IDC_PROJECT_BUTTON_1 1021
#define IDC_PROJECT_BUTTON_2 1022
#define IDC_PROJECT_BUTTON_3 1023
#define IDC_PROJECT_BUTTON_4 1024
#define IDC_PROJECT_BUTTON_5 1025
#define IDC_PROJECT_BUTTON_6 1026
#define IDC_PROJECT_BUTTON_7 1027
#define IDC_PROJECT_BUTTON_8 1028
#define IDC_PROJECT_BUTTON_9 1029
#define IDC_PROJECT_BUTTON_10 1030

/* Project list "Projektgebührenerfassung". */
#define IDC_PROJECT_LIST 1009
#define IDC_PROJECT_SUM1 1039
#define IDC_PROJECT_SUM2 1040

/* Call list, call statistics, speed dial. */
#define IDC_CALL_LIST 1010
#define IDC_CALL_STATISTICS 1049
#define IDC_SPEED_DIAL 1050
#define IDC_CALL_STATISTICS_LIST 1011
#define IDC_SPEED_DIAL_CODE 1058

/* Archive report: choice "ArchivDlgBox", list "ArchivListeDlgBox". */
#define IDC_ARCHIVE_SOURCES 1130
#define IDC_ARCHIVE_ADD_FOLDER 1131
#define IDC_ARCHIVE_ADD_FILE 1132
#define IDC_ARCHIVE_REMOVE 1133
#define IDC_ARCHIVE_FROM 1134
#define IDC_ARCHIVE_TO 1135
#define IDC_ARCHIVE_BY_SUBSCRIBER 1136
#define IDC_ARCHIVE_BY_PROJECT 1137
#define IDC_ARCHIVE_BY_MONTH 1138
#define IDC_ARCHIVE_COUNTS 1140
#define IDC_ARCHIVE_HEADER 1141
#define IDC_ARCHIVE_LIST 1142

/* Print cancel dialog "AbortDlg". */
#define IDC_ABORT_SENDING 1051
#define IDC_ABORT_SPOOLER 1052

/* Phonebook editor "EditTelbBox". */
#define IDC_PB_NAME 1000
#define IDC_PB_NUMBER 1001
#define IDC_PB_AREA_CODE 1002
#define IDC_PB_COUNTRY_CODE 1003
#define IDC_PB_SEARCH 1004
#define IDC_PB_LIST 1005
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

/* Project names editor "ProjEditDlgBox": one field per project. */
#define IDC_PROJECT_NAME_1 1059
#define IDC_PROJECT_NAME_2 1060
#define IDC_PROJECT_NAME_3 1061
#define IDC_PROJECT_NAME_4 1062
#define IDC_PROJECT_NAME_5 1063
#define IDC_PROJECT_NAME_6 1064
#define IDC_PROJECT_NAME_7 1065
#define IDC_PROJECT_NAME_8 1066
#define IDC_PROJECT_NAME_9 1067
#define IDC_PROJECT_NAME_10 1068

/* Privacy options "DatenschutzDlgBox". */
#define IDC_PRIVACY_MASK 1100
#define IDC_PRIVACY_DROP 1101
#define IDC_PRIVACY_CONFIDENTIAL 1102
#define IDC_PRIVACY_MONTHS 1103
#define IDC_PRIVACY_FOLDER 1104
#define IDC_PRIVACY_CUT_NOW 1105
