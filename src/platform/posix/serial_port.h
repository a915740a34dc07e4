#pragma once
// The exchange's serial line on a POSIX terminal device (a real port or a pseudo-terminal).
#include <cstddef>
#include <cstdint>

#include "core/link/serial_port.h"

namespace kalmo::platform {

class PosixSerialPort : public link::SerialPort {
public:
    // One byte on the line at 4800 bit/s (start bit, 8 data bits, stop bit), in microseconds.
    static constexpr long kByteUs = 10 * 1000000L / 4800;
    // How long write waits for room in a full output queue before it gives up.
    static constexpr int kWriteWaitMs = 1000;

    PosixSerialPort() = default;
    ~PosixSerialPort() override;
    PosixSerialPort(const PosixSerialPort&) = delete;
    PosixSerialPort& operator=(const PosixSerialPort&) = delete;

    // `name` is a device path in the Windows character set.
    bool open(const std::string& name) override;
    void close() override;
    bool write(std::span<const std::uint8_t> bytes) override;
    std::size_t read(std::span<std::uint8_t> into, std::chrono::milliseconds wait) override;
    void discard_input() override;

    bool is_open() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

} // namespace kalmo::platform
