#include "core/app/ui.h"

#include "core/app/strings.h"
#include "core/app/text.h"

namespace kalmo::app {

Message string_message(unsigned text_id, unsigned caption_id, Buttons buttons, Icon icon) {
    return Message{cut(string_text(text_id), 159), cut(string_text(caption_id), 39), buttons, icon};
}

std::string join_path(const std::string& dir, const std::string& name) {
    if (dir.empty()) return name;
    const char separator =
        dir.find('\\') != std::string::npos && dir.find('/') == std::string::npos ? '\\' : '/';
    if (dir.back() == separator || dir.back() == '/' || dir.back() == '\\') return dir + name;
    return dir + separator + name;
}

namespace {
bool separator_at(std::string_view path, std::size_t at) {
    return at < path.size() && (path[at] == '\\' || path[at] == '/');
}

// Past `count` more separated parts from `at`, with the separator after the last.
std::size_t past_parts(std::string_view path, std::size_t at, int count) {
    for (int i = 0; i < count && at < path.size(); ++i) {
        while (at < path.size() && !separator_at(path, at))
            ++at;
        if (at < path.size()) ++at;
    }
    return at;
}
} // namespace

std::size_t path_root_length(std::string_view path) {
    std::size_t at = 0;
    if (path.substr(0, 4) == "\\\\?\\" || path.substr(0, 4) == "\\\\.\\") {
        at = 4;
        if (path.size() >= at + 4 &&
            (path.substr(at, 4) == "UNC\\" || path.substr(at, 4) == "unc\\"))
            return past_parts(path, at + 4, 2);
    } else if (separator_at(path, 0) && separator_at(path, 1)) {
        return past_parts(path, 2, 2);
    }
    if (path.size() >= at + 2 && path[at + 1] == ':')
        return separator_at(path, at + 2) ? at + 3 : at + 2;
    return separator_at(path, at) ? at + 1 : at;
}

} // namespace kalmo::app
