// Reads charge records from exchange-sim paced at 4800 bit/s through a pseudo-terminal and
// compares the wall time with the time the bytes need on the line, and the CPU time with the
// wall time.
//   bench_read_charges [--count N]   (default 2000: about 100 s of line time)
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "core/data/charge.h"
#include "core/link/transfers.h"
#include "platform/platform.h"
#include "platform/posix/serial_port.h"

namespace {

using namespace kalmo;

// Counts what crosses the line in both directions.
class CountingPort : public link::SerialPort {
public:
    explicit CountingPort(link::SerialPort& port) : port_(port) {}
    bool open(const std::string& name) override { return port_.open(name); }
    void close() override { port_.close(); }
    bool write(std::span<const std::uint8_t> bytes) override {
        written += bytes.size();
        return port_.write(bytes);
    }
    std::size_t read(std::span<std::uint8_t> into, std::chrono::milliseconds wait) override {
        const std::size_t n = port_.read(into, wait);
        received += n;
        return n;
    }
    void discard_input() override { port_.discard_input(); }
    unsigned long long written = 0, received = 0;

private:
    link::SerialPort& port_;
};

class QuietUi : public link::TransferUi {
public:
    app::Answer show(const app::Message& m) override {
        std::fprintf(stderr, "message: %s\n", platform::to_console(m.text).c_str());
        return app::Answer::Ok;
    }
    bool open_progress_dialog() override { return open_ = true; }
    void close_progress_dialog() override { open_ = false; }
    void set_progress_line(int, const std::string&) override {}
    bool cancelled() const override { return false; }

private:
    bool open_ = false;
};

double cpu_seconds() {
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) * 1e-6;
}

} // namespace

int main(int argc, char** argv) {
    unsigned long count = 2000;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--count") == 0) count = std::strtoul(argv[++i], nullptr, 10);

    const std::string line = "/tmp/kalmo-bench-" + std::to_string(::getpid()) + ".pty";
    const std::string count_text = std::to_string(count);
    const pid_t sim = ::fork();
    if (sim == 0) {
        ::execl(KALMO_EXCHANGE_SIM, KALMO_EXCHANGE_SIM, "--link", line.c_str(), "--count",
                count_text.c_str(), "--seed", "4800", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    struct stat st {};
    for (int i = 0; i < 500 && ::stat(line.c_str(), &st) != 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));

    platform::PosixSerialPort real_port;
    CountingPort port(real_port);
    QuietUi ui;
    auto clock = platform::make_clock();
    link::Link link(port, ui, *clock);
    auto store = std::make_unique<data::ChargeStore>();

    const double cpu0 = cpu_seconds();
    const auto t0 = std::chrono::steady_clock::now();
    const link::ReadResult report = link::read_charges(link, *store, line);
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    const double cpu = cpu_seconds() - cpu0;

    ::kill(sim, SIGTERM);
    ::waitpid(sim, nullptr, 0);

    const double line_time = static_cast<double>(port.written + port.received) * 10.0 / 4800.0;
    std::printf("records received   %u of %lu (dropped %zu)\n", store->count(), count,
                report.dropped);
    std::printf("bytes on the line  %llu sent, %llu received\n", port.written, port.received);
    std::printf("ideal line time    %.2f s\n", line_time);
    std::printf("wall time          %.2f s  (%.4f x line time, target <= 1.03)\n", wall,
                wall / line_time);
    std::printf("CPU time           %.3f s  (%.3f%% of one core, target <= 1%%)\n", cpu,
                100.0 * cpu / wall);
    const bool ok = store->count() == count && wall <= 1.03 * line_time && cpu <= 0.01 * wall;
    return ok ? 0 : 1;
}
