#include "core/link/protocol.h"

#include <gtest/gtest.h>

#include "core/link/exchange_fake.h"
#include "support/builders.h"

namespace kalmo::link {
namespace {

// The fake exchange, its clock and UI, and the frame and byte builders.
using namespace kalmo::test;

TEST(FrameChecksum, RotatesRightThenAdds) {
    const Bytes abc = {'a', 'b', 'c'};
    EXPECT_EQ(frame_checksum(abc), 0x40AC);
    EXPECT_EQ(frame_checksum({}), 0x0000);
    const Bytes one_then_zero = {0x01, 0x00};
    EXPECT_EQ(frame_checksum(one_then_zero), 0x8000); // bit 0 moves to bit 15
    const Bytes wraps = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                         0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    // A value computed by hand with the same steps in 32-bit arithmetic.
    std::uint32_t v = 0;
    for (int i = 0; i < 20; ++i)
        v = (((v >> 1) | (v << 15)) + 0xFF) & 0xFFFF;
    EXPECT_EQ(frame_checksum(wraps), v);
}

class LinkTest : public ::testing::Test {
protected:
    void SetUp() override { ui.open_progress_dialog(); }
    // Connects and forgets what the opening put on the wire.
    void connected() {
        ASSERT_TRUE(link.connect("COM1", code::OpenRead));
        ex.wire.clear();
        ex.requests.clear();
        ex.write_calls = 0;
    }
    void silence() {
        ex.answer = [](const test::Request&) { return std::optional<Bytes>(); };
    }
    void arrive(const Bytes& bytes) {
        ex.incoming.insert(ex.incoming.end(), bytes.begin(), bytes.end());
    }

    FakeClock clock;
    FakeExchange ex{clock};
    FakeTransferUi ui;
    Link link{ex, ui, clock};
};

TEST_F(LinkTest, FillBytesBeforeAFrameAreSkipped) {
    connected();
    arrive(cat({fill(100), frame(0x41, {1, 2, 3})}));
    ASSERT_TRUE(link.receive_frame(false));
    EXPECT_EQ(link.frame().size(), 7u);
    EXPECT_EQ(link.frame()[4], 1);
    EXPECT_TRUE(ui.messages_only().empty());
    EXPECT_TRUE(ex.wire.empty());
}

TEST_F(LinkTest, AFrameIsItsLengthByteAndOneReadOfTheRest) {
    connected();
    arrive(cat({frame(0x41, Bytes(246, 0x5A)), frame(0x42)}));
    ex.read_calls = 0;
    ASSERT_TRUE(link.receive_frame(false));
    EXPECT_EQ(ex.read_calls, 2);
    EXPECT_EQ(ex.incoming.size(), 4u) << "nothing of what follows the frame is taken";
    // A slow far end: the rest comes in several reads, and still whole.
    ex.ms_per_byte = 8;
    arrive(frame(0x43, Bytes(200, 0x33)));
    ex.incoming.erase(ex.incoming.begin(), ex.incoming.begin() + 4);
    ASSERT_TRUE(link.receive_frame(false));
    EXPECT_EQ(link.frame().size(), 204u);
    EXPECT_EQ(link.frame()[203], 0x33);
}

TEST_F(LinkTest, LengthLimits) {
    connected();
    arrive(frame(0x41)); // 4: empty payload, checksum 0
    ASSERT_TRUE(link.receive_frame(false));
    EXPECT_EQ(link.frame().size(), 4u);

    arrive(frame(0x41, Bytes(246, 0x5A))); // 250
    ASSERT_TRUE(link.receive_frame(false));
    EXPECT_EQ(link.frame().size(), 250u);
    EXPECT_TRUE(ui.messages_only().empty());

    for (std::uint8_t bad : {std::uint8_t{251}, std::uint8_t{3}, std::uint8_t{1}}) {
        ex.wire.clear();
        const auto before = clock.ms;
        arrive({bad, 0x41, 0, 0});
        EXPECT_FALSE(link.receive_frame(false));
        EXPECT_EQ(clock.ms, before) << "fails at once, no waiting";
        EXPECT_EQ(ex.wire, fill(255));
        EXPECT_EQ(ui.messages_only().back(), "Längenfehler !");
        ex.incoming.clear();
    }
}

TEST_F(LinkTest, ChecksumErrors) {
    connected();
    Bytes swapped = frame(0x41, {'a', 'b', 'c'});
    std::swap(swapped[2], swapped[3]);
    arrive(swapped);
    EXPECT_FALSE(link.receive_frame(false));
    EXPECT_EQ(ex.wire, fill(255));
    EXPECT_EQ(ui.messages_only(), std::vector<std::string>{"CrC Fehler !"});
    const app::Message& m = ui.messages.shown.back();
    EXPECT_EQ(m.icon, app::Icon::Error);
    EXPECT_FALSE(m.caption.has_value());

    arrive(frame(0x69, {'a'}));
    EXPECT_FALSE(link.receive_frame(false));
    EXPECT_EQ(ui.messages_only().back(), "Gegenstelle meldet CrC Fehler !");

    // Quiet receives only answer with their result, but still send the fill run.
    ex.wire.clear();
    arrive(swapped);
    EXPECT_FALSE(link.receive_frame(true));
    EXPECT_EQ(ex.wire, fill(255));
    EXPECT_EQ(ui.messages_only().size(), 2u);
}

TEST_F(LinkTest, DeadlineCoversTheWholeFrame) {
    connected();
    // Each byte on its own is quick enough, the frame as a whole is not.
    ex.ms_per_byte = 1000;
    arrive(frame(0x41, {1, 2, 3, 4, 5, 6}));
    EXPECT_FALSE(link.receive_frame(false));
    EXPECT_EQ(ui.messages_only(), std::vector<std::string>{"Fehler Gegenstelle antwortet nicht !"});
    EXPECT_EQ(ex.wire, fill(255));
    EXPECT_EQ(ex.incoming.size(), 7u) << "the first three bytes were read, the rest waits";
}

TEST_F(LinkTest, NothingAnsweredAfterTwoToThreeSeconds) {
    connected();
    const auto start = clock.ms;
    EXPECT_FALSE(link.receive_frame(true));
    EXPECT_EQ(clock.ms - start, 3000);
    EXPECT_TRUE(ui.messages_only().empty());
}

TEST_F(LinkTest, ClosedPortFailsAtOnceAndSilently) {
    EXPECT_FALSE(link.receive_frame(false));
    link.send_command(0x63, 0);
    link.send_fill(3);
    EXPECT_EQ(ex.write_calls, 0);
    EXPECT_TRUE(ui.messages_only().empty());
}

TEST_F(LinkTest, CancelledReceiveSendsAndShowsNothing) {
    connected();
    ui.cancel = true;
    arrive(frame(0x41));
    EXPECT_FALSE(link.receive_frame(false));
    EXPECT_TRUE(ex.wire.empty());
    EXPECT_TRUE(ui.messages_only().empty());
}

TEST_F(LinkTest, FramesOnTheWire) {
    connected();
    link.send_block_request(0x0D, 300);
    EXPECT_EQ(ex.wire, (Bytes{0x06, 0x0D, 0x00, 0x00, 0x2C, 0x01}));
    ex.wire.clear();
    link.send_command(0x2D, 0x00);
    link.send_command(0xFF, 0x00);
    link.send_block_request(0xFF, 1);
    EXPECT_EQ(ex.wire, (Bytes{0x05, 0x2D, 0x00, 0x00, 0x00}));
    ex.write_calls = 0;
    link.send_fill(255);
    EXPECT_EQ(ex.write_calls, 255) << "each fill byte by its own write";
}

TEST_F(LinkTest, ReadBlockCopiesThePayload) {
    connected();
    ex.answer = [](const test::Request& r) {
        return std::optional<Bytes>(frame(0x30, {9, r.bytes[4]}));
    };
    std::array<std::uint8_t, kMaxPayload> dest{};
    EXPECT_EQ(link.read_block(0x0D, 7, dest.data()), 2);
    EXPECT_EQ(dest[0], 9);
    EXPECT_EQ(dest[1], 7);
    ex.answer = [](const test::Request&) { return std::optional<Bytes>(frame(0x30)); };
    EXPECT_EQ(link.read_block(0x0D, 9, dest.data()), 0);
}

TEST_F(LinkTest, ReadBlockTriesFiveTimesAndReportsOnce) {
    connected();
    silence();
    std::array<std::uint8_t, kMaxPayload> dest{};
    EXPECT_EQ(link.read_block(0x0D, 300, dest.data()), kBlockFailed);
    const Bytes request = {0x06, 0x0D, 0x00, 0x00, 0x2C, 0x01};
    Bytes expected;
    for (int i = 0; i < 5; ++i)
        expected = cat({expected, request, fill(255)});
    EXPECT_EQ(ex.wire, expected);
    EXPECT_EQ(ui.messages_only(), std::vector<std::string>{"Fehler Gegenstelle antwortet nicht !"});
}

TEST_F(LinkTest, ReadBlockSucceedsOnALaterAttempt) {
    connected();
    int n = 0;
    ex.answer = [&n](const test::Request&) {
        return ++n < 5 ? std::optional<Bytes>() : std::optional<Bytes>(frame(0x30, {1}));
    };
    std::array<std::uint8_t, kMaxPayload> dest{};
    EXPECT_EQ(link.read_block(0x0D, 0, dest.data()), 1);
    EXPECT_TRUE(ui.messages_only().empty());
}

TEST_F(LinkTest, ReadBlockAfterCancelStillSendsItsRequests) {
    connected();
    ui.cancel = true;
    std::array<std::uint8_t, kMaxPayload> dest{};
    EXPECT_EQ(link.read_block(0x0D, 0, dest.data()), kBlockFailed);
    EXPECT_EQ(ex.requests.size(), 5u);
    EXPECT_EQ(ex.wire.size(), 5u * 6u) << "no fill bytes after a cancelled receive";
    EXPECT_TRUE(ui.messages_only().empty());
}

TEST_F(LinkTest, WriteBlockSendsAChecksummedDataFrame) {
    connected();
    const Bytes payload = {'a', 'b', 'c'};
    EXPECT_TRUE(link.write_block(0x29, payload));
    EXPECT_EQ(ex.wire, cat({{0x07, 0x29, 0xAC, 0x40, 'a', 'b', 'c'}, fill(10)}));

    ex.wire.clear();
    ex.answer = [](const test::Request&) { return std::optional<Bytes>(frame(0x69)); };
    EXPECT_FALSE(link.write_block(0x29, payload));
    EXPECT_EQ(ex.requests.size(), 1u + 5u);
    EXPECT_EQ(ui.messages_only(), std::vector<std::string>{"Gegenstelle meldet CrC Fehler !"});
}

TEST_F(LinkTest, ConnectSendsFillThenTheOpeningCommand) {
    EXPECT_TRUE(link.connect("COM2", code::OpenRead));
    EXPECT_EQ(ex.opened_name, "COM2");
    EXPECT_EQ(ex.wire, cat({fill(255), {0x05, 0x62, 0x00, 0x00, 0x45}}));
    EXPECT_TRUE(link.port_open());
}

TEST_F(LinkTest, ConnectTriesTheSecondOpeningQuietlyFirst) {
    ex.answer = [](const test::Request& r) {
        return r.code() == 0x6E ? std::optional<Bytes>(frame(0x6E)) : std::optional<Bytes>();
    };
    EXPECT_TRUE(link.connect("COM1", code::OpenWrite));
    EXPECT_EQ(ex.wire, cat({fill(255),
                            {0x05, 0x61, 0x00, 0x00, 0x45},
                            fill(255),
                            {0x05, 0x6E, 0x00, 0x00, 0x45}}));
    EXPECT_TRUE(ui.messages_only().empty());
}

TEST_F(LinkTest, ConnectFailures) {
    silence();
    EXPECT_FALSE(link.connect("COM1", code::OpenRead));
    EXPECT_FALSE(link.port_open());
    EXPECT_EQ(ex.closes, 1);
    EXPECT_EQ(ui.messages_only(), std::vector<std::string>{"Fehler Gegenstelle antwortet nicht !"});

    ex.refuse_open = true;
    EXPECT_FALSE(link.connect("COM14", code::OpenRead));
    EXPECT_EQ(ui.messages_only().back(),
              "Connection failed.\nDie Schnittstelle COM14 ist nicht vorhanden oder von einem "
              "anderen Programm belegt.");
    EXPECT_FALSE(ui.messages.shown.back().caption.has_value());
}

TEST_F(LinkTest, CancelDuringConnectClosesThePortSilently) {
    silence();
    ui.cancel_at_check = 1;
    EXPECT_FALSE(link.connect("COM1", code::OpenRead));
    EXPECT_FALSE(link.port_open());
    EXPECT_FALSE(ex.is_open);
    EXPECT_EQ(ex.requests.size(), 1u) << "no second opening after a cancel";
    EXPECT_TRUE(ui.messages_only().empty());
}

TEST_F(LinkTest, DisconnectRetriesWithTheSecondClosingCode) {
    connected();
    int n = 0;
    ex.answer = [&n](const test::Request&) {
        return ++n < 3 ? std::optional<Bytes>() : std::optional<Bytes>(frame(0x63));
    };
    link.disconnect();
    ASSERT_EQ(ex.requests.size(), 3u);
    EXPECT_EQ(ex.requests[0].bytes, (Bytes{0x05, 0x63, 0x00, 0x00, 0x00}));
    EXPECT_EQ(ex.requests[1].bytes, (Bytes{0x05, 0x6F, 0x00, 0x00, 0x00}));
    EXPECT_EQ(ex.requests[2].code(), 0x6F);
    EXPECT_FALSE(ex.is_open);
    EXPECT_TRUE(ui.messages_only().empty());
}

TEST_F(LinkTest, DisconnectWithoutAnswer) {
    connected();
    silence();
    link.disconnect();
    EXPECT_EQ(ex.requests.size(), 5u);
    EXPECT_FALSE(ex.is_open);
    EXPECT_EQ(ui.messages_only(),
              std::vector<std::string>{"Fehler beim schließen der Schnittstelle"});
}

TEST_F(LinkTest, CancelledDisconnectSendsNoClosingCommand) {
    connected();
    ui.cancel = true;
    link.disconnect();
    EXPECT_TRUE(ex.requests.empty());
    EXPECT_FALSE(ex.is_open);
    EXPECT_FALSE(link.port_open());
    EXPECT_TRUE(ui.messages_only().empty());
}

} // namespace
} // namespace kalmo::link
