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

std::size_t Link::read_until(std::span<std::uint8_t> into, std::int64_t deadline) {
    // A frame's rest is asked for in one piece; the port hands it over once it is complete, so
    // what the far end's pace is does not matter. The wait is only cut short to look at the
    // cancel flag now and then.
    const std::int64_t left = std::max<std::int64_t>(deadline - clock_.monotonic_ms(), 0);
    return port_.read(into, std::chrono::milliseconds(std::min(left, kCancelCheckMs)));
}

bool Link::receive_frame(bool quiet) {
    frame_length_ = 0;
    if (!open_) return false;
    const std::int64_t deadline = clock_.monotonic_ms() + kReceiveMs;
    std::size_t expected = 1;
    std::size_t position = 0;
    while (position < expected) {
        // Until the length byte is known, one byte at a time: fill bytes before it are skipped,
        // and nothing of the frame after it may be read into the wrong place.
        const std::size_t got = read_until({&buffer_[position], expected - position}, deadline);
        if (ui_.cancelled()) return false;
        // Also after a read that brought bytes: the whole frame must be in by the deadline.
        if (clock_.monotonic_ms() >= deadline)
            return fail(quiet, app::string_text(app::str::NoAnswer));
        if (got == 0) continue;
        if (position == 0) {
            const std::uint8_t length = buffer_[0];
            if (length == kFill) continue;
            if (length > kMaxFrame || length < kFrameHeader)
                return fail(quiet, app::string_text(app::str::LengthError));
            expected = length;
        }
        position += got;
    }
    if (buffer_[1] == code::PeerChecksumError)
        return fail(quiet, app::string_text(app::str::PeerCrcError));
    const std::uint16_t sent = static_cast<std::uint16_t>(buffer_[2] | buffer_[3] << 8);
    if (frame_checksum({&buffer_[kFrameHeader], expected - kFrameHeader}) != sent)
        return fail(quiet, app::string_text(app::str::CrcError));
    frame_length_ = expected;
    return true;
}

bool Link::await_quiet() {
    const std::int64_t start = clock_.monotonic_ms();
    // A line that never goes quiet (noise) is not waited for for ever.
    const std::int64_t give_up = start + 3 * timing.quiet_ms;
    std::int64_t last = start;
    std::array<std::uint8_t, 256> drained{};
    while (open_) {
        const std::size_t got = read_until(drained, std::min(last + timing.quiet_ms, give_up));
        if (ui_.cancelled()) return false;
        const std::int64_t now = clock_.monotonic_ms();
        if (got > 0) last = now;
        if (now - last >= timing.quiet_ms || now >= give_up) return true;
    }
    return true;
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
            std::string(app::string_text(app::str::ConnectionFailed)) + "\n" +
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
    if (!closed && !ui_.cancelled()) show_error(app::string_text(app::str::CloseFailed));
}

} // namespace kalmo::link
