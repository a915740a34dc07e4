#pragma once
// The serial port of the platform, for the front ends.
#include <memory>
#include <string>

#include "core/link/serial_port.h"

namespace kalmo::platform {

std::unique_ptr<link::SerialPort> make_serial_port();

// The device for a port name: on Windows "COM%d" itself; elsewhere "COM1".."COM4" name the
// first four serial devices and anything else is taken as a device path.
std::string serial_device(const std::string& port);

} // namespace kalmo::platform
