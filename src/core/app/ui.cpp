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

} // namespace kalmo::app
