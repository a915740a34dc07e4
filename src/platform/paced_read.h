#pragma once
// Reading a span from the 4,800 bit/s line without being woken for every byte that comes.
//
// A read left pending while a frame trickles in is woken for each byte (under Wine every wake
// is a round trip through its server: most of a transfer's CPU time). No byte arrives sooner
// than the line rate allows, so the read sleeps through the least time the missing bytes need,
// takes what came, and goes on so; only the last few bytes, or the rest after the far end has
// paused, are waited for by a read that hands them over the moment they are in. The far end's
// pace decides how often the line is looked at, never what is read or when a read ends.
#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>

namespace kalmo::platform {

// What a port offers the paced read.
class PacedLine {
public:
    // A byte is ten bits on the line: start, eight data bits, stop.
    static constexpr std::int64_t kBitsPerSecond = 4800;
    static constexpr std::int64_t kBitsPerByte = 10;
    // A sleep may end up to a timer tick late (15.6 ms at Windows' default resolution); a
    // pause that ends no later than the last missing byte could be in adds nothing to the wait.
    static constexpr std::int64_t kSleepSlackMs = 16;
    // Shorter pauses save too few wakes to be worth their own.
    static constexpr std::int64_t kShortestPauseMs = 4;

    // Waits until `into` is full or `wait_ms` (at least 1) has passed; returns how many bytes
    // came. Bytes that come after it returns are left for the next read.
    std::size_t paced_read(std::span<std::uint8_t> into, std::int64_t wait_ms) {
        const std::int64_t until = now_us() + wait_ms * 1000;
        std::size_t got = take_queued(into);
        bool stalled = false;
        while (got < into.size()) {
            const std::int64_t left_us = until - now_us();
            if (left_us <= 0) break;
            const std::int64_t left_ms = (left_us + 999) / 1000;
            const auto missing = static_cast<std::int64_t>(into.size() - got);
            // The first missing byte may be all but in; the last follows the others.
            const std::int64_t pause =
                (missing - 1) * kBitsPerByte * 1000 / kBitsPerSecond - kSleepSlackMs;
            if (stalled || pause < kShortestPauseMs) {
                got += read_waiting(into.subspan(got), left_ms);
                break;
            }
            sleep_ms(std::min(pause, left_ms));
            const std::size_t took = take_queued(into.subspan(got));
            got += took;
            // Nothing came in all that time: the far end has paused.
            stalled = took == 0;
        }
        return got;
    }

protected:
    ~PacedLine() = default;

private:
    // What the driver holds already, up to the size of `into`, without waiting for more.
    virtual std::size_t take_queued(std::span<std::uint8_t> into) = 0;
    // Ends once `into` is full or `ms` has passed, with what came by then.
    virtual std::size_t read_waiting(std::span<std::uint8_t> into, std::int64_t ms) = 0;
    virtual void sleep_ms(std::int64_t ms) = 0;
    virtual std::int64_t now_us() {
        return std::chrono::duration_cast<std::chrono::microseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
};

} // namespace kalmo::platform
