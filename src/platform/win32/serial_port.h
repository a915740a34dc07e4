#pragma once
// The exchange's serial line on a Windows communications port, opened for overlapped I/O.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/link/serial_port.h"
#include "platform/paced_read.h"

namespace kalmo::platform {

class Win32SerialPort : public link::SerialPort, private PacedLine {
public:
    // How much longer than its own time-out a read is given before it counts as stuck.
    static constexpr DWORD kStuckMs = 2000;

    Win32SerialPort();
    ~Win32SerialPort() override;
    Win32SerialPort(const Win32SerialPort&) = delete;
    Win32SerialPort& operator=(const Win32SerialPort&) = delete;

    // "COM1" or "\\.\COM1".
    bool open(const std::string& name) override;
    void close() override;
    bool write(std::span<const std::uint8_t> bytes) override;
    std::size_t read(std::span<std::uint8_t> into, std::chrono::milliseconds wait) override;
    void discard_input() override;

    bool is_open() const { return port_ != INVALID_HANDLE_VALUE; }

private:
    // Clears a line error so that I/O goes on; the number of bytes queued.
    DWORD clear_errors();
    // One overlapped read, ended by the driver's time-out.
    std::size_t read_waiting(std::span<std::uint8_t> into, std::int64_t wait_ms) override;
    std::size_t take_queued(std::span<std::uint8_t> into) override;
    void sleep_ms(std::int64_t ms) override { Sleep(static_cast<DWORD>(ms)); }
    void finish_write(DWORD wait_ms);

    HANDLE port_ = INVALID_HANDLE_VALUE;
    // A read is over before read() returns; its event is kept for the next one.
    OVERLAPPED read_ov_{};
    // The read time-out the port is set to, so that it is set again only when it changes.
    DWORD read_timeout_ms_ = 0;
    // The last write is handed to the driver and not waited for: it owns its OVERLAPPED and
    // buffer until it has left, so both live here and not on a caller's stack.
    OVERLAPPED write_ov_{};
    bool write_pending_ = false;
    std::vector<std::uint8_t> write_buf_;
};

} // namespace kalmo::platform
