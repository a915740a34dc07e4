#include <string>

#include "cli/cli.h"
#include "core/phonebook/phonebook_file.h"

namespace kalmo::cli {

// Reads FILE.TLB and looks up each NUMBER as the lists do: "<text>;<project>" per number.
int cmd_lookup(Context& ctx) {
    auto book = std::make_unique<phonebook::Phonebook>();
    book->file_name = ctx.positional[0];
    if (phonebook::read_phonebook_file(*book, *ctx.fs, *ctx.ui) == 0) return kExitFailed;
    for (std::size_t i = 1; i < ctx.positional.size(); ++i) {
        std::string text = ctx.positional[i];
        const unsigned project = book->lookup(text);
        ctx.line(text + ";" + std::to_string(project));
    }
    return kExitOk;
}

} // namespace kalmo::cli
