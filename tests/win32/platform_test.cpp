// The Windows implementations of the core's file, code page and clock interfaces.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/platform.h"
#include "platform/files.h"
#include "temp_dir.h"
#include "support/utf8_text.h"

namespace kalmo {
namespace {

TEST(Win32FileSystem, WriteReplacingReplacesAndLeavesNoTemporaryFile) {
    test::TempDir dir;
    platform::SystemFileSystem fs;
    const std::string path = dir.file("Daten.GDS");
    EXPECT_FALSE(fs.exists(path));
    EXPECT_FALSE(fs.read(path, 100).has_value());

    ASSERT_TRUE(fs.write_replacing(path, std::string("first content\0with zero", 23)));
    ASSERT_TRUE(fs.write_replacing(path, "second"));
    EXPECT_TRUE(fs.exists(path));
    const auto bytes = fs.read(path, 100);
    ASSERT_TRUE(bytes.has_value());
    EXPECT_EQ(std::string(bytes->begin(), bytes->end()), "second");
    EXPECT_FALSE(fs.exists(path + ".kalmo-tmp"));
}

TEST(Win32FileSystem, ARewriteKeepingTheTimeKeepsIt) {
    test::TempDir dir;
    platform::SystemFileSystem fs;
    const std::string path = dir.file("Januar.GDS");
    ASSERT_TRUE(fs.write_replacing(path, "old"));
    const FILETIME old_time{0x12345678, 0x01C00000};
    {
        HANDLE h = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        ASSERT_TRUE(SetFileTime(h, nullptr, nullptr, &old_time));
        CloseHandle(h);
    }
    const auto written = [&] {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        EXPECT_TRUE(GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data));
        return data.ftLastWriteTime;
    };
    ASSERT_TRUE(fs.write_replacing_keeping_time(path, "new"));
    FILETIME now = written();
    EXPECT_EQ(CompareFileTime(&old_time, &now), 0);
    const auto bytes = fs.read(path, 100);
    ASSERT_TRUE(bytes.has_value());
    EXPECT_EQ(std::string(bytes->begin(), bytes->end()), "new");
    ASSERT_TRUE(fs.write_replacing(path, "newer"));
    now = written();
    EXPECT_NE(CompareFileTime(&old_time, &now), 0);
}

TEST(Win32FileSystem, AJournalBeingWrittenOpensForReading) {
    test::TempDir dir;
    platform::SystemFileSystem fs;
    const std::string path = dir.file("2026-12-07_103000.ANR");
    auto journal = fs.create_new(path);
    ASSERT_TRUE(journal);
    const std::uint8_t record[] = {1, 2, 3};
    ASSERT_TRUE(journal->write_at(0, record) && journal->sync());
    const auto bytes = fs.read(path, 100);
    ASSERT_TRUE(bytes.has_value()) << "while the read still writes it";
    EXPECT_EQ(bytes->size(), 3u);

    // What someone placed under the old fixed name beside a file is left alone.
    const std::string saved = dir.file("Daten.GDS");
    ASSERT_TRUE(fs.write_replacing(saved + ".kalmo-tmp", "not yours"));
    ASSERT_TRUE(fs.write_replacing(saved, "records"));
    EXPECT_EQ(*fs.read(saved + ".kalmo-tmp", 100),
              (std::vector<std::uint8_t>{'n', 'o', 't', ' ', 'y', 'o', 'u', 'r', 's'}));
    EXPECT_EQ(fs.read(saved, 100)->size(), 7u);
}

TEST(Win32FileSystem, ReadStopsAtTheLimitAndReadsEmptyFiles) {
    test::TempDir dir;
    platform::SystemFileSystem fs;
    const std::string path = dir.file("big.bin");
    const std::string content(20000, 'x');
    ASSERT_TRUE(fs.write_replacing(path, content));
    EXPECT_EQ(fs.read(path, 9000)->size(), 9000u);
    EXPECT_EQ(fs.read(path, 1 << 20)->size(), 20000u);

    const std::string empty = dir.file("empty.bin");
    ASSERT_TRUE(fs.write_replacing(empty, ""));
    const auto bytes = fs.read(empty, 100);
    ASSERT_TRUE(bytes.has_value()) << "an empty file is there, just empty";
    EXPECT_TRUE(bytes->empty());
}

using test::utf8;

TEST(Win32FileSystem, NamesInAnyScriptReachTheDiskAsTheyAre) {
    test::TempDir dir;
    platform::SystemFileSystem fs;
    const std::string folder = dir.file(utf8(u8"Łódź Ξ\\Gebühren März\\"));
    ASSERT_TRUE(fs.make_directories(folder.substr(0, folder.size() - 1)));
    const std::string path = folder + utf8(u8"Zoë Ξ.GDS");
    ASSERT_TRUE(fs.write_replacing(path, "abc"));
    ASSERT_TRUE(fs.write_replacing_keeping_time(path, "abcd"));
    EXPECT_TRUE(fs.exists(path));
    EXPECT_EQ(fs.read(path, 100), (std::vector<std::uint8_t>{'a', 'b', 'c', 'd'}));

    // The system sees exactly that name, and nothing else beside it (no temporary file).
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW(test::TempDir::wide(folder + "*.*").c_str(), &found);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    std::vector<std::wstring> names;
    do {
        if (found.cFileName[0] != L'.') names.push_back(found.cFileName);
    } while (FindNextFileW(find, &found));
    FindClose(find);
    EXPECT_EQ(names, std::vector<std::wstring>{L"Zo\u00EB \u039E.GDS"});

    const std::string journal = folder + utf8(u8"Ξ.GDS");
    auto durable = fs.create_new(journal);
    ASSERT_NE(durable, nullptr);
    EXPECT_EQ(fs.create_new(journal), nullptr) << "never over an existing file";
    durable.reset();
    EXPECT_TRUE(fs.discard_new(journal));
    EXPECT_FALSE(fs.exists(journal));
}

TEST(Win32FileSystem, FailedWriteKeepsTheOldFileAndReportsFailure) {
    test::TempDir dir;
    platform::SystemFileSystem fs;
    EXPECT_FALSE(fs.write_replacing(dir.file("no such dir\\x.GDS"), "abc"));

    // A read-only target cannot be replaced: the old content survives and no temp stays.
    const std::string path = dir.file("locked.GDS");
    ASSERT_TRUE(fs.write_replacing(path, "old"));
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    const bool replaced = fs.write_replacing(path, "new");
    CloseHandle(h);
    const auto bytes = fs.read(path, 100);
    ASSERT_TRUE(bytes.has_value());
    const std::string now(bytes->begin(), bytes->end());
    if (replaced)
        EXPECT_EQ(now, "new");
    else
        EXPECT_EQ(now, "old");
    EXPECT_FALSE(fs.exists(path + ".kalmo-tmp"));
}

TEST(Win32CodePage, UmlautsToOemAndBack) {
    platform::SystemCodePage cp;
    const std::string ansi = "\xE4\xF6\xFC\xDF\xC4 Abc";
    const std::string oem = cp.ansi_to_oem(ansi);
    EXPECT_EQ(oem, "\x84\x94\x81\xE1\x8E Abc");
    EXPECT_EQ(cp.oem_to_ansi(oem), ansi);
    EXPECT_EQ(cp.ansi_to_oem(""), "");
    EXPECT_EQ(cp.ansi_to_oem(std::string("a\0b", 3)), std::string("a\0b", 3))
        << "a zero byte does not end the text";
}

TEST(Win32Platform, ClockAndProgramPath) {
    platform::SystemClock clock;
    const app::LocalTime t = clock.now();
    EXPECT_GE(t.year, 2020);
    EXPECT_GE(t.month, 1);
    EXPECT_LE(t.month, 12);
    // The clock moves in the system's ticks (Wine's in steps of its own): a wait of 100 ms
    // may show as up to a tick less, never as less than that.
    DWORD adjustment = 0, tick_100ns = 0;
    BOOL disabled = FALSE;
    ASSERT_TRUE(GetSystemTimeAdjustment(&adjustment, &tick_100ns, &disabled));
    const std::int64_t tick_ms = (static_cast<std::int64_t>(tick_100ns) + 9999) / 10000;
    const std::int64_t first = clock.monotonic_ms();
    Sleep(100);
    EXPECT_GE(clock.monotonic_ms() - first, 100 - std::max<std::int64_t>(tick_ms, 16))
        << "tick " << tick_ms << " ms";

    const std::string path = platform::program_path();
    ASSERT_GT(path.size(), 15u);
    EXPECT_EQ(path.substr(path.size() - 15), "win32_tests.exe");
}

TEST(Win32Platform, ConsoleOutputIsUtf8AndTextArgumentsBecomeAnsi) {
    EXPECT_EQ(platform::to_console("Geb\xFChren \xC4\xDF \x80"),
              "Geb\xC3\xBChren \xC3\x84\xC3\x9F \xE2\x82\xAC");
    EXPECT_EQ(platform::to_console(""), "");
    EXPECT_EQ(platform::to_console(std::string("a\0b", 3)), std::string("a\0b", 3));
    EXPECT_EQ(platform::from_console(utf8(u8"ä€")), "\xE4\x80");
    EXPECT_EQ(platform::from_console_exact(utf8(u8"ä€")), "\xE4\x80");
    const std::string greek = utf8(u8"Ξ"); // outside the check: gtest quotes it as 1252 text
    EXPECT_EQ(platform::from_console_exact(greek), std::nullopt);

    // A path comes back from the system's wide form as the UTF-8 it went in as.
    const std::string polish = utf8(u8"C:\\Łódź Ξ\\a.GDS");
    EXPECT_EQ(platform::native_path(polish).native(), L"C:\\\u0141\u00F3d\u017A \u039E\\a.GDS");
    EXPECT_EQ(platform::utf8_path(platform::native_path(polish)), polish);
}

} // namespace
} // namespace kalmo
