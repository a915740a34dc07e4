#pragma once
// The serial line to the exchange, as the link needs it. Each platform implements it over its
// own serial interface.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace kalmo::link {

class SerialPort {
public:
    virtual ~SerialPort() = default;
    // Opens and configures the port: 4800 bit/s, 8 data bits, no parity, 1 stop bit, raw; DTR
    // raised; both queues purged. Refuses a port another program holds open. false leaves no
    // port open.
    virtual bool open(const std::string& name) = 0;
    // Lowers DTR, discards what is queued in both directions, closes. Harmless when closed.
    virtual void close() = 0;
    // Hands all bytes to the driver without waiting for them to leave; false on failure or
    // when no port is open.
    virtual bool write(std::span<const std::uint8_t> bytes) = 0;
    // Waits until `into` is full or `wait` has passed, whichever comes first, and returns how
    // many bytes arrived: at least one unless the wait passed without any (or no port is open).
    // Bytes that arrive after the call are left for the next one.
    virtual std::size_t read(std::span<std::uint8_t> into, std::chrono::milliseconds wait) = 0;
    // Throws away every byte received so far. Bytes that arrive afterwards are read as usual.
    virtual void discard_input() = 0;
};

} // namespace kalmo::link
