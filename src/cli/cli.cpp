#include "cli/cli.h"

#include <algorithm>
#include <cstdio>
#include <ostream>

#include "kalmo_version.h"
#include "platform/platform.h"

namespace kalmo::cli {

app::Answer ConsoleUi::show(const app::Message& message) {
    shown.push_back(message);
    const std::string caption =
        message.caption && !message.caption->empty() ? *message.caption : std::string("Meldung");
    err_ << platform::to_console(caption) << ": " << platform::to_console(message.text) << "\n";
    switch (message.buttons) {
    case app::Buttons::YesNo:
        return yes_ ? app::Answer::Yes : app::Answer::No;
    case app::Buttons::OkCancel:
    case app::Buttons::Ok:
        break;
    }
    return app::Answer::Ok;
}

Context::Context(std::ostream& o, std::ostream& e)
    : out(o), err(e), fs(platform::make_file_system()), code_page(platform::make_code_page()),
      real_clock(platform::make_clock()) {}

Context::~Context() = default;

void Context::line(std::string_view ansi) {
    out << platform::to_console(ansi) << "\n";
}

void Context::raw(std::string_view bytes) {
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

int Context::usage(std::string_view text) {
    err << "kalmo: " << text << "\n";
    return kExitUsage;
}

std::optional<std::string> Context::option(const std::string& name) const {
    const auto it = options.find(name);
    if (it == options.end()) return std::nullopt;
    return it->second;
}

const std::vector<Command>& commands() {
    static const std::vector<Command> table = {
        {"save", "save IN.GDS OUT.GDS [--yes]", {}, 2, 2, cmd_save},
        {"charges",
         "charges FILE.GDS [--phonebook FILE.TLB] [--from DD.MM.YYYY] [--to DD.MM.YYYY] [--min "
         "DM[,PF]] [--csv]",
         {"--phonebook", "--from", "--to", "--min", "--csv"},
         1,
         1,
         cmd_charges},
        {"sums",
         "sums FILE.GDS [--phonebook FILE.TLB] [--csv]",
         {"--phonebook", "--csv"},
         1,
         1,
         cmd_sums},
        {"subscriber",
         "subscriber FILE.GDS SUB [--phonebook FILE.TLB] [--csv]",
         {"--phonebook", "--csv"},
         2,
         2,
         cmd_subscriber},
        {"project",
         "project FILE.GDS --phonebook FILE.TLB --project N [--csv]",
         {"--phonebook", "--project", "--csv"},
         1,
         1,
         cmd_project},
        {"phonebook", "phonebook FILE.TLB [--csv]", {"--csv"}, 1, 1, cmd_phonebook},
        {"lookup", "lookup FILE.TLB NUMBER...", {}, 2, 1000, cmd_lookup},
        {"report",
         "report DIR|FILE.GDS... [--from YYYY-MM] [--to YYYY-MM] [--by subscriber|project|month] "
         "[--phonebook F.TLB] [--csv]",
         {"--from", "--to", "--by", "--phonebook", "--csv"},
         1,
         100000,
         cmd_report},
        {"anonymize",
         "anonymize DIR... --older-than MONTHS [--keep-digits K] [--yes]",
         {"--older-than", "--keep-digits"},
         1,
         100000,
         cmd_anonymize},
        {"read-charges",
         "read-charges --port PORT [--out FILE.GDS] [--phonebook F] [--journal DIR] [--yes]",
         {"--port", "--out", "--phonebook", "--journal"},
         0,
         0,
         cmd_read_charges},
        {"read-calls",
         "read-calls --port PORT [--phonebook F] [--statistics LINE] [--csv] [--journal DIR]",
         {"--port", "--phonebook", "--statistics", "--csv", "--journal"},
         0,
         0,
         cmd_read_calls},
        {"delete-charges",
         "delete-charges --port PORT --yes",
         {"--port"},
         0,
         0,
         cmd_delete_charges},
        {"delete-calls", "delete-calls --port PORT --yes", {"--port"}, 0, 0, cmd_delete_calls},
        {"speed-dial",
         "speed-dial --port PORT --code NNN --number DIGITS",
         {"--port", "--code", "--number"},
         0,
         0,
         cmd_speed_dial},
        {"collect",
         "collect --port PORT --dir DIR [--calls] [--phonebook F] [--journal DIR]",
         {"--port", "--dir", "--phonebook", "--journal"},
         0,
         0,
         cmd_collect,
         {"--calls"}},
    };
    return table;
}

namespace {
bool accepts(const Command& command, const std::string& option) {
    for (const std::string& o : command.options)
        if (o == option) return true;
    return false;
}

// File and folder names stay UTF-8, as the file system takes them; a text is compared with the
// records' texts and must be in their character set.
bool is_path_option(const std::string& option) {
    for (const char* o : {"--phonebook", "--journal", "--dir", "--out", "--confidential", "--port"})
        if (option == o) return true;
    return false;
}
bool is_text_argument(const Command& command, std::size_t index) {
    const std::string_view name = command.name;
    return index >= 1 && (name == "subscriber" || name == "lookup");
}

int unrepresentable(std::ostream& err, const std::string& text) {
    err << "kalmo: " << text << ": characters outside the Windows character set (Windows-1252)\n";
    return kExitFailed;
}

// --confidential FILE. A file that cannot be read, or a line that is no number, stops the
// command: going on would show the very numbers the file was written to hide.
int load_confidential(Context& ctx) {
    const auto path = ctx.option("--confidential");
    if (!path) {
        if (ctx.drop_confidential)
            return ctx.usage("--drop-confidential needs --confidential FILE");
        return kExitOk;
    }
    // Named on the command line, it must be there: a missing file hides nothing.
    data::ConfidentialFile file = data::read_confidential_file(*ctx.fs, *path);
    if (!file.readable || !ctx.fs->exists(*path)) {
        ctx.err << "kalmo: " << platform::path_to_console(*path) << ": cannot be read\n";
        return kExitFailed;
    }
    ctx.confidential = std::move(file.numbers);
    const std::vector<std::size_t>& bad = file.bad_lines;
    for (const std::size_t line : bad)
        ctx.err << "kalmo: " << platform::path_to_console(*path) << ", line " << line
                << ": not a number (digits and #)\n";
    return bad.empty() ? kExitOk : kExitFailed;
}

void print_usage(std::ostream& err) {
    err << "usage: kalmo COMMAND [ARGS] [--today YYYY-MM-DD] [--currency DM|EUR] [--mask N] "
           "[--confidential FILE [--drop-confidential]] [--yes]\n";
    err << "       kalmo --version\n";
    for (const Command& c : commands())
        err << "       kalmo " << c.synopsis << "\n";
}
} // namespace

int run(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    if (argc < 2) {
        print_usage(err);
        return kExitUsage;
    }
    const std::string name = argv[1];
    if (name == "--version") {
        out << "kalmo " << KALMO_VERSION_STRING << "\n";
        return 0;
    }
    const Command* command = nullptr;
    for (const Command& c : commands())
        if (name == c.name) command = &c;
    if (!command) {
        print_usage(err);
        return kExitUsage;
    }

    Context ctx(out, err);
    std::optional<app::LocalTime> today;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--yes") {
            ctx.yes = true;
        } else if (arg == "--drop-confidential") {
            ctx.drop_confidential = true;
        } else if (arg == "--csv") {
            if (!accepts(*command, arg)) return ctx.usage("unknown option " + arg + " for " + name);
            ctx.csv = true;
            // The table goes out byte for byte; whatever the program wrote before is out first.
            out.flush();
            platform::write_stdout_as_bytes();
        } else if (std::find(command->flags.begin(), command->flags.end(), arg) !=
                   command->flags.end()) {
            ctx.options[arg] = "";
        } else if (arg.rfind("--", 0) == 0 && arg.size() > 2) {
            if (i + 1 >= argc) return ctx.usage("option " + arg + " needs a value");
            const std::string value = argv[++i];
            if (arg == "--today") {
                today = app::parse_iso_date(value);
                if (!today) return ctx.usage("--today takes YYYY-MM-DD");
                continue;
            }
            if (arg == "--currency") {
                const auto currency = app::parse_currency(value);
                if (!currency) return ctx.usage("--currency takes DM or EUR");
                ctx.currency = *currency;
                continue;
            }
            if (arg == "--mask") {
                if (value.size() != 1 || value[0] < '0' || value[0] > '6')
                    return ctx.usage("--mask takes 0 to 6");
                ctx.masked_digits = static_cast<unsigned>(value[0] - '0');
                continue;
            }
            if (arg != "--confidential" && !accepts(*command, arg))
                return ctx.usage("unknown option " + arg + " for " + name);
            if (is_path_option(arg)) {
                ctx.options[arg] = value;
                continue;
            }
            auto ansi = platform::from_console_exact(value);
            if (!ansi) return unrepresentable(err, value);
            ctx.options[arg] = std::move(*ansi);
        } else if (!is_text_argument(*command, ctx.positional.size())) {
            ctx.positional.push_back(arg);
        } else {
            auto ansi = platform::from_console_exact(arg);
            if (!ansi) return unrepresentable(err, arg);
            ctx.positional.push_back(std::move(*ansi));
        }
    }
    if (ctx.positional.size() < command->min_args || ctx.positional.size() > command->max_args)
        return ctx.usage(std::string("usage: kalmo ") + command->synopsis);

    if (const int status = load_confidential(ctx); status != kExitOk) return status;

    ctx.ui = std::make_unique<ConsoleUi>(err, ctx.yes);
    ctx.clock = std::make_unique<FixedDateClock>(*ctx.real_clock, today);
    int status = command->run(ctx);
    if (status == kExitOk && ctx.incomplete) status = kExitFailed;
    // A full disk or a closed pipe must not pass for a complete list.
    out.flush();
    if (!out) {
        err << "kalmo: cannot write the output\n";
        return kExitFailed;
    }
    return status;
}

} // namespace kalmo::cli
