#pragma once
// exchange-sim as a program of its own on a pseudo-terminal, and the console commands run in
// this process, for the tests that go the whole road.
#include <algorithm>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "cli/cli_run.h"
#include "platform/platform.h"
#include "sim/records.h"

namespace kalmo::test {

using sim::Bytes;

class SimProcess {
public:
    explicit SimProcess(std::vector<std::string> args) {
        static int serial = 0;
        const std::string base =
            "/tmp/kalmo-sim-" + std::to_string(::getpid()) + "-" + std::to_string(++serial);
        link = base + ".pty";
        out = base + ".out";
        err = base + ".err";
        args.insert(args.begin(), {KALMO_EXCHANGE_SIM, "--link", link, "--trace"});
        pid = ::fork();
        if (pid == 0) {
            const int o = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const int e = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            ::dup2(o, 1);
            ::dup2(e, 2);
            std::vector<char*> argv;
            for (auto& a : args)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        struct stat st {};
        for (int i = 0; i < 500 && ::stat(link.c_str(), &st) != 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ~SimProcess() {
        if (pid > 0) {
            ::kill(pid, SIGTERM);
            int status = 0;
            ::waitpid(pid, &status, 0);
        }
        ::unlink(out.c_str());
        ::unlink(err.c_str());
        ::unlink(link.c_str());
    }
    std::string read(const std::string& path) const {
        std::ifstream in(path);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    std::string stdout_text() const { return read(out); }
    std::string trace() const { return read(err); }

    pid_t pid = -1;
    std::string link, out, err;
};

// The records the simulator holds for --count and --seed, in any order.
inline std::vector<Bytes> expected_charges(std::size_t n, std::uint32_t seed,
                                           std::size_t calls = 40) {
    sim::Exchange ex;
    sim::fill_random(ex, n, calls, seed);
    std::vector<Bytes> all = ex.charges[0];
    all.insert(all.end(), ex.charges[1].begin(), ex.charges[1].end());
    std::sort(all.begin(), all.end());
    return all;
}

// The records a store holds, each as its bytes.
template <typename Store> std::vector<Bytes> held(const Store& store, std::size_t size) {
    std::vector<Bytes> v;
    for (std::size_t i = 0; i < store.count(); ++i)
        v.emplace_back(store.record_bytes(i), store.record_bytes(i) + size);
    return v;
}

template <typename Store> bool sorted(const Store& store) {
    for (std::size_t i = 1; i < store.count(); ++i)
        if (store.record(i).key() < store.record(i - 1).key()) return false;
    return true;
}

// The console commands, end to end: kalmo_cli (cli/cli_run.h).
inline bool contains(const std::string& text, const char* ansi) {
    return text.find(platform::to_console(ansi)) != std::string::npos;
}

// The whole content of a file, empty when there is none.
inline std::string file_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

} // namespace kalmo::test
