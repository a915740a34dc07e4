#pragma once
// Every help context of the program, in one table: the number a window passes, the page it
// opens and, for a menu command, the command whose click in help mode asks for it. A command
// and the dialog it opens share their context and so their page.
#include <string_view>

#include "core/app/commands.h"

namespace kalmo::app {

namespace help {
constexpr unsigned FileOpen = 100;
constexpr unsigned FileSave = 101;
constexpr unsigned FileSaveAs = 102;
constexpr unsigned ReadCharges = 103;
constexpr unsigned DeleteCharges = 104;
constexpr unsigned ReadCalls = 105;
constexpr unsigned DeleteCalls = 106;
constexpr unsigned Exit = 107;
constexpr unsigned Collect = 108;
constexpr unsigned ChargeEvaluation = 110;
constexpr unsigned CallList = 111;
constexpr unsigned ProjectSelect = 112; // "&Projekte" and its project choice
constexpr unsigned PhonebookNew = 120;
constexpr unsigned PhonebookOpen = 121;
constexpr unsigned PhonebookEdit = 122;
constexpr unsigned ProjectNames = 123; // the command and its editor
constexpr unsigned Port = 130;         // the command and its dialog
constexpr unsigned Printer = 131;
constexpr unsigned ArchiveOptions = 132; // the command and its dialog
constexpr unsigned Privacy = 205;        // the command and its dialog
constexpr unsigned PhonebookEditor = 150;
constexpr unsigned ChargeListPopup = 151;
constexpr unsigned SubscriberSumsPopup = 152;
constexpr unsigned SubscriberStatisticsPopup = 153;
constexpr unsigned FilterPopup = 154;
constexpr unsigned ProjectList = 155;
constexpr unsigned SpeedDialPopup = 156;
constexpr unsigned CallStatisticsPopup = 157;
constexpr unsigned CallListWindow = 158;
constexpr unsigned ArchiveReport = 1130; // the command and its choice dialog
constexpr unsigned ArchiveList = 1131;
} // namespace help

struct HelpTopic {
    unsigned context;
    unsigned command; // 0: asked for by a dialog only
    std::string_view page;
};

inline constexpr HelpTopic kHelpTopics[] = {
    {help::FileOpen, IDM_FILE_OPEN, "datei-oeffnen.html"},
    {help::FileSave, IDM_FILE_SAVE, "datei-speichern.html"},
    {help::FileSaveAs, IDM_FILE_SAVE_AS, "datei-sichern-als.html"},
    {help::ReadCharges, IDM_READ_CHARGES, "gebuehren-lesen.html"},
    {help::DeleteCharges, IDM_DELETE_CHARGES, "gebuehren-loeschen.html"},
    {help::ReadCalls, IDM_READ_CALLS, "anrufe-lesen.html"},
    {help::DeleteCalls, IDM_DELETE_CALLS, "anrufe-loeschen.html"},
    {help::Exit, IDM_EXIT, "beenden.html"},
    {help::Collect, IDM_COLLECT, "abholen.html"},
    {help::ChargeEvaluation, IDM_CHARGE_EVALUATION, "gebuehrenerfassung.html"},
    {help::CallList, IDM_CALL_LIST, "anrufliste.html"},
    {help::ProjectSelect, IDM_PROJECT_EVALUATION, "projekte.html"},
    {help::PhonebookNew, IDM_PHONEBOOK_NEW, "telefonbuch-neu.html"},
    {help::PhonebookOpen, IDM_PHONEBOOK_OPEN, "telefonbuch-oeffnen.html"},
    {help::PhonebookEdit, IDM_PHONEBOOK_EDIT, "telefonbuch-editieren.html"},
    {help::ProjectNames, IDM_PROJECT_NAMES, "projektnamen.html"},
    {help::Port, IDM_PORT, "comport.html"},
    {help::Printer, IDM_PRINTER, "drucker.html"},
    {help::ArchiveOptions, IDM_ARCHIVE_OPTIONS, "archiv-optionen.html"},
    {help::Privacy, IDM_PRIVACY, "datenschutz.html"},
    {help::PhonebookEditor, 0, "telefonbuch-editor.html"},
    {help::ChargeListPopup, 0, "gebuehrenliste.html"},
    {help::SubscriberSumsPopup, 0, "teilnehmersummen.html"},
    {help::SubscriberStatisticsPopup, 0, "teilnehmerstatistik.html"},
    {help::FilterPopup, 0, "filter.html"},
    {help::ProjectList, 0, "projektliste.html"},
    {help::SpeedDialPopup, 0, "kurzwahl.html"},
    {help::CallStatisticsPopup, 0, "anrufstatistik.html"},
    {help::CallListWindow, 0, "anrufliste-fenster.html"},
    {help::ArchiveReport, IDM_ARCHIVE_REPORT, "archiv-auswerten.html"},
    {help::ArchiveList, 0, "archiv-liste.html"},
};

} // namespace kalmo::app
