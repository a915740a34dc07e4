#include "core/eval/common.h"

#include "core/app/strings.h"
#include "core/app/text.h"
#include "core/data/calls.h"

namespace kalmo::eval {

std::string subscriber_text(std::uint8_t subscriber) {
    if (subscriber == 0) return "NN";
    return app::format("%2X", unsigned{subscriber});
}

std::string call_subscriber_text(std::uint8_t subscriber) {
    if (subscriber == data::kAvaSubscriber) return "AVA";
    return app::format("%2X", unsigned{subscriber});
}

app::Message string_message(unsigned text_id, unsigned caption_id, app::Buttons buttons,
                            app::Icon icon) {
    // The message helper's limits: text 159 bytes, caption 39.
    return app::Message{app::cut(app::string_text(text_id), 159),
                        app::cut(app::string_text(caption_id), 39), buttons, icon};
}

} // namespace kalmo::eval
