#include "platform/win32/serial_port.h"

#include <algorithm>

#include "platform/serial.h"
#include "platform/win32/ports.h"

namespace kalmo::platform {

// Writes are handed over within a second; a read ends once full or once `read_ms` has passed.
static bool set_read_timeout(HANDLE port, DWORD read_ms) {
    COMMTIMEOUTS t{0, 0, read_ms, 0, 1000};
    return SetCommTimeouts(port, &t) != FALSE;
}

Win32SerialPort::Win32SerialPort() {
    read_ov_.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    write_ov_.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
}

Win32SerialPort::~Win32SerialPort() {
    close();
    if (read_ov_.hEvent) CloseHandle(read_ov_.hEvent);
    if (write_ov_.hEvent) CloseHandle(write_ov_.hEvent);
}

bool Win32SerialPort::open(const std::string& name) {
    if (is_open() || !read_ov_.hEvent || !write_ov_.hEvent) return false;
    HANDLE h = CreateFileA(port_device(name).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                           OPEN_EXISTING, FILE_FLAG_OVERLAPPED | FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    SetCommMask(h, EV_RXCHAR);
    SetupComm(h, 4096, 4096);
    PurgeComm(h, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR);
    read_timeout_ms_ = set_read_timeout(h, 1000) ? 1000 : 0;
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    GetCommState(h, &dcb);
    dcb.BaudRate = 4800;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    dcb.fParity = TRUE;
    if (!SetCommState(h, &dcb)) {
        CloseHandle(h);
        return false;
    }
    // A line without modem signals (a pseudo-terminal under Wine) refuses DTR: no reason to
    // refuse the line.
    EscapeCommFunction(h, SETDTR);
    port_ = h;
    write_pending_ = false;
    return true;
}

void Win32SerialPort::close() {
    if (!is_open()) return;
    EscapeCommFunction(port_, CLRDTR);
    PurgeComm(port_, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR);
    // A write still on its way (the purge aborted it) owns its buffer until it is over.
    finish_write(0);
    CloseHandle(port_);
    port_ = INVALID_HANDLE_VALUE;
}

DWORD Win32SerialPort::clear_errors() {
    DWORD errors = 0;
    COMSTAT stat{};
    return ClearCommError(port_, &errors, &stat) ? stat.cbInQue : 0;
}

void Win32SerialPort::finish_write(DWORD wait_ms) {
    if (!write_pending_) return;
    // Looking at the OVERLAPPED costs nothing; a wait is a call into the system.
    if (!HasOverlappedIoCompleted(&write_ov_) &&
        WaitForSingleObject(write_ov_.hEvent, wait_ms) != WAIT_OBJECT_0) {
        // Stuck beyond its own time-out: give it up rather than reuse its buffer while live.
        CancelIoEx(port_, &write_ov_);
    }
    DWORD n = 0;
    if (!GetOverlappedResult(port_, &write_ov_, &n, TRUE)) clear_errors();
    write_pending_ = false;
}

bool Win32SerialPort::write(std::span<const std::uint8_t> bytes) {
    if (!is_open()) return false;
    // The previous write normally left long ago; its buffer is reused only once it has.
    finish_write(2000);
    if (bytes.empty()) return true;
    write_buf_.assign(bytes.begin(), bytes.end());
    // WriteFile resets the event itself.
    write_ov_.Offset = write_ov_.OffsetHigh = 0;
    DWORD n = 0;
    if (WriteFile(port_, write_buf_.data(), static_cast<DWORD>(write_buf_.size()), &n, &write_ov_))
        return true;
    if (GetLastError() == ERROR_IO_PENDING) {
        write_pending_ = true;
        return true;
    }
    clear_errors();
    return false;
}

std::size_t Win32SerialPort::read_waiting(std::span<std::uint8_t> into, std::int64_t wait_ms) {
    const auto ms = static_cast<DWORD>(wait_ms);
    if (ms != read_timeout_ms_ && !set_read_timeout(port_, ms)) return 0;
    read_timeout_ms_ = ms;
    read_ov_.Offset = read_ov_.OffsetHigh = 0;
    DWORD n = 0;
    if (!ReadFile(port_, into.data(), static_cast<DWORD>(into.size()), &n, &read_ov_)) {
        if (GetLastError() != ERROR_IO_PENDING) {
            clear_errors();
            return 0;
        }
        // The driver's time-out ends the read; the wait only guards against a driver that
        // never does. The read owns the caller's buffer until it is over, cancelled or not.
        if (WaitForSingleObject(read_ov_.hEvent, ms + kStuckMs) != WAIT_OBJECT_0)
            CancelIoEx(port_, &read_ov_);
        // A read that timed out (ERROR_TIMEOUT under Wine) may still have brought bytes: they
        // are the line's and must not be dropped.
        if (!GetOverlappedResult(port_, &read_ov_, &n, TRUE)) clear_errors();
    }
    return std::min<std::size_t>(n, into.size());
}

std::size_t Win32SerialPort::take_queued(std::span<std::uint8_t> into) {
    // Queued bytes end the read at once, whatever its time-out: the one set is kept.
    const std::size_t queued = std::min<std::size_t>(into.size(), clear_errors());
    return queued > 0 ? read_waiting(into.first(queued), read_timeout_ms_) : 0;
}

std::size_t Win32SerialPort::read(std::span<std::uint8_t> into, std::chrono::milliseconds wait) {
    if (!is_open() || into.empty()) return 0;
    // A total time-out of 0 would mean none at all: the shortest wait is a millisecond.
    return paced_read(into, std::clamp<long long>(wait.count(), 1, 60000));
}

void Win32SerialPort::discard_input() {
    if (!is_open()) return;
    PurgeComm(port_, PURGE_RXCLEAR);
}

std::unique_ptr<link::SerialPort> make_serial_port() {
    return std::make_unique<Win32SerialPort>();
}

std::string serial_device(const std::string& port) {
    return port;
}

} // namespace kalmo::platform
