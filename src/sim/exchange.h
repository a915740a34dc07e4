#pragma once
// The exchange as a test setup sees it: two banks of charge records and two of call records,
// answering every request of the program with one frame. No input or output happens here.
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace kalmo::sim {

using Bytes = std::vector<std::uint8_t>;

// Misbehaviour on purpose. Requests are counted from 1 in the order they arrive, opening and
// closing commands included.
struct Faults {
    std::set<unsigned> ignore;           // left unanswered
    std::set<unsigned> corrupt_checksum; // answered with a wrong checksum
    std::set<unsigned> bad_length;       // answered with a length byte of 251 and nothing else
    std::set<unsigned> reply_69;         // answered with type 0x69 (checksum error on our side)
    std::set<unsigned> short_reply;      // a block cut to 5 bytes, less than any record
    std::set<unsigned> wrong_type;       // the reply's type has bit 0x10 flipped (another bank)
    std::set<unsigned> empty_reply;      // an empty block, as a corrupted index would get
    unsigned fill_before = 0;            // fill bytes before every reply
    std::optional<unsigned> stop_after;  // requests answered, then silence
    std::map<unsigned, double> delay;    // reply held back this many seconds
    double delay_every = 0;              // every reply held back this many seconds
};

struct ExchangeConfig {
    std::size_t charges_per_block = 10;
    std::size_t calls_per_block = 14;
    // Records in the first block of a bank (0: a full block). A short first block shifts every
    // later block, which lets a bank run past its limit as far as the program allows.
    std::size_t charges_first_block = 0;
    std::size_t calls_first_block = 0;
    Faults faults;
};

// One complete request and what the exchange does about it.
struct Event {
    Bytes request;
    Bytes reply;              // empty: no answer
    std::string description;  // for the trace
    std::string announcement; // for the operator (deletes, speed-dial targets); may be empty
    double delay = 0;         // seconds the reply is held back (a fault)
};

class Exchange {
public:
    explicit Exchange(ExchangeConfig config = {}) : config_(std::move(config)) {}

    // One byte from the line. Returns the event when it completed a request.
    std::optional<Event> take(std::uint8_t byte);
    // Forgets a half-received frame (the line was silent for a while).
    void drop_partial() { partial_.clear(); }
    bool partial() const { return !partial_.empty(); }

    std::vector<Bytes> charges[2];
    std::vector<Bytes> calls[2];
    std::map<unsigned, std::string> speed_dial; // code 100..299 -> number text
    unsigned request_count() const { return requests_; }
    bool connected() const { return connected_; }

private:
    Event answer(const Bytes& request);
    Bytes block(const std::vector<Bytes>& bank, std::size_t per_block, std::size_t first,
                std::uint16_t index) const;

    ExchangeConfig config_;
    Bytes partial_;
    unsigned requests_ = 0;
    bool connected_ = false;
    std::optional<std::uint8_t> armed_delete_; // first step seen, second step expected
};

// Readable one-line form of a frame for the trace.
std::string describe_frame(const Bytes& frame);

} // namespace kalmo::sim
