#include "core/app/help.h"

#include <algorithm>
#include <array>

#include "core/app/strings.h"
#include "core/app/utf8.h"

namespace kalmo::app {
namespace {

// Menu commands in help mode give 100 to 131; the dialogs' F1 give 112, 123, 130 and 150 to
// 158. A context that two places share (a command and the dialog it opens) shares its page.
constexpr std::array kTopics = {
    HelpTopic{100, "datei-oeffnen.html"},
    HelpTopic{101, "datei-speichern.html"},
    HelpTopic{102, "datei-sichern-als.html"},
    HelpTopic{103, "gebuehren-lesen.html"},
    HelpTopic{104, "gebuehren-loeschen.html"},
    HelpTopic{105, "anrufe-lesen.html"},
    HelpTopic{106, "anrufe-loeschen.html"},
    HelpTopic{107, "beenden.html"},
    HelpTopic{108, "abholen.html"},
    HelpTopic{110, "gebuehrenerfassung.html"},
    HelpTopic{111, "anrufliste.html"},
    HelpTopic{112, "projekte.html"},
    HelpTopic{120, "telefonbuch-neu.html"},
    HelpTopic{121, "telefonbuch-oeffnen.html"},
    HelpTopic{122, "telefonbuch-editieren.html"},
    HelpTopic{123, "projektnamen.html"},
    HelpTopic{130, "comport.html"},
    HelpTopic{131, "drucker.html"},
    HelpTopic{132, "archiv-optionen.html"},
    HelpTopic{150, "telefonbuch-editor.html"},
    HelpTopic{151, "gebuehrenliste.html"},
    HelpTopic{152, "teilnehmersummen.html"},
    HelpTopic{153, "teilnehmerstatistik.html"},
    HelpTopic{154, "filter.html"},
    HelpTopic{155, "projektliste.html"},
    HelpTopic{156, "kurzwahl.html"},
    HelpTopic{157, "anrufstatistik.html"},
    HelpTopic{158, "anrufliste-fenster.html"},
    HelpTopic{205, "datenschutz.html"},
    HelpTopic{1130, "archiv-auswerten.html"},
    HelpTopic{1131, "archiv-liste.html"},
};

std::string_view directory_of(std::string_view path) {
    const auto cut = path.find_last_of("\\:");
    return cut == std::string_view::npos ? std::string_view() : path.substr(0, cut + 1);
}

} // namespace

std::span<const HelpTopic> help_topics() {
    return kTopics;
}

std::optional<std::string_view> help_page(unsigned context) {
    const auto it = std::find_if(kTopics.begin(), kTopics.end(),
                                 [&](const HelpTopic& t) { return t.context == context; });
    if (it == kTopics.end()) return std::nullopt;
    return it->page;
}

HelpTarget help_target(const HelpRequest& request, std::string_view help_file,
                       bool winhelp_file_exists) {
    HelpTarget target;
    target.kind = request.kind;
    target.context = request.context;
    if (winhelp_file_exists) {
        target.winhelp = true;
        target.file = request.kind == HelpKind::HelpOnHelp ? std::string(kSystemHelpFile)
                                                           : std::string(help_file);
        return target;
    }
    std::string_view page = kHelpContentsPage;
    if (request.kind == HelpKind::HelpOnHelp) {
        page = kHelpOnHelpPage;
    } else if (request.kind != HelpKind::Index) {
        if (const auto found = help_page(request.context)) page = *found;
    }
    // The pages live beside the help file's place, whatever the path buffer made of its name:
    // a directory too long for "kalmo.hlp" still holds the pages.
    target.file = std::string(directory_of(help_file)) + kHelpFolder + "\\" + std::string(page);
    return target;
}

std::string help_not_opened_text(const HelpTarget& target) {
    return string_text(str::HelpNotOpened) + shown_path(target.file);
}

} // namespace kalmo::app
