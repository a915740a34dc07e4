#include "sim/server.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <cmath>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace kalmo::sim {

namespace {

double now_s() {
    timespec t{};
    ::clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

void sleep_until(double when) {
    timespec t{};
    t.tv_sec = static_cast<time_t>(std::floor(when));
    t.tv_nsec = static_cast<long>((when - std::floor(when)) * 1e9);
    while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &t, nullptr) == EINTR) {
    }
}

void make_raw(int fd) {
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0) return;
    ::cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    ::cfsetispeed(&tio, B4800);
    ::cfsetospeed(&tio, B4800);
    ::tcsetattr(fd, TCSANOW, &tio);
}

// A half-received frame is given up after this much silence: the program sends every frame in
// one go, so a gap means the rest was lost.
constexpr double kFrameGap = 0.5;

} // namespace

Server::~Server() {
    if (fd_ >= 0) ::close(fd_);
    if (slave_fd_ >= 0) ::close(slave_fd_);
    if (!link_.empty()) ::unlink(link_.c_str());
}

bool Server::open_pty(const std::string& link, std::string& error) {
    int master = -1, slave = -1;
    char name[256] = {};
    if (::openpty(&master, &slave, name, nullptr, nullptr) != 0) {
        error = std::string("openpty: ") + std::strerror(errno);
        return false;
    }
    make_raw(slave);
    ::fcntl(master, F_SETFD, FD_CLOEXEC);
    ::fcntl(slave, F_SETFD, FD_CLOEXEC);
    fd_ = master;
    slave_fd_ = slave;
    slave_path_ = name;
    if (!link.empty()) {
        // Only a link left behind by an earlier run is replaced, never a file.
        struct stat st {};
        if (::lstat(link.c_str(), &st) == 0) {
            if (!S_ISLNK(st.st_mode)) {
                error = link + " exists and is no symbolic link";
                return false;
            }
            ::unlink(link.c_str());
        }
        if (::symlink(name, link.c_str()) != 0) {
            error = "cannot link " + link + ": " + std::strerror(errno);
            return false;
        }
        link_ = link;
    }
    return true;
}

bool Server::open_device(const std::string& path, std::string& error) {
    fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd_ < 0) {
        error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    make_raw(fd_);
    slave_path_ = path;
    return true;
}

void Server::trace(const char* direction, const std::string& text) {
    if (!options_.trace) return;
    std::fprintf(options_.trace_to, "%s %s\n", direction, text.c_str());
    std::fflush(options_.trace_to);
}

double Server::line_busy_s() const {
    return sending_s_ +
           static_cast<double>(bytes_in_) * 10.0 / static_cast<double>(options_.bits_per_second);
}

void Server::send(const Bytes& reply) {
    const double byte_time = 10.0 / static_cast<double>(options_.bits_per_second);
    const double start = now_s();
    std::size_t done = 0;
    double next = start;
    while (done < reply.size()) {
        std::size_t n = reply.size() - done;
        if (options_.char_gap_s > 0) {
            // Each byte after the one before, never sooner than the line allows and up to the
            // gap later: a late wake-up delays every byte after it too.
            gap_seed_ = gap_seed_ * 1664525u + 1013904223u;
            next = std::max(next, now_s()) + byte_time +
                   options_.char_gap_s * static_cast<double>(gap_seed_ >> 8) / 16777216.0;
            sleep_until(next);
            n = 1;
        } else if (options_.paced) {
            // Every byte leaves at its own time on the line; a late wake-up sends what is due.
            // A byte is handed over once it would have come in completely.
            sleep_until(start + static_cast<double>(done + 1) * byte_time);
            const auto due = static_cast<std::size_t>((now_s() - start) / byte_time);
            n = std::clamp<std::size_t>(due > done ? due - done : 1, 1, n);
        }
        const ssize_t w = ::write(fd_, reply.data() + done, n);
        if (w < 0) {
            if (errno == EINTR || errno == EAGAIN) continue;
            return;
        }
        done += static_cast<std::size_t>(w);
        bytes_out_ += static_cast<unsigned long long>(w);
    }
    reply_end_ = now_s();
    sending_s_ += reply_end_ - start;
}

void Server::handle(const Event& e, double arrived) {
    if (fill_run_) {
        trace("->", std::to_string(fill_run_) + " fill bytes");
        fill_run_ = 0;
    }
    trace("->", e.description);
    if (!e.announcement.empty() && options_.announce_to) {
        std::fprintf(options_.announce_to, "%s\n", e.announcement.c_str());
        std::fflush(options_.announce_to);
    }
    if (e.reply.empty()) return;
    // The exchange answers once the request has come in completely over the line (and, as a
    // fault, some time after that; it reads nothing meanwhile, like a busy exchange).
    if (options_.paced || e.delay > 0) sleep_until((options_.paced ? arrived : now_s()) + e.delay);
    std::size_t fill = 0;
    while (fill < e.reply.size() && e.reply[fill] == 0)
        ++fill;
    if (fill) trace("<-", std::to_string(fill) + " fill bytes");
    trace("<-", describe_frame(
                    Bytes(e.reply.begin() + static_cast<std::ptrdiff_t>(fill), e.reply.end())));
    send(e.reply);
}

void Server::run(const std::atomic<bool>& stop) {
    const double byte_time = 10.0 / static_cast<double>(options_.bits_per_second);
    std::uint8_t buf[512];
    double last_byte = now_s();
    while (!stop.load()) {
        pollfd p{fd_, POLLIN, 0};
        const int ready = ::poll(&p, 1, 100);
        const double t = now_s();
        if (exchange_.partial() && t - last_byte > kFrameGap) {
            trace("->", "incomplete frame dropped");
            exchange_.drop_partial();
        }
        if (ready <= 0) continue;
        const ssize_t n = (p.revents & POLLIN) ? ::read(fd_, buf, sizeof buf) : -1;
        if (n <= 0) {
            // No program on the line (or it hung up): wait instead of spinning.
            ::poll(nullptr, 0, 50);
            continue;
        }
        last_byte = t;
        bytes_in_ += static_cast<unsigned long long>(n);
        if (reply_end_ >= 0) {
            turnaround_s_ += t - reply_end_;
            ++turns_;
            reply_end_ = -1;
        }
        // These bytes left the program just now and take their line time to come in.
        double arrival = std::max(line_in_free_, t);
        for (ssize_t i = 0; i < n; ++i) {
            arrival += byte_time;
            if (!exchange_.partial() && buf[i] == 0) ++fill_run_;
            if (auto e = exchange_.take(buf[i])) handle(*e, arrival);
        }
        line_in_free_ = arrival;
    }
}

} // namespace kalmo::sim
