#include "cli/cli.h"
#include "core/data/charge_file.h"

namespace kalmo::cli {

// Loads IN as "&Öffnen" does and saves it to OUT as "Sichern &als" does.
int cmd_save(Context& ctx) {
    auto store = std::make_unique<data::ChargeStore>();
    const data::LoadResult loaded =
        data::load_charge_file(*store, ctx.positional[0], *ctx.fs, *ctx.ui);
    if (!data::records_loaded(loaded)) return kExitFailed;
    ctx.incomplete = loaded == data::LoadResult::Truncated;
    const data::SaveResult saved =
        data::save_charge_file(*store, ctx.positional[1], *ctx.fs, *ctx.ui);
    return saved == data::SaveResult::Saved ? kExitOk : kExitFailed;
}

} // namespace kalmo::cli
