#include "platform/win32/serial_port.h"

#include <algorithm>
#include <cstdio>

#include "platform/serial.h"

namespace kalmo::platform {

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
    // The device namespace prefix also reaches COM10 and above.
    const std::string device = name.rfind("\\\\.\\", 0) == 0 ? name : "\\\\.\\" + name;
    HANDLE h = CreateFileA(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_FLAG_OVERLAPPED | FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    SetCommMask(h, EV_RXCHAR);
    SetupComm(h, 4096, 4096);
    PurgeComm(h, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR);
    COMMTIMEOUTS t{};
    t.ReadIntervalTimeout = MAXDWORD;
    t.ReadTotalTimeoutMultiplier = 0;
    t.ReadTotalTimeoutConstant = 1000;
    t.WriteTotalTimeoutMultiplier = 0;
    t.WriteTotalTimeoutConstant = 1000;
    SetCommTimeouts(h, &t);
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
    read_pending_ = write_pending_ = false;
    read_at_ = read_end_ = 0;
    return true;
}

void Win32SerialPort::close() {
    if (!is_open()) return;
    EscapeCommFunction(port_, CLRDTR);
    PurgeComm(port_, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR);
    // The outstanding operations still own their buffers until they are over.
    if (read_pending_ || write_pending_) CancelIo(port_);
    DWORD n = 0;
    if (read_pending_) GetOverlappedResult(port_, &read_ov_, &n, TRUE);
    if (write_pending_) GetOverlappedResult(port_, &write_ov_, &n, TRUE);
    read_pending_ = write_pending_ = false;
    read_at_ = read_end_ = 0;
    CloseHandle(port_);
    port_ = INVALID_HANDLE_VALUE;
}

void Win32SerialPort::clear_errors(DWORD* queued) {
    DWORD errors = 0;
    COMSTAT stat{};
    if (ClearCommError(port_, &errors, &stat) && queued) *queued = stat.cbInQue;
}

void Win32SerialPort::finish_write(DWORD wait_ms) {
    if (!write_pending_) return;
    if (WaitForSingleObject(write_ov_.hEvent, wait_ms) != WAIT_OBJECT_0) {
        // Stuck beyond its own time-out: give it up rather than reuse its buffer while live.
        CancelIo(port_);
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
    ResetEvent(write_ov_.hEvent);
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

bool Win32SerialPort::start_read() {
    DWORD queued = 0;
    clear_errors(&queued);
    // Whatever is already queued comes in one read; otherwise one byte is awaited.
    const DWORD want = static_cast<DWORD>(std::clamp<std::size_t>(queued, 1, read_buf_.size()));
    ResetEvent(read_ov_.hEvent);
    read_ov_.Offset = read_ov_.OffsetHigh = 0;
    read_at_ = read_end_ = 0;
    DWORD n = 0;
    if (ReadFile(port_, read_buf_.data(), want, &n, &read_ov_)) {
        read_end_ = n;
        return true;
    }
    if (GetLastError() == ERROR_IO_PENDING) {
        read_pending_ = true;
        return true;
    }
    clear_errors();
    return false;
}

bool Win32SerialPort::finish_read() {
    DWORD n = 0;
    const BOOL ok = GetOverlappedResult(port_, &read_ov_, &n, FALSE);
    read_pending_ = false;
    // A read that timed out (ERROR_TIMEOUT under Wine) simply brought nothing.
    if (!ok) {
        clear_errors();
        n = 0;
    }
    read_at_ = 0;
    read_end_ = n;
    return n > 0;
}

int Win32SerialPort::read_byte(std::uint8_t& byte) {
    if (!is_open()) return 0;
    if (read_at_ == read_end_) {
        if (!read_pending_) {
            if (!start_read()) return 0;
        }
        if (read_pending_) {
            // Wake for the byte or for a message, whichever comes first; the read stays
            // pending across calls until it completes.
            const DWORD r =
                MsgWaitForMultipleObjects(1, &read_ov_.hEvent, FALSE, kReadWaitMs, QS_ALLINPUT);
            if (r != WAIT_OBJECT_0) return 0;
            if (!finish_read()) return 0;
        }
        if (read_at_ == read_end_) return 0;
    }
    byte = read_buf_[read_at_++];
    return 1;
}

void Win32SerialPort::discard_input() {
    if (!is_open()) return;
    if (read_pending_) {
        // Only the read is given up; a write still on its way must go out. Its bytes, if it
        // completed meanwhile, are old ones too.
        CancelIoEx(port_, &read_ov_);
        DWORD n = 0;
        if (!GetOverlappedResult(port_, &read_ov_, &n, TRUE)) clear_errors();
        read_pending_ = false;
    }
    PurgeComm(port_, PURGE_RXCLEAR);
    read_at_ = read_end_ = 0;
}

std::unique_ptr<link::SerialPort> make_serial_port() {
    return std::make_unique<Win32SerialPort>();
}

std::string serial_device(const std::string& port) {
    return port;
}

} // namespace kalmo::platform
