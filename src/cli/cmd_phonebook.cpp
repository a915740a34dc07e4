#include "cli/cli.h"
#include "core/eval/csv.h"
#include "core/phonebook/editor.h"
#include "core/phonebook/phonebook_file.h"

namespace kalmo::cli {

// Reads FILE.TLB as "Ö&ffnen" does and prints the editor's list, line by line.
int cmd_phonebook(Context& ctx) {
    auto book = std::make_unique<phonebook::Phonebook>();
    book->file_name = ctx.positional[0];
    const std::size_t messages = ctx.ui->shown.size();
    if (phonebook::read_phonebook_file(*book, *ctx.fs, *ctx.ui) == 0) return kExitFailed;
    // Lines were ignored: the list is shown, the exit status tells a script it is not whole.
    ctx.incomplete = ctx.ui->shown.size() != messages;
    if (ctx.csv) {
        ctx.raw(eval::csv::phonebook_table(*book).text());
        return kExitOk;
    }
    for (std::size_t i = 0; i < book->count(); ++i)
        ctx.line(phonebook::editor_line(*book, book->at(i)));
    return kExitOk;
}

} // namespace kalmo::cli
