// exchange-sim: a simulated exchange on a pseudo-terminal (or a serial device), for trying the
// program and for its tests without the real exchange.
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "sim/exchange.h"
#include "sim/records.h"
#include "sim/server.h"

namespace {

std::atomic<bool> g_stop{false};

void on_signal(int) {
    g_stop = true;
}

const char* const kUsage =
    "usage: exchange-sim (--link PATH | --device PATH) [options]\n"
    "  --link PATH           create a pseudo-terminal and link PATH to it\n"
    "  --device PATH         serve an existing serial device instead\n"
    "records (default: demo data of a December and January):\n"
    "  --charges FILE.GDS    the charge records of a charge data file\n"
    "  --count N             N random charge records (with --seed S, default 1)\n"
    "  --calls N             number of random call records (default 40)\n"
    "  --empty               no records at all\n"
    "  --overflow            more records than the program can hold (2008 charges, 176 calls)\n"
    "  --charges-per-block N records per block (default 10)\n"
    "  --calls-per-block N   records per block (default 14)\n"
    "  --calls-in-first-bank N  how many of the calls the first bank holds (default: half,\n"
    "                        at most 74)\n"
    "line:\n"
    "  --unpaced             answer at full speed instead of 4800 bit/s\n"
    "  --char-gap MS         each reply byte on its own, up to MS ms later than the line\n"
    "                        rate allows (a slow exchange)\n"
    "  --trace               every frame both ways on stderr\n"
    "faults (requests are counted from 1, opening included; N may be a list 3,7,9):\n"
    "  --ignore N  --corrupt-checksum N  --bad-length N  --reply-69 N\n"
    "  --short-reply N       a block cut to 5 bytes (less than one record)\n"
    "  --wrong-type N        a reply of another type (bit 0x10 flipped)\n"
    "  --empty-reply N       an empty block instead of the records (a corrupted index)\n"
    "  --fill-before K       K fill bytes before every reply\n"
    "  --stop-after N        answer N requests, then nothing\n"
    "  --delay N:SECONDS     hold back the reply to request N (a list, or \"all\") that long\n";

bool parse_number(const char* text, unsigned long& value) {
    char* end = nullptr;
    errno = 0;
    value = std::strtoul(text, &end, 10);
    return errno == 0 && end != text && *end == 0;
}

bool parse_list(const char* text, std::set<unsigned>& into) {
    std::string s = text;
    std::size_t at = 0;
    while (at <= s.size()) {
        const std::size_t comma = s.find(',', at);
        const std::string part =
            s.substr(at, comma == std::string::npos ? std::string::npos : comma - at);
        unsigned long v = 0;
        if (!parse_number(part.c_str(), v) || v == 0) return false;
        into.insert(static_cast<unsigned>(v));
        if (comma == std::string::npos) break;
        at = comma + 1;
    }
    return true;
}

// "3:2.5", "2,5:1", "all:0.75"
bool parse_delay(const char* text, kalmo::sim::Faults& faults) {
    const std::string s = text;
    const std::size_t colon = s.find(':');
    if (colon == std::string::npos) return false;
    char* end = nullptr;
    const std::string seconds_text = s.substr(colon + 1);
    const double seconds = std::strtod(seconds_text.c_str(), &end);
    if (seconds_text.empty() || *end != 0 || !(seconds >= 0 && seconds <= 600)) return false;
    const std::string which = s.substr(0, colon);
    if (which == "all") {
        faults.delay_every = seconds;
        return true;
    }
    std::set<unsigned> requests;
    if (!parse_list(which.c_str(), requests)) return false;
    for (unsigned r : requests)
        faults.delay[r] = seconds;
    return true;
}

// The first block that lets a bank run on to `limit - 1 + per_block` records.
std::size_t stretching_first_block(std::size_t limit, std::size_t per_block) {
    const std::size_t f = (limit - 1) % per_block;
    return f == 0 ? per_block : f;
}

} // namespace

int main(int argc, char** argv) {
    using namespace kalmo::sim;
    std::string link, device, charge_file;
    unsigned long count = 0, calls = 40, seed = 1;
    unsigned long calls_first = 0;
    bool have_count = false, empty = false, overflow = false, have_calls_first = false;
    ExchangeConfig config;
    ServerOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const char* v = i + 1 < argc ? argv[i + 1] : nullptr;
        unsigned long n = 0;
        auto need = [&](bool ok) {
            if (!ok || !v) {
                std::fprintf(stderr, "exchange-sim: bad or missing value for %s\n%s", a.c_str(),
                             kUsage);
                std::exit(2);
            }
            ++i;
        };
        if (a == "--link")
            need(v), link = v;
        else if (a == "--device")
            need(v), device = v;
        else if (a == "--charges")
            need(v), charge_file = v;
        else if (a == "--count")
            need(v && parse_number(v, count)), have_count = true;
        else if (a == "--calls")
            need(v && parse_number(v, calls));
        else if (a == "--seed")
            need(v && parse_number(v, seed));
        else if (a == "--charges-per-block")
            need(v && parse_number(v, n) && n >= 1 && n <= 10), config.charges_per_block = n;
        else if (a == "--calls-per-block")
            need(v && parse_number(v, n) && n >= 1 && n <= 14), config.calls_per_block = n;
        else if (a == "--ignore")
            need(v && parse_list(v, config.faults.ignore));
        else if (a == "--corrupt-checksum")
            need(v && parse_list(v, config.faults.corrupt_checksum));
        else if (a == "--bad-length")
            need(v && parse_list(v, config.faults.bad_length));
        else if (a == "--reply-69")
            need(v && parse_list(v, config.faults.reply_69));
        else if (a == "--short-reply")
            need(v && parse_list(v, config.faults.short_reply));
        else if (a == "--wrong-type")
            need(v && parse_list(v, config.faults.wrong_type));
        else if (a == "--empty-reply")
            need(v && parse_list(v, config.faults.empty_reply));
        else if (a == "--calls-in-first-bank")
            need(v && parse_number(v, calls_first)), have_calls_first = true;
        else if (a == "--fill-before")
            need(v && parse_number(v, n) && n <= 1000),
                config.faults.fill_before = static_cast<unsigned>(n);
        else if (a == "--stop-after")
            need(v && parse_number(v, n)), config.faults.stop_after = static_cast<unsigned>(n);
        else if (a == "--delay")
            need(v && parse_delay(v, config.faults));
        else if (a == "--char-gap")
            need(v && parse_number(v, n) && n <= 1000), options.char_gap_s = n / 1000.0;
        else if (a == "--unpaced")
            options.paced = false;
        else if (a == "--trace")
            options.trace = true;
        else if (a == "--empty")
            empty = true;
        else if (a == "--overflow")
            overflow = true;
        else {
            std::fprintf(stderr, "%s", kUsage);
            return 2;
        }
    }
    if (link.empty() == device.empty()) {
        std::fprintf(stderr, "%s", kUsage);
        return 2;
    }

    Exchange exchange(config);
    std::string error;
    if (overflow) {
        fill_random(exchange, 2008, 176, static_cast<std::uint32_t>(seed));
        // 999 + 1009 charges and 88 + 88 calls, more than either store holds, and blocks that
        // do not meet the round counts a reader might stop at.
        std::vector<Bytes> all = exchange.charges[0];
        all.insert(all.end(), exchange.charges[1].begin(), exchange.charges[1].end());
        exchange.charges[0].assign(all.begin(), all.begin() + 999);
        exchange.charges[1].assign(all.begin() + 999, all.end());
        std::vector<Bytes> c = exchange.calls[0];
        c.insert(c.end(), exchange.calls[1].begin(), exchange.calls[1].end());
        exchange.calls[0].assign(c.begin(), c.begin() + 88);
        exchange.calls[1].assign(c.begin() + 88, c.end());
        config.calls_first_block = stretching_first_block(75, config.calls_per_block);
    } else if (!charge_file.empty()) {
        // Random calls first: filling them also empties the charge banks.
        fill_random(exchange, 0, calls, static_cast<std::uint32_t>(seed));
        if (!fill_from_charge_file(exchange, charge_file, error)) {
            std::fprintf(stderr, "exchange-sim: %s\n", error.c_str());
            return 1;
        }
    } else if (have_count) {
        fill_random(exchange, count, calls, static_cast<std::uint32_t>(seed));
    } else if (!empty) {
        fill_demo(exchange);
    }
    if (have_calls_first) {
        std::vector<Bytes> c = exchange.calls[0];
        c.insert(c.end(), exchange.calls[1].begin(), exchange.calls[1].end());
        const std::size_t first = std::min<std::size_t>(calls_first, c.size());
        exchange.calls[0].assign(c.begin(), c.begin() + static_cast<std::ptrdiff_t>(first));
        exchange.calls[1].assign(c.begin() + static_cast<std::ptrdiff_t>(first), c.end());
    }
    if (exchange.charges[0].size() >= 1000 || exchange.charges[1].size() >= 1000)
        config.charges_first_block = stretching_first_block(1000, config.charges_per_block);
    Exchange configured(config);
    for (int b = 0; b < 2; ++b) {
        configured.charges[b] = std::move(exchange.charges[b]);
        configured.calls[b] = std::move(exchange.calls[b]);
    }

    Server server(configured, options);
    if (!(device.empty() ? server.open_pty(link, error) : server.open_device(device, error))) {
        std::fprintf(stderr, "exchange-sim: %s\n", error.c_str());
        return 1;
    }
    struct sigaction sa {};
    sa.sa_handler = on_signal;
    ::sigaction(SIGINT, &sa, nullptr);
    ::sigaction(SIGTERM, &sa, nullptr);
    ::signal(SIGPIPE, SIG_IGN);
    std::fprintf(stderr,
                 "exchange-sim: line %s%s%s, %zu + %zu charge records, %zu + %zu call records%s\n",
                 link.empty() ? device.c_str() : link.c_str(), link.empty() ? "" : " -> ",
                 link.empty() ? "" : server.slave_path().c_str(), configured.charges[0].size(),
                 configured.charges[1].size(), configured.calls[0].size(),
                 configured.calls[1].size(), options.paced ? ", 4800 bit/s" : ", unpaced");
    server.run(g_stop);
    std::fprintf(stderr,
                 "exchange-sim: %llu bytes in, %llu bytes out, %llu requests after a reply "
                 "came %.3f s after it in all, line busy %.3f s\n",
                 server.bytes_in(), server.bytes_out(), server.turns(), server.turnaround_s(),
                 server.line_busy_s());
    return 0;
}
