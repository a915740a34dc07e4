#pragma once
// The exchange's serial line on a Windows communications port, opened for overlapped I/O.
#include <windows.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/link/serial_port.h"

namespace kalmo::platform {

class Win32SerialPort : public link::SerialPort {
public:
    // How long one read_byte call waits before it hands control back so the caller can pump
    // its messages. A message arriving in the queue ends a wait for the first byte early.
    static constexpr DWORD kReadWaitMs = 50;
    // One byte on the line at 4800 bit/s (start bit, 8 data bits, stop bit), in microseconds.
    static constexpr long long kByteUs = 10 * 1000000LL / 4800;
    // While a frame comes in, how often the driver's queue is looked at: often enough that a
    // pause of the line (the end of a frame) is seen a few byte times after it began.
    static constexpr DWORD kLookMs = 5;
    // A second, shorter look when the line seems to have slowed down: about one byte time.
    static constexpr DWORD kConfirmMs = 2;
    // How long the caller may spend, after a frame's last byte, on the bytes still held back.
    static constexpr long long kTailUs = 2000;

    Win32SerialPort();
    ~Win32SerialPort() override;
    Win32SerialPort(const Win32SerialPort&) = delete;
    Win32SerialPort& operator=(const Win32SerialPort&) = delete;

    // "COM1" or "\\.\COM1".
    bool open(const std::string& name) override;
    void close() override;
    bool write(std::span<const std::uint8_t> bytes) override;
    int read_byte(std::uint8_t& byte) override;
    void discard_input() override;
    void expect(std::size_t bytes) override;

    bool is_open() const { return port_ != INVALID_HANDLE_VALUE; }

private:
    void clear_errors(DWORD* queued = nullptr);
    // Bytes queued in the driver; clears the port's error state on the way.
    DWORD queued();
    // Brings the next bytes into the read buffer; false when none are ready for the caller yet.
    bool refill();
    // While a frame streams in, waits until the line pauses or enough bytes have gathered;
    // false when the caller should get control back first.
    bool frame_paused();
    // When the caller has said how many bytes complete the frame: waits until they are queued,
    // looking only when they should all be there. false when the caller should get control
    // back first.
    bool rest_gathered();
    bool start_read(DWORD queued);
    // Takes the finished read's bytes; false when it brought none.
    bool finish_read();
    void finish_write(DWORD wait_ms);
    long long now_us() const;

    HANDLE port_ = INVALID_HANDLE_VALUE;
    // One read is outstanding at a time. It owns its OVERLAPPED and buffer until it completes
    // or is cancelled, so both live here and not on a caller's stack.
    OVERLAPPED read_ov_{};
    bool read_pending_ = false;
    std::array<std::uint8_t, 256> read_buf_{};
    std::size_t read_at_ = 0;
    std::size_t read_end_ = 0;
    // Bytes arrived lately, so the rest of a frame is probably on its way: the queue as last
    // looked at, and when.
    bool streaming_ = false;
    DWORD seen_queued_ = 0;
    long long seen_at_us_ = 0;
    // The most bytes left gathering, from how long the caller took over the last batch.
    DWORD gather_limit_ = 256;
    std::size_t batch_size_ = 0;
    // Bytes the caller still expects to complete the current frame, beyond the read buffer.
    std::size_t expected_ = 0;
    long long batch_at_us_ = 0;
    LARGE_INTEGER ticks_per_s_{};
    // Likewise the last write, which is handed to the driver and not waited for.
    OVERLAPPED write_ov_{};
    bool write_pending_ = false;
    std::vector<std::uint8_t> write_buf_;
};

} // namespace kalmo::platform
