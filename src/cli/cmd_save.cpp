#include "cli/cli.h"
#include "core/data/charge_file.h"
#include "platform/platform.h"

namespace kalmo::cli {

// Loads IN as "&Öffnen" does and saves it to OUT as "Sichern &als" does.
int cmd_save(Context& ctx) {
    auto store = std::make_unique<data::ChargeStore>();
    const data::LoadResult loaded =
        data::load_charge_file(*store, ctx.positional[0], *ctx.fs, *ctx.ui);
    if (loaded == data::LoadResult::NotOpened) {
        // The GUI passes this over in silence; a script needs to know why nothing happened.
        ctx.err << "kalmo: cannot open " << platform::to_console(ctx.positional[0]) << "\n";
        return kExitFailed;
    }
    if (loaded != data::LoadResult::Loaded) return kExitFailed;
    const data::SaveResult saved =
        data::save_charge_file(*store, ctx.positional[1], *ctx.fs, *ctx.ui);
    return saved == data::SaveResult::Saved ? kExitOk : kExitFailed;
}

} // namespace kalmo::cli
