#include <cstdio>
#include <iostream>

#include "cli/cli.h"

int main(int argc, char** argv) {
#ifdef _WIN32
    // The Windows C runtime writes an unbuffered stream one character at a time, a system call
    // each: a progress line cost tens of them, between two block requests. std::cerr still
    // flushes after every output, so the buffer only joins the characters of one output.
    static char err_buffer[4096];
    std::setvbuf(stderr, err_buffer, _IOFBF, sizeof err_buffer);
#endif
    return kalmo::cli::run(argc, argv, std::cout, std::cerr);
}
