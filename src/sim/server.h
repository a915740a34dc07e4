#pragma once
// The simulated exchange on a line: a pseudo-terminal (or a given device), paced like a 4800
// bit/s line, with an optional trace of every frame.
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <string>

#include "sim/exchange.h"

namespace kalmo::sim {

struct ServerOptions {
    bool paced = true; // 10 bits per byte at 4800 bit/s, both ways
    long bits_per_second = 4800;
    // Each reply byte on its own, up to this much later than the line rate allows (a random
    // share of it), as an exchange with a slow controller sends; 0 sends at the line rate.
    double char_gap_s = 0;
    bool trace = false; // every frame both ways on `trace_to`
    std::FILE* trace_to = stderr;
    std::FILE* announce_to = stdout; // deletes and speed-dial targets
};

class Server {
public:
    Server(Exchange& exchange, ServerOptions options) : exchange_(exchange), options_(options) {}
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    // A new pseudo-terminal; its slave's path is slave_path(), and when `link` is not empty a
    // symbolic link of that name points to it. false with `error` set on failure.
    bool open_pty(const std::string& link, std::string& error);
    // An existing line, e.g. one end of a null-modem cable.
    bool open_device(const std::string& path, std::string& error);
    const std::string& slave_path() const { return slave_path_; }

    // Serves until `stop` becomes true (checked at least every 100 ms).
    void run(const std::atomic<bool>& stop);

    // Bytes that went over the line each way, fill bytes included.
    unsigned long long bytes_in() const { return bytes_in_; }
    unsigned long long bytes_out() const { return bytes_out_; }
    // How long the program took, all told, from the end of a reply to its next request, and
    // how many such turns there were: the program's share of a transfer's time.
    double turnaround_s() const { return turnaround_s_; }
    unsigned long long turns() const { return turns_; }
    // How long the line was busy, all told: the time the exchange took to send its replies and
    // the line time of what the program sent. A transfer can take no less.
    double line_busy_s() const;

private:
    void handle(const Event& event, double arrived);
    void send(const Bytes& reply);
    void trace(const char* direction, const std::string& text);

    Exchange& exchange_;
    ServerOptions options_;
    int fd_ = -1;
    int slave_fd_ = -1; // held open so the line does not hang up between transfers
    std::string slave_path_;
    std::string link_;
    double line_in_free_ = 0; // when the incoming direction has carried everything so far
    unsigned fill_run_ = 0;   // fill bytes seen between frames, traced as one line
    std::atomic<unsigned long long> bytes_in_{0};
    std::atomic<unsigned long long> bytes_out_{0};
    double reply_end_ = -1; // when the last reply was out, until the next request begins
    double turnaround_s_ = 0;
    unsigned long long turns_ = 0;
    double sending_s_ = 0;
    std::uint32_t gap_seed_ = 4800;
};

} // namespace kalmo::sim
