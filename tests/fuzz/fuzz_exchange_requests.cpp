// The simulated exchange's request parser takes whatever comes down the line: broken frames,
// stray length bytes, fill runs. It must never read past a request or answer with a frame that
// is not one.
#include <cstddef>
#include <cstdint>

#include "core/link/protocol.h"
#include "sim/exchange.h"
#include "sim/records.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kalmo;
    sim::ExchangeConfig config;
    if (size > 0) config.charges_per_block = 1 + data[0] % 12;
    static const sim::Exchange records = [] {
        sim::Exchange e;
        sim::fill_random(e, 30, 20, 1);
        return e;
    }();
    sim::Exchange exchange(config);
    for (int bank = 0; bank < 2; ++bank) {
        exchange.charges[bank] = records.charges[bank];
        exchange.calls[bank] = records.calls[bank];
    }
    for (std::size_t i = 1; i < size; ++i) {
        const auto event = exchange.take(data[i]);
        if (!event || event->reply.empty()) continue;
        const sim::Bytes& r = event->reply;
        if (r.size() < link::kFrameHeader || r[0] != r.size() || r.size() > link::kMaxFrame)
            __builtin_trap();
    }
    return 0;
}
