#include <ostream>

#include "cli/cli.h"
#include "cli/eval_print.h"
#include "cli/phonebook_option.h"
#include "core/eval/csv.h"
#include "core/eval/project.h"

namespace kalmo::cli {

// "&Projekte": the calls of one project, chosen by its button in "Projekte definieren".
int cmd_project(Context& ctx) {
    const auto project_text = ctx.option("--project");
    if (!ctx.option("--phonebook") || !project_text)
        return ctx.usage("usage: kalmo project FILE.GDS --phonebook FILE.TLB --project N");
    int project = 0;
    for (const char c : *project_text) {
        if (c < '0' || c > '9' || project > 10) return ctx.usage("--project takes 1 to 10");
        project = project * 10 + (c - '0');
    }
    if (project < 1 || project > 10) return ctx.usage("--project takes 1 to 10");

    auto store = std::make_unique<data::ChargeStore>();
    if (!load_charges_for_cli(ctx, *store, ctx.positional[0])) return kExitFailed;
    const auto book = load_phonebook_for_cli(ctx, ctx.option("--phonebook"));
    if (!book) return kExitFailed;
    const auto chosen = eval::chosen_project(book->project_names, project);
    if (!chosen) {
        // Its button is disabled: the GUI offers no way to choose it.
        ctx.err << "kalmo: project " << project << " is not defined\n";
        return kExitFailed;
    }
    const eval::ProjectEvaluation result =
        eval::evaluate_project(*store, *book->lookup, book->project_names, *chosen,
                               ctx.clock->now(), ctx.currency, ctx.privacy());
    if (result.no_data) {
        ctx.ui->show(*result.no_data);
        return kExitFailed;
    }
    if (ctx.csv) {
        ctx.raw(eval::csv::charge_table(*store,
                                        eval::csv::project_records(*store, *book->lookup, *chosen),
                                        *book->lookup, book->project_names, ctx.clock->now(),
                                        ctx.currency, ctx.privacy())
                    .text());
        return kExitOk;
    }
    ctx.line(result.summary_first_line);
    ctx.line(result.summary_second_line);
    for (const std::string& l : result.lines)
        ctx.line(l);
    return kExitOk;
}

} // namespace kalmo::cli
