#include "cli/cli.h"
#include "cli/transfer_console.h"
#include "core/app/strings.h"
#include "core/link/transfers.h"

namespace kalmo::cli {

// "Kurzwahl" of the call list: writes one speed-dial target into the exchange.
int cmd_speed_dial(Context& ctx) {
    const auto port = ctx.option("--port");
    const auto code = ctx.option("--code");
    const auto number = ctx.option("--number");
    if (!port || !code || !number)
        return ctx.usage("usage: kalmo speed-dial --port PORT --code NNN --number DIGITS");
    if (!data::is_dial_string(*number)) return ctx.usage("--number takes 1 to 24 digits (and #)");

    // The dialog's field: digits only, at most three of them, 100 to 299; empty counts as 0.
    unsigned value = 0;
    bool digits = code->size() <= 3;
    for (char c : *code) {
        if (c < '0' || c > '9') digits = false;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (!digits || value < 100 || value > 299) {
        app::show_string(*ctx.ui, app::str::SpeedDialInvalid, app::str::Error, app::Buttons::Ok,
                         app::Icon::Warning);
        return kExitFailed;
    }

    TransferSession session(ctx);
    const link::Outcome outcome = link::write_speed_dial_target(
        session.link, *number, static_cast<std::uint8_t>(value - 100), session.port_name);
    return outcome == link::Outcome::Done ? kExitOk : kExitFailed;
}

} // namespace kalmo::cli
