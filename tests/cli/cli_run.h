#pragma once
// The console program run in this process as a shell would run it: arguments in, exit status
// and both output streams out.
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"

namespace kalmo::test {

struct CliRun {
    int status;
    std::string out, err;
};

inline CliRun kalmo_cli(std::vector<std::string> args) {
    args.insert(args.begin(), "kalmo");
    std::vector<const char*> argv;
    for (const auto& a : args)
        argv.push_back(a.c_str());
    std::ostringstream out, err;
    const int status = cli::run(static_cast<int>(argv.size()), argv.data(), out, err);
    return {status, out.str(), err.str()};
}

} // namespace kalmo::test
