// The Windows serial port under Wine. The line tests need two COM ports joined by a null-modem
// pair of pseudo-terminals: scripts/test-windows.sh maps them and names them in
// KALMO_SERIAL_LOOP ("COM3 COM4"); without it those tests are skipped.
#include "platform/win32/serial_port.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <numeric>
#include <sstream>
#include <thread>
#include <vector>

namespace kalmo::platform {
namespace {

TEST(Win32SerialPort, NoDeviceNoPortAndAClosedPortDoesNothing) {
    Win32SerialPort port;
    EXPECT_FALSE(port.open("COM77"));
    EXPECT_FALSE(port.is_open());
    std::uint8_t b = 0;
    EXPECT_EQ(port.read_byte(b), 0);
    const std::uint8_t data[] = {1, 2};
    EXPECT_FALSE(port.write(data));
    port.discard_input();
    port.close();
}

class SerialLoop : public ::testing::Test {
protected:
    void SetUp() override {
        const char* loop = std::getenv("KALMO_SERIAL_LOOP");
        if (!loop) GTEST_SKIP() << "KALMO_SERIAL_LOOP not set (scripts/test-windows.sh sets it)";
        std::istringstream names(loop);
        names >> a_name >> b_name;
        ASSERT_TRUE(a.open(a_name)) << a_name;
        ASSERT_TRUE(b.open(b_name)) << b_name;
    }

    // Gives the pseudo-terminal pair time to carry what was written to the other side.
    static void settle() { Sleep(300); }

    // Reads until `n` bytes came or `ms` passed.
    static std::vector<std::uint8_t> receive(Win32SerialPort& port, std::size_t n, DWORD ms) {
        std::vector<std::uint8_t> got;
        const DWORD start = GetTickCount();
        while (got.size() < n && GetTickCount() - start < ms) {
            std::uint8_t byte = 0;
            if (port.read_byte(byte) == 1) got.push_back(byte);
        }
        return got;
    }

    std::string a_name, b_name;
    Win32SerialPort a, b;
};

TEST_F(SerialLoop, EveryByteValuePassesUnchangedBothWays) {
    std::vector<std::uint8_t> all(256);
    for (int i = 0; i < 256; ++i)
        all[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
    ASSERT_TRUE(a.write(all));
    EXPECT_EQ(receive(b, all.size(), 5000), all) << "XON/XOFF, CR and zero bytes are data";
    std::vector<std::uint8_t> back(all.rbegin(), all.rend());
    ASSERT_TRUE(b.write(back));
    EXPECT_EQ(receive(a, back.size(), 5000), back);
}

TEST_F(SerialLoop, ConsecutiveWritesArriveInOrder) {
    std::vector<std::uint8_t> expected;
    for (std::uint8_t i = 0; i < 40; ++i) {
        const std::uint8_t frame[] = {0x02, i, static_cast<std::uint8_t>(~i), 0x03};
        ASSERT_TRUE(a.write(frame));
        expected.insert(expected.end(), std::begin(frame), std::end(frame));
    }
    EXPECT_EQ(receive(b, expected.size(), 5000), expected);
}

TEST_F(SerialLoop, NoByteWaitingReturnsSoon) {
    std::uint8_t byte = 0;
    const DWORD start = GetTickCount();
    EXPECT_EQ(b.read_byte(byte), 0);
    EXPECT_LT(GetTickCount() - start, 1100u) << "never longer than the read time-out";
}

TEST_F(SerialLoop, PendingReadKeepsTheByteThatArrivesLater) {
    std::uint8_t byte = 0;
    EXPECT_EQ(b.read_byte(byte), 0); // leaves a read pending
    // A message in the queue ends the wait early; the pending read stays.
    PostThreadMessageA(GetCurrentThreadId(), WM_USER, 0, 0);
    EXPECT_EQ(b.read_byte(byte), 0);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    const std::uint8_t one[] = {0xA5};
    ASSERT_TRUE(a.write(one));
    EXPECT_EQ(receive(b, 1, 3000), std::vector<std::uint8_t>{0xA5});
}

TEST_F(SerialLoop, CloseWithAPendingReadAndOpenAgain) {
    std::uint8_t byte = 0;
    EXPECT_EQ(b.read_byte(byte), 0);
    b.close();
    EXPECT_FALSE(b.is_open());
    EXPECT_EQ(b.read_byte(byte), 0);
    ASSERT_TRUE(b.open(b_name));
    const std::uint8_t data[] = {7, 8, 9};
    ASSERT_TRUE(a.write(data));
    EXPECT_EQ(receive(b, 3, 3000), (std::vector<std::uint8_t>{7, 8, 9}));
}

TEST_F(SerialLoop, BytesAtTheLinesPaceArriveWholeAndInOrder) {
    // Frames as the exchange sends them, a byte every two milliseconds with pauses between:
    // a short one, a full one and a run longer than the port's own buffer.
    const std::size_t sizes[] = {5, 250, 300};
    std::vector<std::uint8_t> expected;
    for (std::size_t size : sizes)
        for (std::size_t i = 0; i < size; ++i)
            expected.push_back(static_cast<std::uint8_t>(expected.size() * 7));
    DWORD last_written = 0;
    std::thread line([&] {
        std::size_t at = 0;
        for (std::size_t size : sizes) {
            for (std::size_t i = 0; i < size; ++i, ++at) {
                EXPECT_TRUE(a.write({&expected[at], 1}));
                Sleep(2);
            }
            last_written = GetTickCount();
            Sleep(40);
        }
    });
    const auto got = receive(b, expected.size(), 10000);
    const DWORD last_read = GetTickCount();
    line.join();
    EXPECT_EQ(got, expected);
    // A frame's last byte is not left waiting for more that do not come (nor for the read's
    // one-second time-out).
    EXPECT_LT(static_cast<int>(last_read - last_written), 500);
}

TEST_F(SerialLoop, AnnouncedFramesComeWholeAndOnTimeEvenWhenTheyStopShort) {
    // As the link reads: the length byte, then the hint for the rest. The second frame says
    // 100 bytes and stops after 30 (a fault): what came must still come, and soon; then a
    // frame after a discard is read as usual. Each frame goes out once the reader asks for it.
    struct Frame {
        std::uint8_t length;
        std::size_t sent;
    };
    const Frame frames[] = {{120, 120}, {100, 30}, {20, 20}};
    std::atomic<std::size_t> asked{0};
    DWORD written_at[3] = {}, last_at[3] = {};
    std::thread line([&] {
        for (std::size_t f = 0; f < 3; ++f) {
            while (asked.load() <= f)
                Sleep(1);
            for (std::size_t i = 0; i < frames[f].sent; ++i) {
                const std::uint8_t byte = i == 0 ? frames[f].length : static_cast<std::uint8_t>(i);
                EXPECT_TRUE(a.write({&byte, 1}));
                Sleep(2);
            }
            written_at[f] = GetTickCount();
        }
    });
    for (std::size_t f = 0; f < 3; ++f) {
        if (f == 2) b.discard_input();
        asked = f + 1;
        EXPECT_EQ(receive(b, 1, 3000), std::vector<std::uint8_t>{frames[f].length});
        b.expect(frames[f].length - 1u);
        std::vector<std::uint8_t> rest;
        const DWORD start = GetTickCount();
        while (rest.size() < frames[f].length - 1u && GetTickCount() - start < 1500) {
            std::uint8_t byte = 0;
            if (b.read_byte(byte) == 1) {
                rest.push_back(byte);
                last_at[f] = GetTickCount();
            }
        }
        b.expect(0);
        EXPECT_EQ(rest.size(), frames[f].sent - 1) << "frame " << f;
        for (std::size_t i = 0; i < rest.size(); ++i)
            EXPECT_EQ(rest[i], i + 1) << "frame " << f;
    }
    line.join();
    for (std::size_t f = 0; f < 3; ++f)
        EXPECT_LT(static_cast<int>(last_at[f] - written_at[f]), 300) << "frame " << f;
}

TEST_F(SerialLoop, DiscardDropsWhatCameBeforeAndKeepsWhatComesAfter) {
    std::vector<std::uint8_t> early(40);
    std::iota(early.begin(), early.end(), std::uint8_t{1});
    ASSERT_TRUE(a.write(early));
    // One byte taken: the rest is partly in the port's own buffer, partly in the driver.
    ASSERT_EQ(receive(b, 1, 3000), std::vector<std::uint8_t>{1});
    settle();
    b.discard_input();
    const std::uint8_t late[] = {0xA1, 0xA2};
    ASSERT_TRUE(a.write(late));
    EXPECT_EQ(receive(b, 2, 3000), (std::vector<std::uint8_t>{0xA1, 0xA2}));
    std::uint8_t byte = 0;
    EXPECT_EQ(b.read_byte(byte), 0) << "nothing from before the discard comes later";
}

TEST_F(SerialLoop, DiscardDropsTheByteAPendingReadAlreadyTook) {
    std::uint8_t byte = 0;
    EXPECT_EQ(b.read_byte(byte), 0); // leaves a read for one byte pending
    const std::uint8_t early[] = {0x11};
    ASSERT_TRUE(a.write(early));
    settle(); // the pending read completes into the port's buffer, unseen yet
    const std::uint8_t queued[] = {0x12, 0x13};
    ASSERT_TRUE(a.write(queued));
    settle();
    b.discard_input();
    const std::uint8_t late[] = {0x14};
    ASSERT_TRUE(a.write(late));
    EXPECT_EQ(receive(b, 1, 3000), std::vector<std::uint8_t>{0x14});
    EXPECT_EQ(b.read_byte(byte), 0);
    // And with nothing received at all, a discard leaves the line as it was.
    b.discard_input();
    ASSERT_TRUE(a.write(late));
    EXPECT_EQ(receive(b, 1, 3000), std::vector<std::uint8_t>{0x14});
}

} // namespace
} // namespace kalmo::platform
