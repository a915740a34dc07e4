// Pseudo-terminals stand in for the line; they exist on POSIX systems only.
#ifndef _WIN32
#include "platform/posix/serial_port.h"

#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <thread>
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
    std::uint8_t b[1] = {};
    EXPECT_EQ(port.read(b, std::chrono::milliseconds(10)), 0u);
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

using std::chrono::milliseconds;
using std::chrono::steady_clock;

TEST(PosixSerialPort, EveryByteArrivesInOrder) {
    PtyLine line;
    PosixSerialPort port;
    ASSERT_TRUE(port.open(line.path));
    std::vector<std::uint8_t> sent;
    for (int i = 0; i < 1000; ++i)
        sent.push_back(static_cast<std::uint8_t>(i * 7));
    line.send(sent); // more than a frame, with 0x11, 0x13, 0x0D, 0x0A, 0x03 in it
    std::vector<std::uint8_t> got(sent.size());
    std::size_t n = 0;
    for (int reads = 0; n < got.size() && reads < 100; ++reads)
        n += port.read({got.data() + n, std::min<std::size_t>(250, got.size() - n)},
                       milliseconds(1000));
    EXPECT_EQ(got, sent);

    const std::uint8_t out[] = {0x05, 0x62, 0x00, 0x0D, 0x45};
    ASSERT_TRUE(port.write(out));
    std::uint8_t back[8] = {};
    ASSERT_EQ(::read(line.master, back, sizeof back), 5);
    EXPECT_EQ(std::vector<std::uint8_t>(back, back + 5), std::vector<std::uint8_t>(out, out + 5));
}

TEST(PosixSerialPort, OpenAndDiscardDropWhatWasQueued) {
    PtyLine line;
    line.send({1, 2, 3});
    PosixSerialPort port;
    ASSERT_TRUE(port.open(line.path));
    std::uint8_t b[4] = {};
    EXPECT_EQ(port.read(b, milliseconds(50)), 0u);
    line.send({4, 5});
    // The pseudo-terminal passes the bytes on in its own time.
    for (auto until = steady_clock::now() + milliseconds(5000); steady_clock::now() < until;) {
        int queued = 0;
        ASSERT_EQ(::ioctl(line.slave, FIONREAD, &queued), 0);
        if (queued == 2) break;
    }
    port.discard_input();
    line.send({6});
    EXPECT_EQ(port.read(b, milliseconds(2000)), 1u) << "the wait ends with what came";
    EXPECT_EQ(b[0], 6);
}

TEST(PosixSerialPort, AReadWaitsForTheWholeSpanOrItsTime) {
    PtyLine line;
    PosixSerialPort port;
    ASSERT_TRUE(port.open(line.path));
    std::uint8_t b[10] = {};
    auto start = steady_clock::now();
    EXPECT_EQ(port.read(b, milliseconds(200)), 0u);
    auto waited = steady_clock::now() - start;
    EXPECT_GE(waited, milliseconds(200)) << "a silent line is waited for";
    EXPECT_LT(waited, milliseconds(1500));

    // A frame that comes at the line's pace, a byte every two milliseconds and a bit more,
    // is read in one call that ends when the last byte is in, long before the wait would.
    std::vector<std::uint8_t> frame(120);
    for (std::size_t i = 0; i < frame.size(); ++i)
        frame[i] = static_cast<std::uint8_t>(i + 1);
    std::thread far_end([&] {
        for (std::uint8_t byte : frame) {
            line.send({byte});
            std::this_thread::sleep_for(std::chrono::microseconds(2500));
        }
    });
    std::vector<std::uint8_t> got(frame.size());
    start = steady_clock::now();
    const std::size_t n = port.read(got, milliseconds(10000));
    waited = steady_clock::now() - start;
    far_end.join();
    EXPECT_EQ(n, frame.size());
    EXPECT_EQ(got, frame);
    EXPECT_LT(waited, milliseconds(5000));

    // A frame that stops short: what came is returned once the wait is over.
    line.send({9, 8, 7});
    start = steady_clock::now();
    EXPECT_EQ(port.read(b, milliseconds(300)), 3u);
    EXPECT_GE(steady_clock::now() - start, milliseconds(300));
    EXPECT_EQ(b[2], 7);
}

TEST(PosixSerialPort, HungUpLineWaitsInsteadOfSpinning) {
    PtyLine line;
    PosixSerialPort port;
    ASSERT_TRUE(port.open(line.path));
    ::close(line.master);
    line.master = -1;
    std::uint8_t b[4] = {};
    const auto start = steady_clock::now();
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(port.read(b, milliseconds(50)), 0u);
    EXPECT_GE(steady_clock::now() - start, milliseconds(4 * 50 - 10));
}

} // namespace
} // namespace kalmo::platform

#endif
