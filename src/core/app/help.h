#pragma once
// Where a help request lands. The program passes the same context numbers everywhere; this
// decides whether they go to the classic help file "kalmo.hlp" (when one lies beside the
// program) or to the HTML help pages in the folder "hilfe" beside it, one page per context.
// Current Windows has no WinHelp, so without "kalmo.hlp" the pages are the only help there is.
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/app/help_contexts.h"

namespace kalmo::app {

constexpr char kHelpFolder[] = "hilfe";
constexpr char kHelpContentsPage[] = "index.html";
// What "Hilfe über Hilfe" opens when there is no WinHelp system help file to open.
constexpr char kHelpOnHelpPage[] = "hilfe.html";
constexpr char kSystemHelpFile[] = "WINHELP.HLP";

// Every context number any window of the program passes, with its page.
std::span<const HelpTopic> help_topics();
std::optional<std::string_view> help_page(unsigned context);

enum class HelpKind {
    Index,        // "Hilfe &Index", F1 in the main window
    HelpOnHelp,   // "&Hilfe über Hilfe"
    Context,      // a topic in the help window
    ContextPopup, // a dialog's F1
};

struct HelpRequest {
    HelpKind kind = HelpKind::Index;
    unsigned context = 0;
};

// What the front end hands to the system: either a WinHelp call on `file` or a document to
// open with the user's browser.
struct HelpTarget {
    bool winhelp = false;
    std::string file; // full path: the help file, or the page
    HelpKind kind = HelpKind::Index;
    unsigned context = 0;
};

// `help_file` is the path of "kalmo.hlp" beside the program; `winhelp_file_exists` tells
// whether it is there. A context without a page of its own opens the contents.
HelpTarget help_target(const HelpRequest& request, std::string_view help_file,
                       bool winhelp_file_exists);

// The message when the system could not open a help page (no page, no browser): unlike a
// missing WinHelp file, nothing else would tell the user.
std::string help_not_opened_text(const HelpTarget& target);

} // namespace kalmo::app
