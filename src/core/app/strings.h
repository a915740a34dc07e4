#pragma once
// The numbered texts of the program, shared with the resource script.
#include <cstdint>

namespace kalmo::app {

// Text of string-table entry `id`; an empty text for an unknown id.
const char* string_text(unsigned id);

// Entries the core refers to by name.
namespace str {
constexpr unsigned FileMenuHelp = 100;
constexpr unsigned Error = 117;
constexpr unsigned Information = 118;
constexpr unsigned NotEnoughMemory = 119;
constexpr unsigned PhonebookChanged = 120;
constexpr unsigned NoEntryMarked = 121;
constexpr unsigned NameMissing = 122;
constexpr unsigned NumberInvalid = 123;
constexpr unsigned CountryCodeInvalid = 124;
constexpr unsigned AreaCodeInvalid = 125;
constexpr unsigned NumberInTwoProjects = 126;
constexpr unsigned EntryExists = 127;
constexpr unsigned NoEntryFound = 128;
constexpr unsigned PhonebookEmpty = 129;
constexpr unsigned PhonebookFull = 130;
constexpr unsigned ProjectDuplicate = 131;
constexpr unsigned CannotOpenPrinter = 132;
constexpr unsigned PrintJobNotStarted = 133;
constexpr unsigned ChargeStoreEmpty = 134;
constexpr unsigned AllOutsideFilter = 136;
constexpr unsigned NoChargeData = 137;
constexpr unsigned MonthInvalid = 138;
constexpr unsigned DayInvalid = 139;
constexpr unsigned RangeInvalid = 140;
constexpr unsigned NoCallData = 141;
constexpr unsigned SpeedDialInvalid = 142;
constexpr unsigned CrcError = 143;
constexpr unsigned NameInvalid = 144;
constexpr unsigned DeleteUnread = 150;
constexpr unsigned ReadIncomplete = 151;
constexpr unsigned JournalFailed = 152;
constexpr unsigned SpeedDialNoNumber = 153;
constexpr unsigned ChargeFileTruncated = 170; // file name, claimed and loaded record counts
constexpr unsigned ExportNameClash = 171;     // file name
constexpr unsigned MoreBadLines = 172;        // number of further bad lines
constexpr unsigned HelpNotOpened = 190;
constexpr unsigned YearInvalid = 203;      // 200 to 202 are the evaluation commands
constexpr unsigned ListExportFailed = 209; // file name
constexpr unsigned ListExportExists = 210; // file name
constexpr unsigned ListExportTitle = 211;  // the save dialog's caption
constexpr unsigned ReportPeriodInvalid = 213;
constexpr unsigned ReportFolderLink = 214; // folder name
constexpr unsigned ReportNothingChosen = 215;
constexpr unsigned ReportFilesLeftOut = 216;  // the lines of 214, 217 to 219
constexpr unsigned ReportCannotRead = 217;    // file or folder name
constexpr unsigned ReportIncomplete = 218;    // file name
constexpr unsigned ReportNotChargeData = 219; // file name
constexpr unsigned Confidential = 220;
constexpr unsigned ConfidentialUnreadable = 221; // file name
constexpr unsigned ConfidentialBadLine = 222;    // file name, line number
// The dialog "Datenschutz" and cutting the archive from it.
constexpr unsigned ConfidentialReadHint = 223;       // file name, entries
constexpr unsigned ConfidentialMissingHint = 224;    // file name
constexpr unsigned ConfidentialUnreadableHint = 225; // file name
constexpr unsigned ConfidentialBadLinesHint = 226;   // lines that are no number
constexpr unsigned CutMonthsInvalid = 227;
constexpr unsigned CutNoMonths = 228;
constexpr unsigned CutQuestion = 229;        // folder, files, months
constexpr unsigned CutNothing = 230;         // folder, months
constexpr unsigned CutDone = 231;            // files
constexpr unsigned CutWriteFailed = 232;     // file name, files cut before
constexpr unsigned CutCheckFailed = 233;     // file name, files cut before
constexpr unsigned CutSkipped = 234;         // files and folders left alone
constexpr unsigned PortNotOpened = 240;      // port name
constexpr unsigned CollectChargesKept = 280; // count, file name
constexpr unsigned CollectCallsKept = 281;   // count, file name
constexpr unsigned CollectNoCharges = 282;
constexpr unsigned CollectNoCalls = 283;
constexpr unsigned CollectEmptied = 284;
constexpr unsigned CollectNotEmptied = 285;         // reason
constexpr unsigned CollectOnlyChargesEmptied = 286; // reason
constexpr unsigned CollectFolderNotMade = 287;      // folder
constexpr unsigned CollectNotReached = 288;
constexpr unsigned CollectCancelled = 289;
constexpr unsigned CollectReadIncomplete = 290;
constexpr unsigned CollectNotKept = 291; // file name
constexpr unsigned CollectNotDeleted = 292;
constexpr unsigned CollectCaption = 293;
constexpr unsigned CollectReminder = 294; // days
constexpr unsigned ArchiveFolderTitle = 295;
constexpr unsigned NoAnswer = 250;
constexpr unsigned LengthError = 251;
constexpr unsigned PeerCrcError = 252;
constexpr unsigned ConnectionFailed = 253;
constexpr unsigned CloseFailed = 254;
constexpr unsigned ProgressInitialising = 255;
constexpr unsigned ProgressPleaseWait = 256;
constexpr unsigned ProgressChargeRecordNo = 257; // record number
constexpr unsigned ProgressCallRecordNo = 258;   // record number
constexpr unsigned ChargesReceived = 259;        // count
constexpr unsigned NoChargesReceived = 260;
constexpr unsigned CallsReceived = 261; // count
constexpr unsigned NoCallsReceived = 262;
constexpr unsigned DeleteChargesQuestion = 263;
constexpr unsigned ChargesDeleted = 264;
constexpr unsigned DeleteChargesFailed = 265;
constexpr unsigned DeleteCallsQuestion = 266;
constexpr unsigned CallsDeleted = 267;
constexpr unsigned DeleteCallsFailed = 268;
constexpr unsigned SpeedDialWriteFailed = 269;
// The toolbar's labels and tooltips, one entry per button image in the toolbar's order.
constexpr unsigned ToolbarLabelFirst = 310;
constexpr unsigned ToolbarTooltipFirst = 322;
constexpr unsigned InvalidButtonIndex = 334;
constexpr unsigned MainTitle = 335;
constexpr unsigned TitleChargeFile = 336;  // before the charge file's name
constexpr unsigned TitlePhonebook = 337;   // before the phonebook's name
constexpr unsigned WindowsNtVersion = 338; // major, minor, build
constexpr unsigned Win32sVersion = 339;    // major, minor, build
constexpr unsigned Windows95Version = 340; // major, minor
constexpr unsigned ProgramVersion = 341;   // the version number follows
constexpr unsigned StatusReady = 342;
constexpr unsigned NoHelpText = 343;
constexpr unsigned NoHelpCaption = 344;
constexpr unsigned ChargeFileFilter = 345;    // caption|pattern|
constexpr unsigned PhonebookFileFilter = 346; // caption|pattern|
constexpr unsigned CsvFileFilter = 347;       // caption|pattern|
// The names an exported list is proposed under, before the date.
constexpr unsigned ExportNameChargeList = 348;
constexpr unsigned ExportNameSubscriberSums = 349;
constexpr unsigned ExportNameSubscriberStatistics = 350;
constexpr unsigned ExportNameProjectList = 351;
constexpr unsigned ExportNameCallList = 352;
constexpr unsigned ExportNameCallStatistics = 353;
constexpr unsigned ExportNameArchiveReport = 354;
constexpr unsigned ExportNamePhonebook = 355;
constexpr unsigned ProjectNoChargeData = 356; // project name
} // namespace str

} // namespace kalmo::app
