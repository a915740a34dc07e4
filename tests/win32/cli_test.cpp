// The console program on Windows: ANSI file names with umlauts reach the files unchanged, and
// a save writes the data file and its export beside it.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <iostream>
#include <sstream>

#include "cli/cli.h"
#include "core/data/charge.h"
#include "platform/files.h"
#include "temp_dir.h"

namespace kalmo {
namespace {

TEST(Win32Cli, SaveCopiesAChargeFileBetweenUmlautNames) {
    test::TempDir dir;
    platform::SystemFileSystem fs;
    auto store = std::make_unique<data::ChargeStore>();
    data::ChargeRecord r;
    r.subscriber = 31;
    r.month = 12;
    r.day = 24;
    r.amount = 123;
    store->set_count(1);
    store->set_record(0, r);
    const auto image = store->save_image();
    const std::string in = dir.file("Gebühren Dezember.GDS");
    const std::string out_file = dir.file("Kopie März.GDS");
    ASSERT_TRUE(fs.write_replacing(
        in, std::string_view(reinterpret_cast<const char*>(image.data()), image.size())));

    const char* argv[] = {"kalmo", "save", in.c_str(), out_file.c_str()};
    std::ostringstream out, err;
    EXPECT_EQ(cli::run(4, argv, out, err), cli::kExitOk) << err.str();
    EXPECT_EQ(fs.read(out_file, 1 << 16), fs.read(in, 1 << 16));
    EXPECT_TRUE(fs.exists(dir.file("Kopie März.ASC")));

    // Saving again over it is refused without --yes and leaves it alone.
    std::ostringstream out2, err2;
    EXPECT_EQ(cli::run(4, argv, out2, err2), cli::kExitFailed);
    EXPECT_NE(err2.str().find("existiert bereits"), std::string::npos) << err2.str();
}

TEST(Win32Cli, CsvOnStdoutEndsEachRowInOneCrLf) {
    // In text mode the C runtime put a CR before the LF of every CR LF: an empty line after
    // each row in a spreadsheet.
    test::TempDir dir;
    platform::SystemFileSystem fs;
    auto store = std::make_unique<data::ChargeStore>();
    data::ChargeRecord r;
    r.subscriber = 0x21;
    r.month = 3;
    r.day = 4;
    r.amount = 23;
    store->set_count(1);
    store->set_record(0, r);
    const auto image = store->save_image();
    const std::string in = dir.file("M\xE4rz.GDS");
    ASSERT_TRUE(fs.write_replacing(
        in, std::string_view(reinterpret_cast<const char*>(image.data()), image.size())));

    const std::string captured = dir.file("stdout.csv");
    std::cout.flush();
    std::fflush(stdout);
    const int saved = _dup(_fileno(stdout));
    FILE* file = std::fopen(captured.c_str(), "w");
    ASSERT_NE(file, nullptr);
    _dup2(_fileno(file), _fileno(stdout));
    const char* argv[] = {"kalmo", "charges", in.c_str(), "--csv", "--today", "2026-03-10"};
    std::ostringstream err;
    const int status = cli::run(6, argv, std::cout, err);
    std::cout.flush();
    std::fflush(stdout);
    _dup2(saved, _fileno(stdout));
    _setmode(_fileno(stdout), _O_TEXT);
    _close(saved);
    std::fclose(file);
    EXPECT_EQ(status, cli::kExitOk) << err.str();
    const auto bytes = fs.read(captured, 1 << 16);
    ASSERT_TRUE(bytes.has_value());
    const std::string text(bytes->begin(), bytes->end());
    EXPECT_EQ(text.find("\r\r"), std::string::npos) << text;
    EXPECT_NE(text.find("0,23"), std::string::npos) << text;
    std::size_t rows = 0;
    for (std::size_t at = text.find("\r\n"); at != std::string::npos;
         at = text.find("\r\n", at + 1))
        ++rows;
    EXPECT_GE(rows, 2u) << text;
    EXPECT_EQ(rows, static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')));
}

} // namespace
} // namespace kalmo
