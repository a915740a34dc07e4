// Arbitrary byte streams from the exchange's side of the line into the frame receiver.
#include <cstdlib>

#include "core/link/exchange_fake.h"
#include "core/link/protocol.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kalmo;
    test::FakeClock clock;
    test::FakeExchange line(clock);
    line.answer = [](const test::Request&) { return std::optional<std::vector<std::uint8_t>>(); };
    test::FakeTransferUi ui;
    link::Link link(line, ui, clock);
    ui.open_progress_dialog();
    // The connection opens with a proper reply; everything after it is the fuzzer's.
    line.incoming = {0x04, 0x62, 0x00, 0x00};
    line.incoming.insert(line.incoming.end(), data, data + size);
    if (!link.connect("COM1", link::code::OpenRead)) std::abort();
    std::array<std::uint8_t, link::kMaxPayload + 16> buffer{};
    bool quiet = false;
    while (link.port_open() && !line.incoming.empty()) {
        const std::uint16_t n = link.read_block(0x0D, 0, buffer.data());
        if (n != link::kBlockFailed && n > link::kMaxPayload) std::abort();
        if (link.receive_frame(quiet)) {
            const auto f = link.frame();
            if (f.size() < link::kFrameHeader || f.size() > link::kMaxFrame || f[0] != f.size())
                std::abort();
        }
        quiet = !quiet;
        ui.log.clear();
        ui.messages.shown.clear();
        line.wire.clear();
        line.requests.clear();
    }
    link.disconnect();
    return 0;
}
