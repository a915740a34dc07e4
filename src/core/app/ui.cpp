#include "core/app/ui.h"

#include "core/app/strings.h"

namespace kalmo::app {

Answer show_string(MessageUi& ui, unsigned text_id, unsigned caption_id, Buttons buttons,
                   Icon icon) {
    // The message helper's limits: text 159 bytes, caption 39.
    std::string text = string_text(text_id);
    std::string caption = string_text(caption_id);
    if (text.size() > 159) text.resize(159);
    if (caption.size() > 39) caption.resize(39);
    return ui.show(Message{text, caption, buttons, icon});
}

std::string join_path(const std::string& dir, const std::string& name) {
    if (dir.empty()) return name;
    const char separator =
        dir.find('\\') != std::string::npos && dir.find('/') == std::string::npos ? '\\' : '/';
    if (dir.back() == separator || dir.back() == '/' || dir.back() == '\\') return dir + name;
    return dir + separator + name;
}

} // namespace kalmo::app
