#include "sim/exchange.h"

#include <cstdio>

#include "core/link/protocol.h"

namespace kalmo::sim {

using link::make_frame;

namespace {

std::string hex(const Bytes& bytes, std::size_t from, std::size_t max) {
    std::string s;
    char b[4];
    for (std::size_t i = from; i < bytes.size() && i < from + max; ++i) {
        std::snprintf(b, sizeof b, "%02X ", bytes[i]);
        s += b;
    }
    if (bytes.size() > from + max) s += "... ";
    if (!s.empty()) s.pop_back();
    return s;
}

std::string name_of(std::uint8_t code) {
    switch (code) {
    case 0x62:
        return "open for reading";
    case 0x61:
        return "open for changing";
    case 0x6E:
        return "open, second attempt";
    case 0x0D:
        return "charges bank 1";
    case 0x1D:
        return "charges bank 2";
    case 0x0E:
        return "calls bank 1";
    case 0x1E:
        return "calls bank 2";
    case 0x2D:
        return "delete charges, step 1";
    case 0x3D:
        return "delete charges, step 2";
    case 0x2E:
        return "delete calls, step 1";
    case 0x3E:
        return "delete calls, step 2";
    case 0x29:
        return "speed-dial target";
    case 0x63:
        return "close";
    case 0x6F:
        return "close, again";
    case 0x69:
        return "checksum error";
    default:
        return "";
    }
}

} // namespace

std::string describe_frame(const Bytes& f) {
    if (f.size() < link::kFrameHeader) return "[" + hex(f, 0, 8) + "] (short)";
    std::string s = "[" + hex(f, 0, link::kFrameHeader) + "]";
    const std::string name = name_of(f[1]);
    char b[96];
    std::snprintf(b, sizeof b, " len %u type 0x%02X%s%s", f[0], f[1], name.empty() ? "" : " ",
                  name.c_str());
    s += b;
    if (f.size() == 5 && f[0] == 5) {
        std::snprintf(b, sizeof b, " parameter 0x%02X", f[4]);
        s += b;
    } else if (f.size() == 6 && (f[1] & 0x0F) >= 0x0D && (f[1] & 0x0F) <= 0x0E) {
        std::snprintf(b, sizeof b, " index %u", f[4] | f[5] << 8);
        s += b;
    } else if (f.size() > link::kFrameHeader) {
        s += " payload " + hex(f, link::kFrameHeader, 12);
    }
    return s;
}

Bytes Exchange::block(const std::vector<Bytes>& bank, std::size_t per_block, std::size_t first,
                      std::uint16_t index) const {
    const std::size_t end = (first != 0 && index < first) ? first : index + per_block;
    Bytes payload;
    // However many records a block is set to hold, a frame never grows past its 250 bytes.
    for (std::size_t i = index;
         i < end && i < bank.size() && payload.size() + bank[i].size() <= link::kMaxPayload; ++i)
        payload.insert(payload.end(), bank[i].begin(), bank[i].end());
    return payload;
}

std::optional<Event> Exchange::take(std::uint8_t byte) {
    if (partial_.empty() && byte == link::kFill) return std::nullopt;
    // No request is shorter than its header: such a length byte is line noise, not a frame.
    if (partial_.empty() && byte < link::kFrameHeader) return std::nullopt;
    partial_.push_back(byte);
    if (partial_.size() < partial_[0]) return std::nullopt;
    Bytes request;
    request.swap(partial_);
    ++requests_;
    Event e = answer(request);
    const Faults& f = config_.faults;
    const unsigned n = requests_;
    if ((f.stop_after && n > *f.stop_after) || f.ignore.count(n)) {
        e.reply.clear();
        e.description += " -- not answered (fault)";
        e.announcement.clear();
    } else if (!e.reply.empty()) {
        if (f.corrupt_checksum.count(n)) {
            e.reply[2] ^= 0x5A;
            e.description += " -- checksum corrupted (fault)";
        } else if (f.bad_length.count(n)) {
            e.reply = {251};
            e.description += " -- length byte 251 (fault)";
        } else if (f.reply_69.count(n)) {
            e.reply = make_frame(link::code::PeerChecksumError, {});
            e.description += " -- type 0x69 (fault)";
        } else if (f.short_reply.count(n)) {
            Bytes cut(e.reply.begin() + link::kFrameHeader, e.reply.end());
            cut.resize(5);
            e.reply = make_frame(e.reply[1], cut);
            e.description += " -- cut to 5 bytes (fault)";
        } else if (f.wrong_type.count(n)) {
            // The checksum covers the payload only, so it still holds.
            e.reply[1] ^= 0x10;
            e.description += " -- type changed (fault)";
        } else if (f.empty_reply.count(n)) {
            e.reply = make_frame(e.reply[1], {});
            e.description += " -- empty block (fault)";
        }
        if (f.fill_before) e.reply.insert(e.reply.begin(), f.fill_before, link::kFill);
        const auto delayed = f.delay.find(n);
        e.delay = delayed != f.delay.end() ? delayed->second : f.delay_every;
        if (e.delay > 0)
            e.description += " -- reply delayed " + std::to_string(e.delay) + " s (fault)";
    }
    return e;
}

Event Exchange::answer(const Bytes& r) {
    Event e;
    e.request = r;
    e.description = describe_frame(r);
    const std::uint8_t code = r[1];
    const bool command = r.size() == 5;
    const bool block_request = r.size() == 6;
    if (command && (code == 0x62 || code == 0x61 || code == 0x6E)) {
        connected_ = true;
        armed_delete_.reset();
        e.reply = make_frame(code, {});
    } else if (block_request && (code == 0x0D || code == 0x1D)) {
        e.reply = make_frame(code, block(charges[code == 0x1D], config_.charges_per_block,
                                         config_.charges_first_block, r[4] | r[5] << 8));
    } else if (block_request && (code == 0x0E || code == 0x1E)) {
        e.reply = make_frame(code, block(calls[code == 0x1E], config_.calls_per_block,
                                         config_.calls_first_block, r[4] | r[5] << 8));
    } else if (command && (code == 0x2D || code == 0x2E)) {
        armed_delete_ = code;
        e.reply = make_frame(code, {});
    } else if (command && (code == 0x3D || code == 0x3E)) {
        if (armed_delete_ == code - 0x10) {
            auto& banks = code == 0x3D ? charges : calls;
            banks[0].clear();
            banks[1].clear();
            e.announcement = code == 0x3D ? "charge records deleted" : "call records deleted";
        } else {
            e.description += " -- without its first step, nothing deleted";
        }
        armed_delete_.reset();
        e.reply = make_frame(code, {});
    } else if (code == 0x29 && r.size() == 30) {
        const Bytes payload(r.begin() + 4, r.end());
        if (link::frame_checksum(payload) != static_cast<std::uint16_t>(r[2] | r[3] << 8)) {
            e.reply = make_frame(link::code::PeerChecksumError, {});
            e.description += " -- checksum wrong";
        } else {
            std::string number;
            for (std::size_t i = 1; i < payload.size() && payload[i] != 0; ++i)
                number += static_cast<char>(payload[i]);
            const unsigned speed_code = 100u + payload[0];
            speed_dial[speed_code] = number;
            e.announcement = "speed-dial " + std::to_string(speed_code) + " = " + number;
            e.reply = make_frame(code, {});
        }
    } else if (command && (code == 0x63 || code == 0x6F)) {
        connected_ = false;
        e.reply = make_frame(code, {});
    } else {
        // Fill bytes that completed a broken frame, or a code it does not know: a frame the
        // exchange cannot check. It keeps quiet, and the program's retry comes in afresh.
        e.description += " -- not understood, not answered";
    }
    return e;
}

} // namespace kalmo::sim
