#include "platform/win32/serial_port.h"

#include <timeapi.h>

#include <algorithm>
#include <cstdio>

#include "platform/serial.h"
#include "platform/win32/ports.h"

namespace kalmo::platform {

Win32SerialPort::Win32SerialPort() {
    read_ov_.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    write_ov_.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    QueryPerformanceFrequency(&ticks_per_s_);
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
    // The waits while a frame comes in are a few milliseconds; the system's default timer
    // tick (about 16 ms on Windows) would stretch each of them to a whole tick.
    timeBeginPeriod(1);
    port_ = h;
    read_pending_ = write_pending_ = streaming_ = false;
    read_at_ = read_end_ = batch_size_ = expected_ = 0;
    gather_limit_ = static_cast<DWORD>(read_buf_.size());
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
    read_pending_ = write_pending_ = streaming_ = false;
    read_at_ = read_end_ = 0;
    CloseHandle(port_);
    port_ = INVALID_HANDLE_VALUE;
    timeEndPeriod(1);
}

void Win32SerialPort::clear_errors(DWORD* queued) {
    DWORD errors = 0;
    COMSTAT stat{};
    if (ClearCommError(port_, &errors, &stat) && queued) *queued = stat.cbInQue;
}

void Win32SerialPort::finish_write(DWORD wait_ms) {
    if (!write_pending_) return;
    // Looking at the OVERLAPPED costs nothing; a wait is a call into the system.
    if (!HasOverlappedIoCompleted(&write_ov_) &&
        WaitForSingleObject(write_ov_.hEvent, wait_ms) != WAIT_OBJECT_0) {
        // Stuck beyond its own time-out: give it up rather than reuse its buffer while live.
        // Only the write: a pending read keeps its bytes.
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

long long Win32SerialPort::now_us() const {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t.QuadPart / ticks_per_s_.QuadPart * 1000000 +
           t.QuadPart % ticks_per_s_.QuadPart * 1000000 / ticks_per_s_.QuadPart;
}

DWORD Win32SerialPort::queued() {
    DWORD n = 0;
    clear_errors(&n);
    return n;
}

bool Win32SerialPort::start_read(DWORD queued) {
    // Whatever is already queued comes in one read; otherwise one byte is awaited. More than
    // is queued would wait for the rest until the read time-out. ReadFile resets the event.
    const DWORD want = static_cast<DWORD>(std::clamp<std::size_t>(queued, 1, read_buf_.size()));
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
    // A read that timed out (ERROR_TIMEOUT under Wine) may still have brought bytes: they are
    // the line's and must not be dropped.
    if (!ok) clear_errors();
    read_at_ = 0;
    read_end_ = std::min<std::size_t>(n, read_buf_.size());
    return read_end_ > 0;
}

bool Win32SerialPort::frame_paused() {
    // Inside a frame the bytes come one every two milliseconds. A read costs several calls
    // into the system (under Wine as many round trips to its server), and so does waking for
    // every byte; a look at the queue costs almost nothing. So the bytes are left in the
    // driver while they keep coming, and the run is read once the line pauses, which is where
    // a frame ends, or once as many have gathered as the caller should get at a time (see
    // refill). A frame's last byte is held back a few byte times at most.
    const long long give_back = now_us() + kReadWaitMs * 1000LL;
    bool confirming = false;
    while (seen_queued_ < gather_limit_) {
        Sleep(confirming ? kConfirmMs : kLookMs);
        const DWORD now = queued();
        const long long at = now_us();
        const long long came = static_cast<long long>(now) - seen_queued_;
        // Fewer new bytes than the line could have brought in the time, by more than the
        // jitter of both ends.
        const bool slowed = (came + 1) * kByteUs < at - seen_at_us_;
        seen_queued_ = now;
        seen_at_us_ = at;
        // Nothing at all for a while is a pause. A line that merely slowed down may be a
        // far end that woke late and is about to send what is due: one more short look
        // tells, which spares a read in the middle of a frame.
        if (slowed && (came == 0 || confirming)) return true;
        confirming = slowed;
        if (at >= give_back) return false;
    }
    return true;
}

bool Win32SerialPort::rest_gathered() {
    // The rest of a frame comes at the line's pace, so its time is known: one look when it
    // should all be there, instead of a look every few milliseconds and a read at the end.
    // Each wait is bounded so the caller still pumps its messages and watches its deadline.
    const long long give_back = now_us() + kReadWaitMs * 1000LL;
    const DWORD want = static_cast<DWORD>(std::min(expected_, read_buf_.size()));
    DWORD have = queued();
    while (have < want) {
        const long long left_us = give_back - now_us();
        if (left_us <= 0) return false;
        // The time the missing bytes need on the line, and a millisecond for the far end's
        // jitter: the look after it usually finds the frame complete.
        const long long need_us = (want - have) * kByteUs;
        Sleep(static_cast<DWORD>(std::min(need_us, left_us) / 1000 + 1));
        const DWORD now = queued();
        if (now == have) {
            // The line stopped short of the frame (a fault, or a far end that paused): what
            // came is handed out now, and the port goes back to watching for pauses.
            expected_ = 0;
            return now > 0;
        }
        have = now;
    }
    return true;
}

bool Win32SerialPort::refill() {
    if (batch_size_ > 0) {
        // The caller has just used up the last batch. Whatever it spends on each byte (a
        // window program pumps its messages after every one) it spends again on the bytes
        // held back until a frame's end, after the line has gone quiet. So the run left to
        // gather is kept to what the caller gets through in about two milliseconds.
        if (batch_size_ >= 8) {
            const long long per_byte = (now_us() - batch_at_us_) / batch_size_;
            gather_limit_ = static_cast<DWORD>(std::clamp<long long>(
                kTailUs / std::max(per_byte, 1LL), 16, static_cast<long long>(read_buf_.size())));
        }
        batch_size_ = 0;
    }
    bool waiting_for_line = true;
    if (!read_pending_) {
        if (expected_ > 0 ? !rest_gathered() : streaming_ && !frame_paused()) return false;
        const DWORD ready = queued();
        waiting_for_line = ready == 0;
        if (!start_read(ready)) return false;
    }
    if (read_pending_) {
        // Bytes already queued come at once: no need to watch the message queue meanwhile,
        // which is one more call into the system. Otherwise wake for the byte or for a
        // message, whichever comes first; the read stays pending across calls until it
        // completes.
        const DWORD r = waiting_for_line ? MsgWaitForMultipleObjects(1, &read_ov_.hEvent, FALSE,
                                                                     kReadWaitMs, QS_ALLINPUT)
                                         : WaitForSingleObject(read_ov_.hEvent, kReadWaitMs);
        if (r != WAIT_OBJECT_0) {
            // A message ends the wait so the caller can pump. Looking at the queue marks what
            // is there as seen: a caller that pumps only now and then must not find every
            // following wait ended at once by the same message.
            MSG msg;
            if (r == WAIT_OBJECT_0 + 1) PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_NOYIELD);
            return false;
        }
        finish_read();
    }
    // What the read brought is no longer to come.
    expected_ -= std::min(expected_, read_end_);
    streaming_ = read_at_ < read_end_;
    if (streaming_) {
        seen_queued_ = queued();
        seen_at_us_ = batch_at_us_ = now_us();
        batch_size_ = read_end_;
    }
    return streaming_;
}

int Win32SerialPort::read_byte(std::uint8_t& byte) {
    if (!is_open()) return 0;
    if (read_at_ == read_end_ && !refill()) return 0;
    byte = read_buf_[read_at_++];
    return 1;
}

void Win32SerialPort::discard_input() {
    if (!is_open()) return;
    if (read_pending_) {
        // The outstanding read may already hold bytes from before this call. Only the read is
        // cancelled: a write still on its way must leave complete.
        CancelIoEx(port_, &read_ov_);
        DWORD n = 0;
        if (!GetOverlappedResult(port_, &read_ov_, &n, TRUE)) clear_errors();
        read_pending_ = false;
    }
    PurgeComm(port_, PURGE_RXCLEAR);
    read_at_ = read_end_ = batch_size_ = expected_ = 0;
    streaming_ = false;
}

void Win32SerialPort::expect(std::size_t bytes) {
    // Bytes already in the read buffer are part of what is expected.
    const std::size_t buffered = read_end_ - read_at_;
    expected_ = bytes > buffered ? bytes - buffered : 0;
}

std::unique_ptr<link::SerialPort> make_serial_port() {
    return std::make_unique<Win32SerialPort>();
}

std::string serial_device(const std::string& port) {
    return port;
}

} // namespace kalmo::platform
