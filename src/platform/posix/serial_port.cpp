#include "platform/posix/serial_port.h"

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
    const std::string path = ansi_to_utf8(name);
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
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
    pending_at_ = pending_end_ = 0;
    streaming_ = false;
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
    pending_at_ = pending_end_ = 0;
    streaming_ = false;
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

int PosixSerialPort::read_byte(std::uint8_t& byte) {
    if (fd_ < 0) return 0;
    if (pending_at_ == pending_end_ && !refill()) return 0;
    byte = pending_[pending_at_++];
    return 1;
}

void PosixSerialPort::discard_input() {
    if (fd_ < 0) return;
    ::tcflush(fd_, TCIFLUSH);
    pending_at_ = pending_end_ = 0;
    streaming_ = false;
}

bool PosixSerialPort::refill() {
    pending_at_ = pending_end_ = 0;
    if (streaming_) {
        // In the middle of a frame the bytes come one every two milliseconds; waking for each
        // of them would cost more CPU than the whole transfer is worth. Let a few gather.
        sleep_us(kGatherUs);
        const ssize_t n = ::read(fd_, pending_.data(), pending_.size());
        if (n > 0) {
            pending_end_ = static_cast<std::size_t>(n);
            return true;
        }
        streaming_ = false;
    }
    pollfd p{fd_, POLLIN, 0};
    const int ready = ::poll(&p, 1, kReadWaitMs);
    if (ready <= 0) return false;
    ssize_t n = 0;
    bool transient = false;
    if (p.revents & POLLIN) {
        n = ::read(fd_, pending_.data(), pending_.size());
        transient = n < 0 && (errno == EAGAIN || errno == EINTR);
    }
    if (n > 0) {
        pending_end_ = static_cast<std::size_t>(n);
        streaming_ = true;
        return true;
    }
    // A hung-up line reports at once and for ever; wait as if it were merely silent so that a
    // receive does not spin until its deadline.
    if (!transient) sleep_us(kReadWaitMs * 1000);
    return false;
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
