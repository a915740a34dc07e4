#include "core/app/help.h"

#include <algorithm>
#include <iterator>

#include "core/app/strings.h"
#include "core/app/utf8.h"

namespace kalmo::app {
namespace {

std::string_view directory_of(std::string_view path) {
    const auto cut = path.find_last_of("\\:");
    return cut == std::string_view::npos ? std::string_view() : path.substr(0, cut + 1);
}

} // namespace

std::span<const HelpTopic> help_topics() {
    return kHelpTopics;
}

std::optional<std::string_view> help_page(unsigned context) {
    const auto it = std::find_if(std::begin(kHelpTopics), std::end(kHelpTopics),
                                 [&](const HelpTopic& t) { return t.context == context; });
    if (it == std::end(kHelpTopics)) return std::nullopt;
    return it->page;
}

HelpTarget help_target(const HelpRequest& request, std::string_view help_file,
                       bool winhelp_file_exists) {
    HelpTarget target;
    target.kind = request.kind;
    target.context = request.context;
    if (winhelp_file_exists) {
        target.winhelp = true;
        target.file = request.kind == HelpKind::HelpOnHelp ? std::string(kSystemHelpFile)
                                                           : std::string(help_file);
        return target;
    }
    std::string_view page = kHelpContentsPage;
    if (request.kind == HelpKind::HelpOnHelp) {
        page = kHelpOnHelpPage;
    } else if (request.kind != HelpKind::Index) {
        if (const auto found = help_page(request.context)) page = *found;
    }
    // The pages live beside the help file's place, whatever the path buffer made of its name:
    // a directory too long for "kalmo.hlp" still holds the pages.
    target.file = std::string(directory_of(help_file)) + kHelpFolder + "\\" + std::string(page);
    return target;
}

std::string help_not_opened_text(const HelpTarget& target) {
    return string_text(str::HelpNotOpened) + shown_path(target.file);
}

} // namespace kalmo::app
