#pragma once
// The exchange's serial line on a POSIX terminal device (a real port or a pseudo-terminal).
#include <array>
#include <cstddef>
#include <cstdint>

#include "core/link/serial_port.h"

namespace kalmo::platform {

class PosixSerialPort : public link::SerialPort {
public:
    // How long read_byte waits for a byte when none is queued.
    static constexpr int kReadWaitMs = 50;
    // While bytes are coming in, how long to let them gather before the next read: three byte
    // times at 4800 bit/s. It is also the most a frame's last byte can be held back.
    static constexpr long kGatherUs = 6250;
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
    int read_byte(std::uint8_t& byte) override;
    void discard_input() override;

    bool is_open() const { return fd_ >= 0; }

private:
    bool refill();

    int fd_ = -1;
    bool streaming_ = false;
    // Bytes already taken from the driver but not yet handed out: one read call may bring
    // several, and none of them may be lost.
    std::array<std::uint8_t, 256> pending_{};
    std::size_t pending_at_ = 0;
    std::size_t pending_end_ = 0;
};

} // namespace kalmo::platform
