// Pseudo-terminals stand in for the line; they exist on POSIX systems only.
#ifndef _WIN32
#include "platform/posix/serial_port.h"

#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace kalmo::platform {
namespace {

// A pseudo-terminal stands in for the serial line; the test holds the far end.
class PtyLine {
public:
    PtyLine() {
        char name[128] = {};
        if (::openpty(&master, &slave, name, nullptr, nullptr) == 0) path = name;
        // The raw settings of the port under test decide how bytes pass; leave them alone.
    }
    ~PtyLine() {
        if (master >= 0) ::close(master);
        if (slave >= 0) ::close(slave);
    }
    void send(const std::vector<std::uint8_t>& bytes) const {
        ASSERT_EQ(::write(master, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    int master = -1;
    int slave = -1;
    std::string path;
};

TEST(PosixSerialPort, NoDeviceNoPort) {
    PosixSerialPort port;
    EXPECT_FALSE(port.open("/dev/kalmo-no-such-port"));
    EXPECT_FALSE(port.is_open());
    char file[] = "/tmp/kalmo-not-a-tty-XXXXXX";
    const int fd = ::mkstemp(file);
    ASSERT_GE(fd, 0);
    EXPECT_FALSE(port.open(file)) << "a plain file is no serial line";
    ::close(fd);
    ::unlink(file);
}

TEST(PosixSerialPort, ClosedPortDoesNothing) {
    PosixSerialPort port;
    std::uint8_t b = 0;
    EXPECT_EQ(port.read_byte(b), 0);
    const std::uint8_t data[] = {1, 2};
    EXPECT_FALSE(port.write(data));
    port.close();
}

TEST(PosixSerialPort, OpenIsExclusiveAndRaw) {
    PtyLine line;
    ASSERT_FALSE(line.path.empty());
    PosixSerialPort port, other;
    ASSERT_TRUE(port.open(line.path));
    EXPECT_FALSE(other.open(line.path)) << "a port in use cannot be opened again";
    EXPECT_FALSE(port.open(line.path)) << "nor opened twice";

    termios tio{};
    ASSERT_EQ(::tcgetattr(line.slave, &tio), 0);
    EXPECT_EQ(::cfgetospeed(&tio), B4800);
    EXPECT_EQ(::cfgetispeed(&tio), B4800);
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB), 0u);
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(tio.c_iflag & (IXON | IXOFF | ICRNL | ISTRIP), 0u);
    EXPECT_EQ(tio.c_oflag & OPOST, 0u);

    port.close();
    EXPECT_TRUE(other.open(line.path)) << "free again after close";
}

TEST(PosixSerialPort, EveryByteArrivesInOrder) {
    PtyLine line;
    PosixSerialPort port;
    ASSERT_TRUE(port.open(line.path));
    std::vector<std::uint8_t> sent;
    for (int i = 0; i < 1000; ++i)
        sent.push_back(static_cast<std::uint8_t>(i * 7));
    line.send(sent); // more than one read call's worth, with 0x11, 0x13, 0x0D, 0x0A, 0x03 in it
    std::vector<std::uint8_t> got;
    for (int polls = 0; got.size() < sent.size() && polls < 2000; ++polls) {
        std::uint8_t b = 0;
        if (port.read_byte(b) == 1) got.push_back(b);
    }
    EXPECT_EQ(got, sent);

    const std::uint8_t out[] = {0x05, 0x62, 0x00, 0x0D, 0x45};
    ASSERT_TRUE(port.write(out));
    std::uint8_t back[8] = {};
    ASSERT_EQ(::read(line.master, back, sizeof back), 5);
    EXPECT_EQ(std::vector<std::uint8_t>(back, back + 5), std::vector<std::uint8_t>(out, out + 5));
}

TEST(PosixSerialPort, OpenDiscardsWhatWasQueued) {
    PtyLine line;
    line.send({1, 2, 3});
    PosixSerialPort port;
    ASSERT_TRUE(port.open(line.path));
    std::uint8_t b = 0;
    EXPECT_EQ(port.read_byte(b), 0);
}

TEST(PosixSerialPort, SilentLineReturnsSoon) {
    PtyLine line;
    PosixSerialPort port;
    ASSERT_TRUE(port.open(line.path));
    std::uint8_t b = 0;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(port.read_byte(b), 0);
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_LT(waited, std::chrono::milliseconds(1000)) << "within the read time-out";
}

TEST(PosixSerialPort, HungUpLineWaitsInsteadOfSpinning) {
    PtyLine line;
    PosixSerialPort port;
    ASSERT_TRUE(port.open(line.path));
    ::close(line.master);
    line.master = -1;
    std::uint8_t b = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(port.read_byte(b), 0);
    EXPECT_GE(std::chrono::steady_clock::now() - start,
              std::chrono::milliseconds(4 * PosixSerialPort::kReadWaitMs - 10));
}

} // namespace
} // namespace kalmo::platform

#endif
