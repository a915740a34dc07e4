// Arbitrary byte streams from the exchange's side of the line into the frame receiver. Every
// request empties the receive queue first, so the bytes come as answers: each request is
// answered with the next piece of the input (its first byte says how long the piece is).
#include <cstdlib>

#include "core/link/exchange_fake.h"
#include "core/link/protocol.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kalmo;
    using Bytes = std::vector<std::uint8_t>;
    test::FakeClock clock;
    test::FakeExchange line(clock);
    std::size_t at = 0;
    auto next_piece = [&]() -> Bytes {
        if (at >= size) return {};
        const std::size_t n = std::min<std::size_t>(data[at] + 1u, size - at - 1);
        const Bytes piece(data + at + 1, data + at + 1 + n);
        at += 1 + n;
        return piece;
    };
    line.answer = [&](const test::Request& r) -> std::optional<Bytes> {
        // The connection opens with a proper reply; everything after it is the fuzzer's.
        if (r.code() == link::code::OpenRead) return link::make_frame(r.code(), {});
        Bytes piece = next_piece();
        if (piece.empty()) return std::nullopt;
        return piece;
    };
    test::FakeTransferUi ui;
    link::Link link(line, ui, clock);
    link.timing.quiet_ms = 1000; // one silent read: the scripted line has no late replies
    ui.open_progress_dialog();
    if (!link.connect("COM1", link::code::OpenRead)) std::abort();
    std::array<std::uint8_t, link::kMaxPayload + 16> buffer{};
    bool quiet = false;
    while (link.port_open() && at < size) {
        const std::uint16_t n = link.read_block(0x0D, 0, buffer.data());
        if (n != link::kBlockFailed && n > link::kMaxPayload) std::abort();
        // Bytes that come without a request: the receiver alone.
        const Bytes piece = next_piece();
        line.incoming.insert(line.incoming.end(), piece.begin(), piece.end());
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
