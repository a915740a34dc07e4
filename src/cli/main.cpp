#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "platform/platform.h"

int main(int argc, char** argv) {
#ifdef _WIN32
    // The Windows C runtime writes an unbuffered stream one character at a time, a system call
    // each: a progress line cost tens of them, between two block requests. std::cerr still
    // flushes after every output, so the buffer only joins the characters of one output.
    static char err_buffer[4096];
    std::setvbuf(stderr, err_buffer, _IOFBF, sizeof err_buffer);
#endif
    const std::vector<std::string> args = kalmo::platform::utf8_arguments(argc, argv);
    std::vector<const char*> pointers;
    for (const std::string& arg : args)
        pointers.push_back(arg.c_str());
    return kalmo::cli::run(static_cast<int>(pointers.size()), pointers.data(), std::cout,
                           std::cerr);
}
