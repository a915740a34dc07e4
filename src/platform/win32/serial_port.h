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
    // How long one read_byte call waits for the pending read before it hands control back so
    // the caller can pump its messages. A message arriving in the queue ends the wait early.
    static constexpr DWORD kReadWaitMs = 50;

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

    bool is_open() const { return port_ != INVALID_HANDLE_VALUE; }

private:
    void clear_errors(DWORD* queued = nullptr);
    bool start_read();
    // Takes the finished read's bytes; false when it brought none.
    bool finish_read();
    void finish_write(DWORD wait_ms);

    HANDLE port_ = INVALID_HANDLE_VALUE;
    // One read is outstanding at a time. It owns its OVERLAPPED and buffer until it completes
    // or is cancelled, so both live here and not on a caller's stack.
    OVERLAPPED read_ov_{};
    bool read_pending_ = false;
    std::array<std::uint8_t, 256> read_buf_{};
    std::size_t read_at_ = 0;
    std::size_t read_end_ = 0;
    // Likewise the last write, which is handed to the driver and not waited for.
    OVERLAPPED write_ov_{};
    bool write_pending_ = false;
    std::vector<std::uint8_t> write_buf_;
};

} // namespace kalmo::platform
