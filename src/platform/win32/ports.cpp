#include "platform/win32/ports.h"

#include <windows.h>
// initguid.h first: devguid.h then defines the class GUIDs here instead of only declaring them.
#include <initguid.h>
// (kept apart so that sorting the includes keeps that order)
#include <devguid.h>
#include <setupapi.h>

#include <cstdlib>
#include <cstring>

namespace kalmo::platform {

namespace {

// n of "COMn", or 0 for any other name (parallel ports share the device class).
unsigned com_number(const char* name) {
    if (_strnicmp(name, "COM", 3) != 0) return 0;
    char* end = nullptr;
    const unsigned long n = std::strtoul(name + 3, &end, 10);
    return end != name + 3 && *end == '\0' && n <= 256 ? static_cast<unsigned>(n) : 0;
}

std::string registry_text(HKEY key, const char* value) {
    char text[256] = {};
    DWORD size = sizeof text - 1;
    DWORD type = 0;
    if (RegQueryValueExA(key, value, nullptr, &type, reinterpret_cast<BYTE*>(text), &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ)
        return {};
    return std::string(text, strnlen(text, sizeof text));
}

// The device manager's view: each port's device with its friendly name. Wine has no such
// devices for the ports it maps, so this alone would miss them.
void add_port_devices(std::vector<app::PresentPort>& ports) {
    HDEVINFO set = SetupDiGetClassDevsA(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT);
    if (set == INVALID_HANDLE_VALUE) return;
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    for (DWORD i = 0; SetupDiEnumDeviceInfo(set, i, &device); ++i) {
        HKEY key =
            SetupDiOpenDevRegKey(set, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_QUERY_VALUE);
        if (key == INVALID_HANDLE_VALUE) continue;
        const unsigned number = com_number(registry_text(key, "PortName").c_str());
        RegCloseKey(key);
        if (number == 0) continue;
        char name[256] = {};
        if (!SetupDiGetDeviceRegistryPropertyA(set, &device, SPDRP_FRIENDLYNAME, nullptr,
                                               reinterpret_cast<BYTE*>(name), sizeof name - 1,
                                               nullptr))
            SetupDiGetDeviceRegistryPropertyA(set, &device, SPDRP_DEVICEDESC, nullptr,
                                              reinterpret_cast<BYTE*>(name), sizeof name - 1,
                                              nullptr);
        ports.push_back({number, std::string(name, strnlen(name, sizeof name))});
    }
    SetupDiDestroyDeviceInfoList(set);
}

// Every port the serial drivers have made, Wine's mapped ports included; no names.
void add_serial_map(std::vector<app::PresentPort>& ports) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_QUERY_VALUE,
                      &key) != ERROR_SUCCESS)
        return;
    for (DWORD i = 0;; ++i) {
        char value[256];
        DWORD value_size = sizeof value;
        char data[64] = {};
        DWORD data_size = sizeof data - 1;
        DWORD type = 0;
        const LONG got = RegEnumValueA(key, i, value, &value_size, nullptr, &type,
                                       reinterpret_cast<BYTE*>(data), &data_size);
        if (got == ERROR_NO_MORE_ITEMS) break;
        if (got != ERROR_SUCCESS || type != REG_SZ) continue;
        if (const unsigned number = com_number(data)) ports.push_back({number, {}});
    }
    RegCloseKey(key);
}

} // namespace

std::vector<app::PresentPort> present_serial_ports() {
    std::vector<app::PresentPort> ports;
    add_port_devices(ports);
    add_serial_map(ports);
    return ports;
}

std::string port_device(const std::string& name) {
    if (name.rfind("\\\\", 0) == 0) return name;
    return "\\\\.\\" + name;
}

} // namespace kalmo::platform
