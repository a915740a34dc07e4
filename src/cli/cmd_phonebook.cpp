#include "cli/cli.h"
#include "core/phonebook/editor.h"
#include "core/phonebook/phonebook_file.h"

namespace kalmo::cli {

// Reads FILE.TLB as "Ö&ffnen" does and prints the editor's list, line by line.
int cmd_phonebook(Context& ctx) {
    auto book = std::make_unique<phonebook::Phonebook>();
    book->file_name = ctx.positional[0];
    if (phonebook::read_phonebook_file(*book, *ctx.fs, *ctx.ui) == 0) return kExitFailed;
    for (std::size_t i = 0; i < book->count(); ++i)
        ctx.line(phonebook::editor_line(*book, book->at(i)));
    return kExitOk;
}

} // namespace kalmo::cli
