#pragma once
// The framed, checksummed byte protocol spoken with the exchange. The program always asks; the
// exchange answers every request with exactly one frame.
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "core/app/ui.h"
#include "core/link/serial_port.h"
#include "core/link/transfer_ui.h"

namespace kalmo::link {

// Frame: length (header included), type, checksum low, checksum high, payload.
constexpr std::size_t kFrameHeader = 4;
constexpr std::size_t kMaxFrame = 250;
constexpr std::size_t kMaxPayload = kMaxFrame - kFrameHeader;
constexpr std::uint8_t kFill = 0x00;
constexpr unsigned kFillRun = 255;       // after every failed receive and before an opening
constexpr unsigned kDataFrameTrail = 10; // fill bytes after every data frame
// The whole frame must arrive within this time, measured on a clock that never steps.
constexpr std::int64_t kReceiveMs = 3000;
// The longest the link waits on the port before it looks at the cancel flag again: a cancel is
// seen soon enough, and a frame's rest still takes only two or three reads.
constexpr std::int64_t kCancelCheckMs = 250;
// Before a retry, and after a retry was answered, the line must have been silent this long: a
// reply to an earlier attempt that comes later than the deadline is drained instead of being
// read as the answer to a later request. The exchange answers within the deadline; this covers
// one that is slower by as much again and a bit.
constexpr std::int64_t kQuietMs = 4000;
constexpr int kAttempts = 5;
constexpr std::uint16_t kBlockFailed = 0xFFFF;

// Command codes.
namespace code {
constexpr std::uint8_t OpenRead = 0x62;
constexpr std::uint8_t OpenWrite = 0x61;
constexpr std::uint8_t OpenAgain = 0x6E;
constexpr std::uint8_t OpeningParameter = 0x45;
constexpr std::uint8_t ChargesBank1 = 0x0D;
constexpr std::uint8_t ChargesBank2 = 0x1D;
constexpr std::uint8_t CallsBank1 = 0x0E;
constexpr std::uint8_t CallsBank2 = 0x1E;
constexpr std::uint8_t DeleteCharges1 = 0x2D;
constexpr std::uint8_t DeleteCharges2 = 0x3D;
constexpr std::uint8_t DeleteCalls1 = 0x2E;
constexpr std::uint8_t DeleteCalls2 = 0x3E;
constexpr std::uint8_t SpeedDial = 0x29;
constexpr std::uint8_t Close = 0x63;
constexpr std::uint8_t CloseAgain = 0x6F;
constexpr std::uint8_t NotSent = 0xFF;           // a frame with this code is never sent
constexpr std::uint8_t PeerChecksumError = 0x69; // reply type: the exchange got a bad frame
} // namespace code

// 16-bit BSD checksum (rotate right by one, add the byte) over the payload only.
std::uint16_t frame_checksum(std::span<const std::uint8_t> payload);

// A data frame or reply: length, type, checksum of the payload, payload (at most kMaxPayload).
std::vector<std::uint8_t> make_frame(std::uint8_t type, std::span<const std::uint8_t> payload);

// The waits of the link; tests of other matters may shorten the quiet wait.
struct LinkTiming {
    std::int64_t quiet_ms = kQuietMs;
};

// The link state: the port (open or not) and the buffer of the last received frame. One per
// program; the transfers use it from `connect` to `disconnect`.
class Link {
public:
    Link(SerialPort& port, TransferUi& ui, app::Clock& clock)
        : port_(port), ui_(ui), clock_(clock) {}

    bool port_open() const { return open_; }
    LinkTiming timing;
    TransferUi& ui() { return ui_; }

    void send_command(std::uint8_t code, std::uint8_t parameter);
    void send_block_request(std::uint8_t code, std::uint16_t index);
    // Each fill byte by its own write.
    void send_fill(unsigned count);

    // Waits for one frame. true: a valid frame is in frame(). A quiet receive reports failures
    // only by its result; a cancelled one sends nothing and shows nothing.
    bool receive_frame(bool quiet);
    std::span<const std::uint8_t> frame() const { return {buffer_.data(), length()}; }

    // Requests one block and copies its payload to `destination` (room for kMaxPayload bytes).
    // Returns the payload length, or kBlockFailed after five failed attempts.
    std::uint16_t read_block(std::uint8_t code, std::uint16_t index, std::uint8_t* destination);
    // Sends a data frame (checksummed, 10 fill bytes after it) until one reply arrives.
    bool write_block(std::uint8_t code, std::span<const std::uint8_t> payload);

    // Waits until nothing has arrived for timing.quiet_ms (at most three times that), throwing away
    // what comes meanwhile. Ends early on cancel; false then.
    bool await_quiet();

    // Opens the port and the connection; false leaves the port closed.
    bool connect(const std::string& port_name, std::uint8_t opening_code);
    // Ends the connection (unless cancelled) and closes the port in every case.
    void disconnect();

private:
    void write(std::span<const std::uint8_t> bytes);
    // Reads into `into` until it is full, `deadline` (on clock_) has passed or the user cancels;
    // returns the bytes read. A wait is cut into slices so a cancel is seen within one.
    std::size_t read_until(std::span<std::uint8_t> into, std::int64_t deadline);
    // Every request starts from an empty receive queue: whatever arrived before it belongs to an
    // earlier request.
    void send_request(std::span<const std::uint8_t> bytes);
    bool fail(bool quiet, const char* message);
    void show_error(const char* message);
    void close_port();
    std::size_t length() const { return frame_length_; }

    SerialPort& port_;
    TransferUi& ui_;
    app::Clock& clock_;
    bool open_ = false;
    std::array<std::uint8_t, kMaxFrame> buffer_{};
    std::size_t frame_length_ = 0;
};

} // namespace kalmo::link
