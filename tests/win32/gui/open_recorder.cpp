// Stands in for the browser in the installer test's Wine prefix: appends the document it was
// asked to open to the file named by KALMO_OPEN_LOG, one line each.
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    const char* log = std::getenv("KALMO_OPEN_LOG");
    if (!log) return 1;
    FILE* f = std::fopen(log, "ab");
    if (!f) return 1;
    for (int i = 1; i < argc; ++i)
        std::fprintf(f, "%s%s", argv[i], i + 1 < argc ? " " : "\n");
    std::fclose(f);
    return 0;
}
