#pragma once
// Control ids of the evaluation list dialogs and the print cancel dialog.

// System charge list "Anlageneinzelgebührensummen".
#define IDC_CHARGE_SUMMARY1 1043
#define IDC_CHARGE_SUMMARY2 1044
#define IDC_CHARGE_LIST 1006
#define IDC_SUBSCRIBER_SUMS 1013
#define IDC_FILTER 1070
#define IDC_PRINT 1012

// Filter "Auswert-Filter": labels 1071..1076, 1085, 1086; edit fields 1077..1084.
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

// Subscriber sums and subscriber statistics.
#define IDC_SUMS_LIST 1007
#define IDC_SUBSCRIBER_STATISTICS 1014
#define IDC_STATISTICS_LIST 1008
#define IDC_STATISTICS_SUM1 1041
#define IDC_STATISTICS_SUM2 1042

// Project choice (buttons 1021..1030 = 1020 + project) and project list.
#define IDC_PROJECT_BASE 1020
#define IDC_PROJECT_LIST 1009
#define IDC_PROJECT_SUM1 1039
#define IDC_PROJECT_SUM2 1040

// Call list, call statistics, speed dial.
#define IDC_CALL_LIST 1010
#define IDC_CALL_STATISTICS 1049
#define IDC_SPEED_DIAL 1050
#define IDC_CALL_STATISTICS_LIST 1011
#define IDC_SPEED_DIAL_CODE 1058

// Print cancel dialog "AbortDlg".
#define IDC_ABORT_SENDING 1051
#define IDC_ABORT_SPOOLER 1052
