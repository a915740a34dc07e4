#pragma once
// The serial ports the machine has, and the name under which one is opened.
#include <string>
#include <vector>

#include "core/app/shell.h"

namespace kalmo::platform {

// Every serial port present now, with the name the system gives its device where it has one.
std::vector<app::PresentPort> present_serial_ports();

// The name CreateFile opens a port by: "COM10" and above exist only in the device namespace
// ("\\.\COM12"), which reaches COM1 to COM9 as well.
std::string port_device(const std::string& name);

} // namespace kalmo::platform
