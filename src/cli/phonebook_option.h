#pragma once
// The one place where the console front end turns --phonebook into a number lookup.
#include <memory>
#include <optional>
#include <string>

#include "cli/cli.h"
#include "core/eval/project.h"
#include "core/phonebook/lookup.h"

namespace kalmo::cli {

struct CliPhonebook {
    std::unique_ptr<phonebook::NumberLookup> lookup;
    eval::ProjectNames project_names; // all empty without a phonebook
};

// Without a path: no phonebook, every number stays a number. A phonebook that yields no entry
// gives nothing (the reader has shown its messages); the caller then fails, since a list
// without the names the user asked for would be a wrong list.
std::optional<CliPhonebook> load_phonebook_for_cli(Context& ctx,
                                                   const std::optional<std::string>& path);

} // namespace kalmo::cli
