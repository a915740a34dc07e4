#pragma once
// A scripted exchange at the far end of a fake serial port, a fake progress dialog and a clock
// that only moves while the line is silent, so that every deadline passes in microseconds.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/fakes.h"
#include "core/link/protocol.h"
#include "core/link/transfer_ui.h"

namespace kalmo::test {

// Progress dialog and messages as one ordered log: "open", "close", "line0:...", "msg:...".
class FakeTransferUi : public link::TransferUi {
public:
    app::Answer show(const app::Message& message) override {
        log.push_back("msg:" + message.text);
        return messages.show(message);
    }
    bool open_progress_dialog() override {
        if (refuse_dialog) return false;
        open = true;
        cancel = false;
        log.push_back("open");
        return true;
    }
    void close_progress_dialog() override {
        open = false;
        log.push_back("close");
    }
    void set_progress_line(int line, const std::string& text) override {
        lines[line] = text;
        if (log_lines) log.push_back("line" + std::to_string(line) + ":" + text);
    }
    // The user cancels at the given look at the flag while the dialog is open.
    bool cancelled() const override {
        if (open && cancel_at_check && ++checks >= *cancel_at_check) cancel = true;
        return cancel;
    }

    std::vector<std::string> messages_only() const {
        std::vector<std::string> m;
        for (const auto& e : log)
            if (e.rfind("msg:", 0) == 0) m.push_back(e.substr(4));
        return m;
    }

    RecordingUi messages;
    std::vector<std::string> log;
    std::string lines[2];
    bool open = false;
    // Set from another thread in some tests, as a progress dialog does.
    mutable std::atomic<bool> cancel{false};
    bool refuse_dialog = false;
    bool log_lines = false;
    mutable long checks = 0;
    std::optional<long> cancel_at_check;
};

// One request the program sent, as the exchange parsed it.
struct Request {
    std::vector<std::uint8_t> bytes; // the whole frame
    std::uint8_t code() const { return bytes[1]; }
    std::uint16_t index() const {
        return bytes.size() >= 6 ? static_cast<std::uint16_t>(bytes[4] | bytes[5] << 8) : 0;
    }
};

// A reply frame with a correct checksum.
inline std::vector<std::uint8_t> frame(std::uint8_t type,
                                       const std::vector<std::uint8_t>& payload = {}) {
    return link::make_frame(type, payload);
}

class FakeExchange : public link::SerialPort {
public:
    explicit FakeExchange(FakeClock& clock) : clock_(clock) {}

    bool open(const std::string& name) override {
        ++opens;
        if (refuse_open || is_open) return false;
        opened_name = name;
        is_open = true;
        return true;
    }
    void close() override {
        ++closes;
        is_open = false;
        incoming.clear();
        partial.clear();
    }
    bool write(std::span<const std::uint8_t> bytes) override {
        if (!is_open) return false;
        ++write_calls;
        for (std::uint8_t b : bytes) {
            wire.push_back(b);
            take(b);
        }
        return true;
    }
    std::size_t read(std::span<std::uint8_t> into, std::chrono::milliseconds wait) override {
        if (!is_open) return 0;
        ++read_calls;
        const std::int64_t until = clock_.ms + wait.count();
        std::size_t n = 0;
        for (;;) {
            deliver_due();
            // Each byte takes its time on a slow line; the wait ends with the byte under way.
            while (n < into.size() && !incoming.empty() && (n == 0 || clock_.ms < until)) {
                into[n++] = incoming.front();
                incoming.pop_front();
                clock_.ms += ms_per_byte;
            }
            if (n == into.size() || clock_.ms >= until) return n;
            // A silent line: time goes by until a late reply comes or the wait is over.
            clock_.ms = late.empty() ? until : std::clamp(late.front().due, clock_.ms, until);
        }
    }
    void discard_input() override {
        ++discards;
        deliver_due();
        incoming.clear();
    }

    // Answers one request: the bytes to send back, or nothing for no answer.
    std::function<std::optional<std::vector<std::uint8_t>>(const Request&)> answer =
        [](const Request& r) -> std::optional<std::vector<std::uint8_t>> {
        return frame(r.code());
    };

    std::vector<Request> requests;
    std::vector<std::uint8_t> wire; // every byte the program wrote, in order
    std::deque<std::uint8_t> incoming;
    std::string opened_name;
    bool is_open = false;
    bool refuse_open = false;
    int opens = 0;
    int closes = 0;
    int write_calls = 0;
    int read_calls = 0;
    int discards = 0;
    std::int64_t ms_per_byte = 0; // a slow line: each byte takes this long
    // How long after its request each reply starts to arrive (by request number from 1).
    std::function<std::int64_t(std::size_t)> reply_delay_ms = [](std::size_t) { return 0; };

private:
    void take(std::uint8_t b) {
        if (partial.empty() && b == 0) return; // fill bytes between frames
        partial.push_back(b);
        if (partial.size() < partial[0]) return;
        requests.push_back(Request{partial});
        partial.clear();
        if (auto reply = answer(requests.back())) {
            const std::int64_t delay = reply_delay_ms(requests.size());
            if (delay == 0 && late.empty())
                incoming.insert(incoming.end(), reply->begin(), reply->end());
            else
                // The exchange answers in order: a late reply holds back every later one.
                late.push_back({std::max(clock_.ms + delay, late.empty() ? 0 : late.back().due),
                                std::move(*reply)});
        }
    }
    void deliver_due() {
        while (!late.empty() && late.front().due <= clock_.ms) {
            incoming.insert(incoming.end(), late.front().bytes.begin(), late.front().bytes.end());
            late.pop_front();
        }
    }
    struct Late {
        std::int64_t due;
        std::vector<std::uint8_t> bytes;
    };
    std::deque<Late> late;

    FakeClock& clock_;
    std::vector<std::uint8_t> partial;
};

// An exchange holding records in two banks that answers block requests the way the real one
// does: `per_block` records from the requested index on, an empty block at the end.
struct BankModel {
    std::vector<std::vector<std::uint8_t>> bank[2];
    std::size_t per_block = 10;
    std::uint8_t first_code = 0x0D;
    std::uint8_t second_code = 0x1D;

    std::vector<std::uint8_t> block(const Request& r) const {
        const auto& b = bank[r.code() == second_code ? 1 : 0];
        std::vector<std::uint8_t> payload;
        for (std::size_t i = r.index(); i < b.size() && i < r.index() + per_block; ++i)
            payload.insert(payload.end(), b[i].begin(), b[i].end());
        return payload;
    }
    bool is_block_request(const Request& r) const {
        return r.bytes.size() == 6 && (r.code() == first_code || r.code() == second_code);
    }
};

} // namespace kalmo::test
