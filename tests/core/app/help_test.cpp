// Help requests: every context number the program passes reaches a page of its own, the built
// pages are all there and reachable from the contents, every message is explained on them, and
// the classic help file still wins where it exists.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "core/app/help.h"
#include "core/app/shell.h"
#include "core/app/strings.h"
#include "core/app/text.h"
#include "core/eval/archive_report.h"
#include "core/eval/call_list.h"
#include "core/eval/charge_list.h"
#include "core/eval/csv.h"
#include "core/eval/filter.h"
#include "core/eval/project.h"
#include "core/eval/subscriber.h"
#include "core/link/protocol.h"
#include "core/phonebook/editor.h"

namespace kalmo::app {
namespace {

// Every context that a window hands to the help: the main window's help mode over all command
// IDs, and each dialog's F1.
std::set<unsigned> contexts_the_program_passes() {
    std::set<unsigned> contexts;
    for (unsigned command = 0; command < 1000; ++command)
        if (const auto context = help_context(command)) contexts.insert(*context);
    for (unsigned dialog :
         {help::Port, help::FilterPopup, help::ChargeListPopup, help::SubscriberSumsPopup,
          help::SubscriberStatisticsPopup, help::ProjectSelect, help::ProjectList,
          help::CallListWindow, help::CallStatisticsPopup, help::SpeedDialPopup,
          help::PhonebookEditor, help::ProjectNames, help::ArchiveReport, help::ArchiveList})
        contexts.insert(dialog);
    return contexts;
}

TEST(HelpMap, EveryContextHasAPageOfItsOwnAndNoPageIsStale) {
    const auto passed = contexts_the_program_passes();
    std::set<unsigned> mapped;
    std::set<std::string_view> pages;
    for (const HelpTopic& topic : help_topics()) {
        EXPECT_TRUE(mapped.insert(topic.context).second) << "context twice: " << topic.context;
        EXPECT_TRUE(pages.insert(topic.page).second) << "page shared: " << topic.page;
        EXPECT_NE(topic.page, kHelpContentsPage) << topic.context;
        EXPECT_NE(topic.page, kHelpOnHelpPage) << topic.context;
    }
    EXPECT_EQ(mapped, passed);
    EXPECT_EQ(help_page(999), std::nullopt);
}

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

#ifdef KALMO_BUILT_HELP_DIR
TEST(BuiltHelp, EveryPageExistsAndIsReachableFromTheContents) {
    const std::string dir = KALMO_BUILT_HELP_DIR "/";
    ASSERT_FALSE(slurp(dir + "hilfe.css").empty());
    // Follow the links from the contents page: a page the user cannot reach from there is as
    // good as missing when he looks for it.
    std::set<std::string> reached;
    std::vector<std::string> todo{kHelpContentsPage};
    const std::regex link(R"re(href="([a-z0-9-]+\.html)")re");
    while (!todo.empty()) {
        const std::string page = todo.back();
        todo.pop_back();
        if (!reached.insert(page).second) continue;
        const std::string html = slurp(dir + page);
        ASSERT_NE(html.find("<h1>"), std::string::npos) << page << " missing or without title";
        for (std::sregex_iterator it(html.begin(), html.end(), link), end; it != end; ++it)
            todo.push_back((*it)[1]);
    }
    for (const HelpTopic& topic : help_topics())
        EXPECT_TRUE(reached.count(std::string(topic.page))) << topic.context << " " << topic.page;
    for (const char* page : {kHelpOnHelpPage, "erste-schritte.html", "meldungen.html",
                             "sichern-umziehen.html", "exportdatei.html"})
        EXPECT_TRUE(reached.count(page)) << page;
}

// The first line of a message with its run-time parts ("%s", "%u") cut out: what a user who
// looks the message up finds on the page.
std::vector<std::string> first_line_pieces(std::string_view message) {
    const std::string line = eval::csv::ansi_to_utf8(message.substr(0, message.find('\n')));
    std::vector<std::string> pieces;
    const std::regex placeholder("%[0-9]*[a-z]");
    for (std::sregex_token_iterator it(line.begin(), line.end(), placeholder, -1), end; it != end;
         ++it) {
        const std::string piece = trimmed(it->str());
        if (!piece.empty()) pieces.push_back(piece);
    }
    return pieces;
}

// A user who meets a message looks it up under "Meldungen": every message of the string table
// (a new one included) and of the link must be there in the words the program shows.
TEST(BuiltHelp, EveryMessageIsExplained) {
    const std::string page = slurp(KALMO_BUILT_HELP_DIR "/meldungen.html");
    ASSERT_FALSE(page.empty());
    std::vector<std::string> messages;
    for (unsigned id = str::NotEnoughMemory; id < 200; ++id) {
        // 132 "Cannot open Printer" is in the table but never shown.
        if (id != 132 && *string_text(id)) messages.push_back(string_text(id));
    }
    for (const unsigned id : {str::ListExportFailed, str::ListExportExists})
        messages.push_back(string_text(id));
    // The privacy messages; 223 to 226 are the privacy dialog's lines, not messages.
    for (unsigned id : {221u, 222u, 227u, 228u, 229u, 230u, 231u, 232u, 233u, 234u})
        messages.push_back(string_text(id));
    for (unsigned id = str::ReportPeriodInvalid; id <= str::ReportNotChargeData; ++id)
        messages.push_back(string_text(id));
    for (unsigned id = str::CollectChargesKept; id <= str::CollectReminder; ++id)
        if (id != str::CollectCaption) messages.push_back(string_text(id));
    for (const char* text :
         {string_text(str::NoAnswer), string_text(str::LengthError), string_text(str::PeerCrcError),
          string_text(str::CrcError), string_text(str::ConnectionFailed),
          string_text(str::CloseFailed), string_text(str::NoHelpText)})
        messages.push_back(text);
    for (const std::string& message : messages)
        for (const std::string& piece : first_line_pieces(message))
            EXPECT_NE(page.find(piece), std::string::npos) << "not explained: " << message;
}
#endif

TEST(HelpTarget, ClassicHelpFileWinsWhereItExists) {
    const std::string hlp = "C:\\Kalmo\\kalmo.hlp";
    struct Case {
        HelpRequest request;
        bool hlp_exists;
        bool winhelp;
        std::string file;
    };
    const Case cases[] = {
        {{HelpKind::Index, 0}, true, true, hlp},
        {{HelpKind::Context, 100}, true, true, hlp},
        {{HelpKind::ContextPopup, 130}, true, true, hlp},
        {{HelpKind::HelpOnHelp, 0}, true, true, "WINHELP.HLP"},
        {{HelpKind::Index, 0}, false, false, "C:\\Kalmo\\hilfe\\index.html"},
        {{HelpKind::Context, 100}, false, false, "C:\\Kalmo\\hilfe\\datei-oeffnen.html"},
        {{HelpKind::ContextPopup, 130}, false, false, "C:\\Kalmo\\hilfe\\comport.html"},
        {{HelpKind::ContextPopup, 154}, false, false, "C:\\Kalmo\\hilfe\\filter.html"},
        {{HelpKind::HelpOnHelp, 0}, false, false, "C:\\Kalmo\\hilfe\\hilfe.html"},
        // A context without a page of its own still gives the user the contents.
        {{HelpKind::Context, 999}, false, false, "C:\\Kalmo\\hilfe\\index.html"},
    };
    for (const Case& c : cases) {
        const HelpTarget t = help_target(c.request, hlp, c.hlp_exists);
        EXPECT_EQ(t.winhelp, c.winhelp) << c.file;
        EXPECT_EQ(t.file, c.file);
        EXPECT_EQ(t.context, c.request.context) << c.file;
        EXPECT_EQ(t.kind, c.request.kind) << c.file;
    }
}

TEST(HelpTarget, PagesAreFoundBesideProgramsWhoseHelpPathDidNotFit) {
    // A directory too long for the path buffer leaves "?" in place of "kalmo.hlp".
    const std::string dir = "C:\\" + std::string(120, 'd') + "\\";
    EXPECT_EQ(help_target({HelpKind::Index, 0}, dir + "?", false).file, dir + "hilfe\\index.html");
    EXPECT_EQ(help_target({HelpKind::Context, 103}, "D:kalmo.hlp", false).file,
              "D:hilfe\\gebuehren-lesen.html");
}

} // namespace
} // namespace kalmo::app
