#include "platform/paced_read.h"

#include <gtest/gtest.h>

#include <vector>

namespace kalmo::platform {
namespace {

// A byte's time at 4,800 bit/s, in microseconds, rounded up: the line is never faster.
constexpr std::int64_t kByteUs = 2084;

// A line whose bytes are in at set times, on a clock that moves only while the read waits.
class FakeLine : public PacedLine {
public:
    std::vector<std::int64_t> arrivals; // when byte i is in, in microseconds
    std::int64_t now = 0;
    std::int64_t oversleep_us = 0; // how late every sleep ends
    int wakes = 0;                 // sleeps, and bytes a waiting read was woken for

    std::vector<std::uint8_t> read(std::size_t n, std::int64_t wait_ms) {
        std::vector<std::uint8_t> got(n);
        got.resize(paced_read(got, wait_ms));
        return got;
    }
    // Bytes `from` up to `to` as the line carries them.
    static std::vector<std::uint8_t> bytes(std::size_t from, std::size_t to) {
        std::vector<std::uint8_t> v;
        for (std::size_t i = from; i < to; ++i)
            v.push_back(static_cast<std::uint8_t>(i * 7 + 1));
        return v;
    }

private:
    std::size_t deliver(std::span<std::uint8_t> into, std::size_t n) {
        const auto b = bytes(next_, next_ + n);
        std::copy(b.begin(), b.end(), into.begin());
        next_ += n;
        return n;
    }
    std::size_t take_queued(std::span<std::uint8_t> into) override {
        std::size_t n = 0;
        while (n < into.size() && next_ + n < arrivals.size() && arrivals[next_ + n] <= now)
            ++n;
        return deliver(into, n);
    }
    std::size_t read_waiting(std::span<std::uint8_t> into, std::int64_t ms) override {
        const std::int64_t until = now + ms * 1000;
        std::size_t n = 0;
        std::int64_t last = now;
        for (; n < into.size() && next_ + n < arrivals.size(); ++n) {
            const std::int64_t at = arrivals[next_ + n];
            if (at > until) break;
            if (at > now) ++wakes;
            last = std::max(last, at);
        }
        now = n == into.size() ? last : until;
        return deliver(into, n);
    }
    void sleep_ms(std::int64_t ms) override {
        ++wakes;
        now += ms * 1000 + oversleep_us;
    }
    std::int64_t now_us() override { return now; }

    std::size_t next_ = 0;
};

// `count` bytes from `start` on, each `gap(i)` microseconds beyond the line rate.
template <typename Gap>
std::vector<std::int64_t> trickle(std::size_t count, std::int64_t start, Gap gap) {
    std::vector<std::int64_t> at;
    for (std::size_t i = 0; i < count; ++i) {
        start += kByteUs + gap(i);
        at.push_back(start);
    }
    return at;
}

// Sleeps as exact as under Wine, and a timer tick late as under Windows.
constexpr std::int64_t kOversleeps[] = {0, 15600};

TEST(PacedRead, AFrameIsHandedOverWhenItsLastByteIsInAfterAFewWakes) {
    struct Case {
        const char* far_end;
        std::vector<std::int64_t> arrivals;
        int most_wakes;
    };
    const Case cases[] = {
        {"at the line rate", trickle(233, 0, [](std::size_t) { return 0; }), 20},
        {"up to a millisecond late per byte",
         trickle(233, 0, [](std::size_t i) { return static_cast<std::int64_t>(i * 389 % 1000); }),
         40},
        {"pausing mid-frame", trickle(233, 0, [](std::size_t i) { return i == 100 ? 700'000 : 0; }),
         160},
        {"with every byte in already", std::vector<std::int64_t>(233, 0), 0},
    };
    for (const Case& c : cases)
        for (std::int64_t oversleep : kOversleeps) {
            SCOPED_TRACE(testing::Message() << c.far_end << ", sleeps " << oversleep << " us late");
            FakeLine line;
            line.arrivals = c.arrivals;
            line.oversleep_us = oversleep;
            EXPECT_EQ(line.read(233, 3000), FakeLine::bytes(0, 233));
            EXPECT_EQ(line.now, c.arrivals.back()) << "not a moment later than the last byte";
            EXPECT_LE(line.wakes, c.most_wakes);
        }
}

TEST(PacedRead, TheWaitEndsTheReadWithWhatCameAndTheRestComesNext) {
    for (std::int64_t oversleep : kOversleeps) {
        SCOPED_TRACE(testing::Message() << "sleeps " << oversleep << " us late");
        FakeLine line;
        line.arrivals = trickle(233, 0, [](std::size_t) { return 0; });
        line.oversleep_us = oversleep;
        const auto first = line.read(233, 250);
        EXPECT_GE(line.now, 250'000);
        EXPECT_LE(line.now, 250'000 + oversleep);
        std::size_t in = 0;
        while (in < line.arrivals.size() && line.arrivals[in] <= line.now)
            ++in;
        EXPECT_EQ(first, FakeLine::bytes(0, in)) << "all that was in, nothing more";
        EXPECT_EQ(line.read(233 - in, 3000), FakeLine::bytes(in, 233));
        EXPECT_EQ(line.now, line.arrivals.back());
    }
}

TEST(PacedRead, ASilentLineIsWaitedForAsLongAsAskedWhateverTheSize) {
    for (std::size_t n : {std::size_t{1}, std::size_t{4}, std::size_t{1000}})
        for (std::int64_t oversleep : kOversleeps) {
            FakeLine line;
            line.oversleep_us = oversleep;
            EXPECT_TRUE(line.read(n, 300).empty());
            EXPECT_GE(line.now, 300'000) << n;
            EXPECT_LE(line.now, 300'000 + oversleep) << n;
        }
}

} // namespace
} // namespace kalmo::platform
