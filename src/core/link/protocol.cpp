#include "core/link/protocol.h"

#include <algorithm>
#include <cstring>

#include "core/app/strings.h"
#include "core/app/text.h"

namespace kalmo::link {

std::uint16_t frame_checksum(std::span<const std::uint8_t> payload) {
    std::uint16_t sum = 0;
    for (std::uint8_t b : payload) {
        sum = static_cast<std::uint16_t>((sum >> 1) | (sum << 15));
        sum = static_cast<std::uint16_t>(sum + b);
    }
    return sum;
}

std::vector<std::uint8_t> make_frame(std::uint8_t type, std::span<const std::uint8_t> payload) {
    const std::uint16_t sum = frame_checksum(payload);
    std::vector<std::uint8_t> f(payload.size() + kFrameHeader);
    f[0] = static_cast<std::uint8_t>(f.size());
    f[1] = type;
    f[2] = static_cast<std::uint8_t>(sum);
    f[3] = static_cast<std::uint8_t>(sum >> 8);
    std::copy(payload.begin(), payload.end(), f.begin() + kFrameHeader);
    return f;
}

void Link::write(std::span<const std::uint8_t> bytes) {
    // The result is not looked at: a lost request shows up as a missing reply.
    if (open_) port_.write(bytes);
}

void Link::send_request(std::span<const std::uint8_t> bytes) {
    if (!open_) return;
    port_.discard_input();
    port_.write(bytes);
}

void Link::send_command(std::uint8_t code, std::uint8_t parameter) {
    if (code == code::NotSent) return;
    const std::uint8_t frame[] = {0x05, code, 0x00, 0x00, parameter};
    send_request(frame);
}

void Link::send_block_request(std::uint8_t code, std::uint16_t index) {
    if (code == code::NotSent) return;
    const std::uint8_t frame[] = {0x06,
                                  code,
                                  0x00,
                                  0x00,
                                  static_cast<std::uint8_t>(index),
                                  static_cast<std::uint8_t>(index >> 8)};
    send_request(frame);
}

void Link::send_fill(unsigned count) {
    const std::uint8_t fill[] = {kFill};
    for (unsigned i = 0; i < count; ++i)
        write(fill);
}

void Link::show_error(const char* message) {
    ui_.show(app::Message{message, std::nullopt, app::Buttons::Ok, app::Icon::Error});
}

bool Link::fail(bool quiet, const char* message) {
    // The run of fill bytes lets the exchange find the start of the next frame again.
    send_fill(kFillRun);
    if (!quiet) show_error(message);
    return false;
}

bool Link::receive_frame(bool quiet) {
    frame_length_ = 0;
    if (!open_) return false;
    // The hint given once the length is known ends with the frame, however the frame ends: a
    // port still gathering for it would hold back what a later wait must see.
    struct EndHint {
        SerialPort& port;
        ~EndHint() { port.expect(0); }
    } end_hint{port_};
    const std::int64_t start = clock_.monotonic_ms();
    std::size_t expected = 1;
    std::size_t position = 0;
    while (position < expected) {
        std::uint8_t byte = 0;
        for (;;) {
            const int got = port_.read_byte(byte);
            const bool going_on = ui_.pump_messages();
            if (!going_on) return false;
            if (clock_.monotonic_ms() - start >= kReceiveMs) return fail(quiet, text::NoAnswer);
            if (got == 1) break;
        }
        if (position == 0) {
            if (byte == kFill) continue;
            if (byte > kMaxFrame || byte < kFrameHeader) return fail(quiet, text::LengthError);
            expected = byte;
            port_.expect(expected - 1);
        }
        buffer_[position++] = byte;
    }
    if (buffer_[1] == code::PeerChecksumError) return fail(quiet, text::PeerChecksumError);
    const std::uint16_t sent = static_cast<std::uint16_t>(buffer_[2] | buffer_[3] << 8);
    if (frame_checksum({&buffer_[kFrameHeader], expected - kFrameHeader}) != sent)
        return fail(quiet, text::ChecksumError);
    frame_length_ = expected;
    return true;
}

bool Link::await_quiet() {
    const std::int64_t start = clock_.monotonic_ms();
    std::int64_t last = start;
    for (;;) {
        std::uint8_t byte = 0;
        const int got = port_.read_byte(byte);
        if (!ui_.pump_messages()) return false;
        const std::int64_t now = clock_.monotonic_ms();
        if (got == 1) last = now;
        // A line that never goes quiet (noise) is not waited for for ever.
        if (now - last >= timing.quiet_ms || now - start >= 3 * timing.quiet_ms || !open_)
            return true;
    }
}

std::uint16_t Link::read_block(std::uint8_t code, std::uint16_t index, std::uint8_t* destination) {
    // The cancel flag is not looked at here: after a cancel each remaining attempt still sends
    // its request and then fails at once in its receive.
    for (int attempt = 1; attempt <= kAttempts; ++attempt) {
        // A retry only goes out once a late reply to the attempt before can no longer come.
        if (attempt > 1 && !ui_.cancelled()) await_quiet();
        send_block_request(code, index);
        if (receive_frame(attempt < kAttempts)) {
            const std::size_t n = frame_length_ - kFrameHeader;
            std::memcpy(destination, &buffer_[kFrameHeader], n);
            // The answer taken may have been a late one to an earlier attempt; the replies to
            // the later attempts follow it and must not meet the next request.
            if (attempt > 1) await_quiet();
            return static_cast<std::uint16_t>(n);
        }
    }
    return kBlockFailed;
}

bool Link::write_block(std::uint8_t code, std::span<const std::uint8_t> payload) {
    if (payload.size() > kMaxPayload) return false;
    const std::vector<std::uint8_t> frame = make_frame(code, payload);
    const std::array<std::uint8_t, kDataFrameTrail> trail{};
    for (int attempt = 1; attempt <= kAttempts && !ui_.cancelled(); ++attempt) {
        if (attempt > 1 && !await_quiet()) break;
        if (code != code::NotSent) {
            if (open_) port_.discard_input();
            write(frame);
            write(trail);
        }
        if (receive_frame(attempt < kAttempts)) {
            if (attempt > 1) await_quiet();
            return true;
        }
    }
    return false;
}

void Link::close_port() {
    if (!open_) return;
    port_.close();
    open_ = false;
}

bool Link::connect(const std::string& port_name, std::uint8_t opening_code) {
    if (!port_.open(port_name)) {
        // An adapter that was unplugged or taken by another program fails here: the user must
        // learn which port the program tried.
        const std::string message =
            std::string(text::ConnectionFailed) + "\n" +
            app::format(app::string_text(app::str::PortNotOpened), port_name.c_str());
        show_error(message.c_str());
        return false;
    }
    open_ = true;
    send_fill(kFillRun);
    send_command(opening_code, code::OpeningParameter);
    bool connected = receive_frame(true);
    if (!connected && !ui_.cancelled() && await_quiet()) {
        // The second opening command replaces the first one.
        send_command(code::OpenAgain, code::OpeningParameter);
        connected = receive_frame(false);
        if (connected) await_quiet();
        if (!connected) close_port();
    }
    if (ui_.cancelled()) {
        close_port();
        return false;
    }
    return connected;
}

void Link::disconnect() {
    bool closed = false;
    for (int attempt = 1; attempt <= kAttempts && !closed && !ui_.cancelled(); ++attempt) {
        if (attempt > 1 && !await_quiet()) break;
        send_command(attempt == 1 ? code::Close : code::CloseAgain, 0x00);
        closed = receive_frame(true);
    }
    close_port();
    if (!closed && !ui_.cancelled()) show_error(text::CloseFailed);
}

} // namespace kalmo::link
