#include "cli/phonebook_option.h"

#include "core/phonebook/phonebook.h"
#include "core/phonebook/phonebook_file.h"

namespace kalmo::cli {

std::optional<CliPhonebook> load_phonebook_for_cli(Context& ctx,
                                                   const std::optional<std::string>& path) {
    CliPhonebook result;
    if (!path) {
        result.lookup = std::make_unique<phonebook::NoPhonebook>();
        return result;
    }
    auto book = std::make_unique<phonebook::Phonebook>();
    book->file_name = *path;
    if (phonebook::read_phonebook_file(*book, *ctx.fs, *ctx.ui) == 0) return std::nullopt;
    for (unsigned p = 1; p <= result.project_names.size(); ++p)
        result.project_names[p - 1] = book->project_name(p);
    result.lookup = std::move(book);
    return result;
}

} // namespace kalmo::cli
