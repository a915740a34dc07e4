#include "cli/cli.h"

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

app::LocalTime FixedDateClock::now() {
    app::LocalTime t = real_.now();
    if (date_) {
        t.year = date_->year;
        t.month = date_->month;
        t.day = date_->day;
    }
    return t;
}

Context::Context(std::ostream& o, std::ostream& e)
    : out(o), err(e), fs(platform::make_file_system()), code_page(platform::make_code_page()),
      real_clock(platform::make_clock()) {}

Context::~Context() = default;

void Context::line(std::string_view ansi) {
    out << platform::to_console(ansi) << "\n";
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
         "DM[,PF]]",
         {"--phonebook", "--from", "--to", "--min"},
         1,
         1,
         cmd_charges},
        {"sums", "sums FILE.GDS [--phonebook FILE.TLB]", {"--phonebook"}, 1, 1, cmd_sums},
        {"subscriber",
         "subscriber FILE.GDS SUB [--phonebook FILE.TLB]",
         {"--phonebook"},
         2,
         2,
         cmd_subscriber},
        {"project",
         "project FILE.GDS --phonebook FILE.TLB --project N",
         {"--phonebook", "--project"},
         1,
         1,
         cmd_project},
        {"phonebook", "phonebook FILE.TLB", {}, 1, 1, cmd_phonebook},
        {"lookup", "lookup FILE.TLB NUMBER...", {}, 2, 1000, cmd_lookup},
        {"read-charges",
         "read-charges --port PORT [--out FILE.GDS] [--phonebook F] [--yes]",
         {"--port", "--out", "--phonebook"},
         0,
         0,
         cmd_read_charges},
        {"read-calls",
         "read-calls --port PORT [--phonebook F] [--statistics LINE]",
         {"--port", "--phonebook", "--statistics"},
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
    };
    return table;
}

namespace {
bool parse_date(const std::string& text, app::LocalTime& date) {
    int y = 0, m = 0, d = 0;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d%c", &y, &m, &d, &tail) != 3) return false;
    if (y < 1900 || y > 2155 || m < 1 || m > 12 || d < 1 || d > 31) return false;
    date.year = y;
    date.month = m;
    date.day = d;
    return true;
}

void print_usage(std::ostream& err) {
    err << "usage: kalmo COMMAND [ARGS] [--today YYYY-MM-DD] [--yes]\n";
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
        } else if (arg.rfind("--", 0) == 0 && arg.size() > 2) {
            if (i + 1 >= argc) return ctx.usage("option " + arg + " needs a value");
            const std::string value = argv[++i];
            if (arg == "--today") {
                app::LocalTime date;
                if (!parse_date(value, date)) return ctx.usage("--today takes YYYY-MM-DD");
                today = date;
                continue;
            }
            bool known = false;
            for (const std::string& o : command->options)
                known = known || o == arg;
            if (!known) return ctx.usage("unknown option " + arg + " for " + name);
            ctx.options[arg] = platform::from_console(value);
        } else {
            ctx.positional.push_back(platform::from_console(arg));
        }
    }
    if (ctx.positional.size() < command->min_args || ctx.positional.size() > command->max_args)
        return ctx.usage(std::string("usage: kalmo ") + command->synopsis);

    ctx.ui = std::make_unique<ConsoleUi>(err, ctx.yes);
    ctx.clock = std::make_unique<FixedDateClock>(*ctx.real_clock, today);
    return command->run(ctx);
}

} // namespace kalmo::cli
