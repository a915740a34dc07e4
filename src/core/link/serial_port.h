#pragma once
// The serial line to the exchange, as the link needs it. Each platform implements it over its
// own serial interface.
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
    // At most one byte: 1 when `byte` was filled, 0 when none arrived within a short bounded
    // wait (never longer than one second) or no port is open.
    virtual int read_byte(std::uint8_t& byte) = 0;
    // Throws away every byte received so far: what the driver holds and what the port has already
    // taken into a buffer of its own. Bytes that arrive afterwards are read as usual.
    virtual void discard_input() = 0;
    // The caller's next `bytes` bytes belong together (the rest of a frame whose length it has
    // just read): a port may let them gather and hand them out together, as long as none comes
    // later than the last of them would have come alone. 0 ends the hint. Only a hint: what
    // read_byte returns and how long it waits stay as above.
    virtual void expect(std::size_t bytes) { (void)bytes; }
};

} // namespace kalmo::link
