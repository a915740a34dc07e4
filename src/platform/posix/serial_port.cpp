#include "platform/posix/serial_port.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <string>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include "platform/posix/files.h"

namespace kalmo::platform {

namespace {

void set_dtr(int fd, bool raised) {
    // A pseudo-terminal has no modem lines; that is no reason to refuse it.
    int bits = TIOCM_DTR;
    (void)::ioctl(fd, raised ? TIOCMBIS : TIOCMBIC, &bits);
}

void sleep_us(long us) {
    timespec t{us / 1000000, (us % 1000000) * 1000L};
    while (::nanosleep(&t, &t) != 0 && errno == EINTR) {
    }
}

} // namespace

PosixSerialPort::~PosixSerialPort() {
    close();
}

bool PosixSerialPort::open(const std::string& name) {
    if (fd_ >= 0) return false;
    const int fd = ::open(name.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    // Nobody else may use the line while a transfer runs: the lock keeps out every program that
    // locks too, TIOCEXCL every other opener that is not privileged.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || !::isatty(fd)) {
        ::close(fd);
        return false;
    }
    (void)::ioctl(fd, TIOCEXCL);

    termios tio{};
    if (::tcgetattr(fd, &tio) != 0) {
        ::flock(fd, LOCK_UN);
        ::close(fd);
        return false;
    }
    // Binary 8N1: nothing may be translated, and XON/XOFF would eat record bytes 0x11 and 0x13.
    ::cfmakeraw(&tio);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    ::cfsetispeed(&tio, B4800);
    ::cfsetospeed(&tio, B4800);
    ::tcflush(fd, TCIOFLUSH);
    if (::tcsetattr(fd, TCSANOW, &tio) != 0) {
        (void)::ioctl(fd, TIOCNXCL);
        ::flock(fd, LOCK_UN);
        ::close(fd);
        return false;
    }
    set_dtr(fd, true);
    fd_ = fd;
    return true;
}

void PosixSerialPort::close() {
    if (fd_ < 0) return;
    set_dtr(fd_, false);
    ::tcflush(fd_, TCIOFLUSH);
    (void)::ioctl(fd_, TIOCNXCL);
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
    fd_ = -1;
}

bool PosixSerialPort::write(std::span<const std::uint8_t> bytes) {
    if (fd_ < 0) return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return false;
        // The output queue is full: wait for the line to take some, but not for ever.
        pollfd p{fd_, POLLOUT, 0};
        const int ready = ::poll(&p, 1, kWriteWaitMs);
        if (ready <= 0 || (p.revents & (POLLERR | POLLHUP | POLLNVAL))) return false;
    }
    return true;
}

std::size_t PosixSerialPort::read(std::span<std::uint8_t> into, std::chrono::milliseconds wait) {
    if (fd_ < 0) return 0;
    using Clock = std::chrono::steady_clock;
    const Clock::time_point end = Clock::now() + wait;
    std::size_t got = 0;
    while (got < into.size()) {
        const ssize_t n = ::read(fd_, into.data() + got, into.size() - got);
        if (n > 0) {
            got += static_cast<std::size_t>(n);
            continue;
        }
        const auto left = std::chrono::ceil<std::chrono::microseconds>(end - Clock::now());
        if (left.count() <= 0) break;
        // Raw and non-blocking, an empty queue reads as 0 (or EAGAIN); anything else is a line
        // that has hung up and reports so at once and for ever. It is waited out as if it were
        // silent, so that a receive does not spin until its deadline.
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
            sleep_us(static_cast<long>(left.count()));
            break;
        }
        if (got > 0) {
            // The rest is on its way at the line's pace: waking for each byte of it would cost
            // more than the whole transfer is worth, so the missing bytes are given the time
            // they need on the line before the next look. A far end that is slower only makes
            // that look come up short, and the next one waits for the rest again.
            const long need = static_cast<long>(into.size() - got) * kByteUs;
            sleep_us(std::min<long>(need, static_cast<long>(left.count())));
            continue;
        }
        pollfd p{fd_, POLLIN, 0};
        const int ready = ::poll(&p, 1, static_cast<int>((left.count() + 999) / 1000));
        if (ready < 0 && errno != EINTR) break;
        if (ready > 0 && !(p.revents & POLLIN)) {
            sleep_us(static_cast<long>(left.count()));
            break;
        }
    }
    return got;
}

void PosixSerialPort::discard_input() {
    if (fd_ < 0) return;
    ::tcflush(fd_, TCIFLUSH);
}

} // namespace kalmo::platform

#include "platform/serial.h"

namespace kalmo::platform {

std::unique_ptr<link::SerialPort> make_serial_port() {
    return std::make_unique<PosixSerialPort>();
}

std::string serial_device(const std::string& port) {
    int n = 0;
    char tail = 0;
    if (std::sscanf(port.c_str(), "COM%d%c", &n, &tail) == 1 && n >= 1 && n <= 4)
        return "/dev/ttyS" + std::to_string(n - 1);
    return port;
}

} // namespace kalmo::platform
