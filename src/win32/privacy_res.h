/* Controls of the dialog "DatenschutzDlgBox" (Optionen › Datenschutz). Plain defines: the
   resource compiler reads this file as well as the C++ compilers and the GUI tests. */
#pragma once

#define IDC_PRIVACY_MASK 1100
#define IDC_PRIVACY_DROP 1101
#define IDC_PRIVACY_CONFIDENTIAL 1102
#define IDC_PRIVACY_MONTHS 1103
#define IDC_PRIVACY_FOLDER 1104
#define IDC_PRIVACY_CUT_NOW 1105
