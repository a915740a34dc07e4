#include "cli/phonebook_option.h"

#include <ostream>

namespace kalmo::cli {

CliPhonebook load_phonebook_for_cli(Context& ctx, const std::optional<std::string>& path) {
    CliPhonebook book;
    book.lookup = std::make_unique<phonebook::NoPhonebook>();
    if (path) ctx.err << "kalmo: phonebook support not built yet\n";
    return book;
}

} // namespace kalmo::cli
