#include "sim/exchange.h"

#include <gtest/gtest.h>

#include "core/data/charge.h"
#include "core/link/protocol.h"
#include "sim/records.h"
#include "support/builders.h"

namespace kalmo::sim {
namespace {

using test::block_request;

std::optional<Event> send(Exchange& ex, const Bytes& bytes) {
    std::optional<Event> last;
    for (std::uint8_t b : bytes)
        if (auto e = ex.take(b)) last = e;
    return last;
}

std::vector<Bytes> numbered(std::size_t n, std::size_t size) {
    std::vector<Bytes> v;
    for (std::size_t i = 0; i < n; ++i)
        v.push_back(Bytes(size, static_cast<std::uint8_t>(i)));
    return v;
}

TEST(SimExchange, BlocksFollowTheIndex) {
    ExchangeConfig c;
    c.charges_first_block = 9;
    Exchange ex(c);
    ex.charges[0] = numbered(25, 23);
    auto e = send(ex, Bytes(300, 0x00)); // fill bytes alone are no request
    EXPECT_FALSE(e);
    e = send(ex, block_request(0x0D, 0));
    ASSERT_TRUE(e);
    EXPECT_EQ(e->reply.size(), 4u + 9u * 23u) << "the short first block";
    EXPECT_EQ(e->reply[1], 0x0D);
    EXPECT_EQ(send(ex, block_request(0x0D, 9))->reply.size(), 4u + 10u * 23u);
    e = send(ex, block_request(0x0D, 19));
    EXPECT_EQ(e->reply.size(), 4u + 6u * 23u);
    EXPECT_EQ(e->reply[4], 19);
    const Bytes payload(e->reply.begin() + 4, e->reply.end());
    EXPECT_EQ(e->reply[2] | e->reply[3] << 8, link::frame_checksum(payload));
    EXPECT_EQ(send(ex, block_request(0x0D, 25))->reply.size(), 4u);
    EXPECT_EQ(send(ex, block_request(0x1E, 0))->reply.size(), 4u);
}

TEST(SimExchange, DeleteNeedsBothStepsInOrder) {
    Exchange ex;
    ex.charges[0] = numbered(3, 23);
    ex.charges[1] = numbered(3, 23);
    ex.calls[0] = numbered(3, 17);
    auto e = send(ex, {0x05, 0x3D, 0, 0, 0});
    EXPECT_EQ(e->reply.size(), 4u);
    EXPECT_EQ(ex.charges[0].size(), 3u) << "second step alone deletes nothing";
    send(ex, {0x05, 0x2D, 0, 0, 0});
    e = send(ex, {0x05, 0x3D, 0, 0, 0});
    EXPECT_TRUE(ex.charges[0].empty());
    EXPECT_TRUE(ex.charges[1].empty());
    EXPECT_EQ(ex.calls[0].size(), 3u);
    EXPECT_EQ(e->announcement, "charge records deleted");
}

Bytes speed_dial_frame(std::uint8_t index, const std::string& number) {
    Bytes payload(26, 0);
    payload[0] = index;
    std::copy(number.begin(), number.end(), payload.begin() + 1);
    Bytes f = link::make_frame(0x29, payload);
    f.insert(f.end(), 10, 0x00);
    return f;
}

TEST(SimExchange, SpeedDialIsKeptWhenItsChecksumHolds) {
    Exchange ex;
    auto e = send(ex, speed_dial_frame(199, "0891234567"));
    ASSERT_TRUE(e);
    EXPECT_EQ(e->reply[1], 0x29);
    EXPECT_EQ(ex.speed_dial.at(299), "0891234567");
    EXPECT_EQ(e->announcement, "speed-dial 299 = 0891234567");

    Bytes broken = speed_dial_frame(0, "123");
    broken[6] ^= 1;
    e = send(ex, broken);
    EXPECT_EQ(e->reply[1], 0x69);
    EXPECT_EQ(ex.speed_dial.count(100), 0u);
}

TEST(SimExchange, Faults) {
    ExchangeConfig c;
    c.faults.ignore = {1};
    c.faults.corrupt_checksum = {2};
    c.faults.bad_length = {3};
    c.faults.reply_69 = {4};
    c.faults.fill_before = 3;
    c.faults.stop_after = 5;
    Exchange ex(c);
    ex.charges[0] = numbered(2, 23);
    const Bytes request = block_request(0x0D, 0);
    EXPECT_TRUE(send(ex, request)->reply.empty());
    Bytes r = send(ex, request)->reply;
    EXPECT_EQ(r[0], 0);
    EXPECT_NE(r[5] | r[6] << 8, link::frame_checksum(Bytes(r.begin() + 7, r.end())));
    EXPECT_EQ(send(ex, request)->reply, (Bytes{0, 0, 0, 251}));
    EXPECT_EQ(send(ex, request)->reply, (Bytes{0, 0, 0, 4, 0x69, 0, 0}));
    r = send(ex, request)->reply;
    EXPECT_EQ(r.size(), 3u + 4u + 46u);
    EXPECT_TRUE(send(ex, request)->reply.empty());
    EXPECT_EQ(ex.request_count(), 6u);
}

TEST(SimExchange, RepliesThatAreNotTheBlockAskedFor) {
    ExchangeConfig c;
    c.faults.short_reply = {1};
    c.faults.wrong_type = {2};
    c.faults.empty_reply = {3};
    Exchange ex(c);
    ex.charges[0] = numbered(2, 23);
    const Bytes request = block_request(0x0D, 0);
    Bytes r = send(ex, request)->reply;
    EXPECT_EQ(
        r, link::make_frame(0x0D, Bytes(ex.charges[0][0].begin(), ex.charges[0][0].begin() + 5)));
    r = send(ex, request)->reply;
    EXPECT_EQ(r[1], 0x1D);
    EXPECT_EQ(r[2] | r[3] << 8, link::frame_checksum(Bytes(r.begin() + 4, r.end())));
    EXPECT_EQ(r.size(), 4u + 46u);
    EXPECT_EQ(send(ex, request)->reply, link::make_frame(0x0D, {}));
    EXPECT_EQ(send(ex, request)->reply.size(), 4u + 46u);
}

TEST(SimExchange, UnknownFramesAreNotAnswered) {
    Exchange ex;
    // A frame completed by the program's fill run after a lost byte.
    auto e = send(ex, Bytes{0x09, 0x0D, 0, 0, 0, 0, 0, 0, 0});
    ASSERT_TRUE(e);
    EXPECT_TRUE(e->reply.empty());
    EXPECT_FALSE(ex.partial());
}

TEST(SimRecords, SpreadLeavesTheFirstBankBelowItsLimit) {
    Exchange ex;
    fill_random(ex, 2000, 100, 5);
    EXPECT_EQ(ex.charges[0].size(), 999u);
    EXPECT_EQ(ex.charges[1].size(), 1001u);
    EXPECT_EQ(ex.calls[0].size(), 50u);
    fill_random(ex, 2000, 170, 5);
    EXPECT_EQ(ex.calls[0].size(), 74u);
    for (const Bytes& r : ex.charges[0]) {
        const int sub = r[6];
        ASSERT_GE(sub, 0x21);
        ASSERT_LE(sub, 0x40);
        ASSERT_TRUE(r[7] == 12 || r[7] == 1);
        ASSERT_EQ(data::ChargeRecord::from_bytes(r.data()).amount % 12, 0u)
            << "whole units of 12 Pfennig";
    }
    Exchange again;
    fill_random(again, 2000, 170, 5);
    EXPECT_EQ(again.charges[1], ex.charges[1]) << "the seed decides";
}

} // namespace
} // namespace kalmo::sim
