#pragma once
// The console front end: common rules shared by every subcommand.
//   stdout: result lines only, each exactly the text of the matching GUI line, then "\n";
//   stderr: "<caption>: <text>" for every message box the GUI would show;
//   Yes/No questions are answered No unless --yes; exit 0 done, 1 failed or refused, 2 usage.
#include <iosfwd>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/app/clock.h"
#include "core/app/currency.h"
#include "core/app/ui.h"
#include "core/data/confidential.h"
#include "core/eval/cells.h"

namespace kalmo::cli {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

class ConsoleUi : public app::MessageUi {
public:
    ConsoleUi(std::ostream& err, bool yes) : err_(err), yes_(yes) {}
    app::Answer show(const app::Message& message) override;
    // Every message shown so far (tests and exit-status decisions look at them).
    std::vector<app::Message> shown;

private:
    std::ostream& err_;
    bool yes_;
};

using app::FixedDateClock; // --today

struct Context {
    Context(std::ostream& out, std::ostream& err);
    ~Context();

    std::vector<std::string> positional;        // in the Windows character set
    std::map<std::string, std::string> options; // "--from" -> value (Windows character set)
    bool yes = false;
    bool csv = false; // --csv: the list as a spreadsheet table instead of its lines
    app::Currency currency = app::Currency::DM; // --currency: the unit after every amount
    unsigned masked_digits = 0; // --mask N: the last N digits of every number shown as "*"
    data::ConfidentialNumbers confidential; // --confidential FILE: numbers no list shows
    bool drop_confidential = false; // --drop-confidential: a read keeps no such number at all
    // Input was damaged (records missing from a file, bad phonebook lines): the command still
    // shows what it could read, but exits 1 so that a script notices.
    bool incomplete = false;

    std::ostream& out;
    std::ostream& err;
    std::unique_ptr<app::FileSystem> fs;
    std::unique_ptr<app::CodePage> code_page;
    std::unique_ptr<app::Clock> real_clock;
    std::unique_ptr<ConsoleUi> ui;
    std::unique_ptr<FixedDateClock> clock;

    // Writes one result line (Windows-1252 in, console encoding out) and "\n".
    void line(std::string_view ansi);
    // Writes bytes as they are (a table that is UTF-8 already, whatever the console's encoding).
    void raw(std::string_view bytes);
    // A usage error: the text on stderr, exit status 2.
    int usage(std::string_view text);
    std::optional<std::string> option(const std::string& name) const;
    eval::NumberPrivacy privacy() const { return {masked_digits, &confidential}; }
    // What a read empties the number of as it arrives; nothing unless asked to.
    const data::ConfidentialNumbers* dropped() const {
        return drop_confidential ? &confidential : nullptr;
    }
};

struct Command {
    const char* name;
    const char* synopsis;
    std::vector<std::string> options; // accepted options besides the common ones ("--csv" is a
                                      // flag without a value)
    std::size_t min_args;
    std::size_t max_args;
    int (*run)(Context&);
    std::vector<std::string> flags = {}; // options without a value
};

// The subcommands, in the order of the usage text.
const std::vector<Command>& commands();

int run(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

// Subcommands.
int cmd_save(Context& ctx);
int cmd_charges(Context& ctx);
int cmd_sums(Context& ctx);
int cmd_subscriber(Context& ctx);
int cmd_project(Context& ctx);
int cmd_phonebook(Context& ctx);
int cmd_lookup(Context& ctx);
int cmd_report(Context& ctx);
int cmd_read_charges(Context& ctx);
int cmd_read_calls(Context& ctx);
int cmd_delete_charges(Context& ctx);
int cmd_delete_calls(Context& ctx);
int cmd_speed_dial(Context& ctx);
int cmd_collect(Context& ctx);
int cmd_anonymize(Context& ctx);

} // namespace kalmo::cli
