#include "core/eval/common.h"

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

} // namespace kalmo::eval
