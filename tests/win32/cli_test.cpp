// The console program on Windows: file names in any script reach the files unchanged, from the
// command line as from the program's own calls, and a save writes the data file and its export
// beside it.
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
#include "support/utf8_text.h"

namespace kalmo {
namespace {

using test::utf8;

std::string charge_file(unsigned records) {
    auto store = std::make_unique<data::ChargeStore>();
    data::ChargeRecord r;
    r.subscriber = 0x21;
    r.month = 3;
    r.day = 4;
    r.amount = 23;
    store->set_count(static_cast<std::uint16_t>(records));
    for (unsigned i = 0; i < records; ++i)
        store->set_record(i, r);
    const auto image = store->save_image();
    return std::string(reinterpret_cast<const char*>(image.data()), image.size());
}

struct ProgramRun {
    DWORD status = 0xFFFFFFFF;
    std::string out;
};

// kalmo.exe started as a shell starts it, the command line in UTF-16, its stdout captured.
ProgramRun run_program(const std::wstring& program, const std::wstring& arguments,
                       const std::string& out_file) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE out = CreateFileW(test::TempDir::wide(out_file).c_str(), GENERIC_WRITE, 0, &inherit,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE) return {};
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = out;
    si.hStdError = out;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    std::wstring command_line = L"\"" + program + L"\" " + arguments;
    PROCESS_INFORMATION pi{};
    ProgramRun run;
    if (CreateProcessW(program.c_str(), command_line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                       nullptr, &si, &pi)) {
        WaitForSingleObject(pi.hProcess, 120000);
        GetExitCodeProcess(pi.hProcess, &run.status);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    CloseHandle(out);
    platform::SystemFileSystem fs;
    if (const auto bytes = fs.read(out_file, 1 << 20)) run.out.assign(bytes->begin(), bytes->end());
    return run;
}

TEST(Win32Cli, TheProgramInAFolderOfAnyScriptTakesSuchNamesAsArguments) {
    test::TempDir dir;
    platform::SystemFileSystem fs;
    const std::string folder = dir.file(utf8(u8"Łódź Ξ\\"));
    ASSERT_TRUE(fs.make_directories(folder.substr(0, folder.size() - 1)));
    const std::wstring program = test::TempDir::wide(folder + "kalmo.exe");
    ASSERT_TRUE(CopyFileW(test::TempDir::wide(KALMO_EXE).c_str(), program.c_str(), FALSE));
    const std::string in = folder + utf8(u8"Gebühren Ξ.GDS");
    ASSERT_TRUE(fs.write_replacing(in, charge_file(2)));

    const std::wstring win = test::TempDir::wide(in);
    // Out of the checks: gtest quotes their arguments as text, which cannot hold "Ξ".
    const std::string copy = folder + utf8(u8"Kopie Zoë Ξ.GDS");
    const std::string copy_export = folder + utf8(u8"Kopie Zoë Ξ.ASC");
    const std::wstring wout = test::TempDir::wide(copy);
    ProgramRun r =
        run_program(program, L"save \"" + win + L"\" \"" + wout + L"\"", dir.file("save.txt"));
    EXPECT_EQ(r.status, 0u) << r.out;
    EXPECT_EQ(fs.read(copy, 1 << 16), fs.read(in, 1 << 16));
    EXPECT_TRUE(fs.exists(copy_export));

    r = run_program(program, L"charges \"" + win + L"\" --today 2026-03-10",
                    dir.file("charges.txt"));
    EXPECT_EQ(r.status, 0u) << r.out;
    EXPECT_NE(r.out.find("0,23"), std::string::npos) << r.out;

    // A message names the file with '?' where the Windows character set has no letter; the
    // console gets it as UTF-8.
    r = run_program(program, L"save \"" + win + L"\" \"" + wout + L"\"", dir.file("again.txt"));
    EXPECT_EQ(r.status, 1u);
    EXPECT_NE(r.out.find(utf8(u8"?ód? ?\\Kopie Zoë ?.GDS. existiert bereits")), std::string::npos)
        << r.out;
}

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
    const std::string in = dir.file(utf8(u8"Gebühren Dezember.GDS"));
    const std::string out_file = dir.file(utf8(u8"Kopie März.GDS"));
    ASSERT_TRUE(fs.write_replacing(
        in, std::string_view(reinterpret_cast<const char*>(image.data()), image.size())));

    const char* argv[] = {"kalmo", "save", in.c_str(), out_file.c_str()};
    std::ostringstream out, err;
    EXPECT_EQ(cli::run(4, argv, out, err), cli::kExitOk) << err.str();
    EXPECT_EQ(fs.read(out_file, 1 << 16), fs.read(in, 1 << 16));
    EXPECT_TRUE(fs.exists(dir.file(utf8(u8"Kopie März.ASC"))));

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
    const std::string in = dir.file(utf8(u8"März Ξ.GDS"));
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
