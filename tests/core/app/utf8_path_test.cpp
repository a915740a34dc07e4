// Paths in UTF-8 beside texts in Windows-1252: what a message or title shows of a path, and how
// the settings file keeps one that older versions must still read and one they never could.
#include <gtest/gtest.h>

#include "core/app/ini.h"
#include "core/app/settings.h"
#include "core/app/shell.h"
#include "core/app/strings.h"
#include "core/app/utf8.h"
#include "core/fakes.h"
#include "support/utf8_text.h"

namespace kalmo::app {
namespace {

using test::utf8;

// gtest quotes a check's arguments as narrow text, in which a letter outside Windows-1252
// cannot stand: such letters are kept out of the checks' arguments.
const std::string kPolish = utf8(u8"C:\\Łódź Ξ\\Jan.GDS");
const std::string kEmoji = utf8(u8"x😀y");
const std::string kGreekBook = utf8(u8"C:\\Büro\\Ξ.TLB");
const std::string kPolishStart = utf8(u8"C:\\Ł");

TEST(ShownPath, KeepsWhatTheCodePageHasAndMarksTheRest) {
    // "ü" and "€" exist in 1252 (the latter in its 0x80 row); "Ł", "ź", "Ξ" and an emoji do not.
    EXPECT_EQ(shown_path(utf8(u8"D:\\Gebühren €\\a.GDS")), "D:\\Gebühren €\\a.GDS");
    EXPECT_EQ(shown_path(kPolish), "C:\\?ód? ?\\Jan.GDS");
    EXPECT_EQ(shown_path(kEmoji), "x?y") << "four bytes, one character";
    // Bytes that are no UTF-8 (a stray 1252 byte, a cut sequence, an overlong form, a surrogate)
    // each show as one '?', and the text after them is still read.
    EXPECT_EQ(shown_path("a\xFC"
                         "b"),
              "a?b");
    EXPECT_EQ(shown_path("a\xC5"), "a?");
    EXPECT_EQ(shown_path("\xC0\xAF"
                         "b"),
              "??b");
    EXPECT_EQ(shown_path("\xED\xA0\x80"), "???");
}

TEST(ShownPath, WindowTitleShowsTheFileNamesAsText) {
    EXPECT_EQ(window_title(kPolish, kGreekBook),
              std::string(string_text(str::MainTitle)) +
                  " - Gebührendaten Jan.GDS - Telefonbuch ?.TLB");
}

TEST(CharacterCount, CountsCharactersNotBytesAndCutsBetweenThem) {
    EXPECT_EQ(character_count(kPolish), 17u);
    EXPECT_EQ(first_characters(kPolish, 4), kPolishStart);
    EXPECT_EQ(first_characters(kPolish, 100), kPolish);
    EXPECT_EQ(first_characters(kPolish, 0), "");
}

TEST(SettingsPath, OnesTheCodePageSpellsAreWrittenAsEveryEarlierVersionDid) {
    EXPECT_EQ(path_for_settings(utf8(u8"D:\\Gebühren\\Jan.GDS")), "D:\\Gebühren\\Jan.GDS");
    EXPECT_EQ(path_for_settings("C:\\plain.GDS"), "C:\\plain.GDS");
    EXPECT_EQ(path_for_settings(kPolish), kPolish) << "no 1252 spelling: UTF-8";
    // "Ã¼" in 1252 is the two bytes of "ü" in UTF-8: written so, it would come back as "ü".
    const std::string lookalike = utf8(u8"C:\\Ã¼.GDS");
    EXPECT_EQ(path_for_settings(lookalike), lookalike);
    for (const std::string& path :
         {utf8(u8"D:\\Gebühren\\Jan.GDS"), kPolish, lookalike, std::string("C:\\a.GDS")})
        EXPECT_EQ(path_from_settings(path_for_settings(path)), path) << path;
}

TEST(SettingsPath, AFileOfAnEarlierVersionIsReadInItsCodePage) {
    EXPECT_EQ(path_from_settings("D:\\Geb\xFChren"), utf8(u8"D:\\Gebühren"));
    EXPECT_EQ(path_from_settings("\x80\x81"), utf8(u8"€") + "\xC2\x81") << "a byte 1252 leaves out";
}

TEST(SettingsPath, SettingsFileKeepsPathsOfAnyScript) {
    test::MemoryFileSystem fs;
    const std::string program = utf8(u8"C:\\Users\\Zoë Ξ\\Kalmo\\kalmo32.exe");
    const std::string ini = utf8(u8"C:\\Users\\Zoë Ξ\\Kalmo\\Kalmo32.ini");
    Settings s;
    s.charge_file = kPolish;
    s.phonebook_file = utf8(u8"C:\\Büro\\Telefon.TLB");
    s.archive_folder = utf8(u8"C:\\Αρχείο");
    ASSERT_TRUE(save_settings_beside(s, fs, program));
    const std::string& file = fs.files[ini];
    EXPECT_NE(file.find("Telbook=C:\\Büro\\Telefon.TLB\r\n"), std::string::npos)
        << "in 1252, as older versions read it";
    EXPECT_NE(file.find("GebFile=" + kPolish + "\r\n"), std::string::npos);
    EXPECT_EQ(load_settings_beside(fs, program), s);

    // 255 characters are kept however many bytes they take.
    s.charge_file = "C:\\" + std::string(200, 'a');
    for (int i = 0; i < 60; ++i)
        s.charge_file += utf8(u8"Ξ");
    ASSERT_TRUE(save_settings_beside(s, fs, program));
    const std::string back = load_settings_beside(fs, program).charge_file;
    EXPECT_EQ(character_count(back), 255u);
    EXPECT_EQ(back, first_characters(s.charge_file, 255));
}

TEST(PathBesideProgram, TheBufferCountsCharacters) {
    // 115 characters of directory fit (as in 1252); in UTF-8 they take 226 bytes here.
    std::string dir = "C:\\";
    for (int i = 0; i < 111; ++i)
        dir += utf8(u8"Ξ");
    dir += "\\";
    const BuiltPath p = build_path_beside_program(dir + "k.exe", kSettingsFileName);
    EXPECT_TRUE(p.fits);
    EXPECT_EQ(p.path, dir + "Kalmo32.ini");
    const std::string longer = dir.substr(0, 3) + utf8(u8"Ξ") + dir.substr(3);
    EXPECT_FALSE(build_path_beside_program(longer + "k.exe", kSettingsFileName).fits);
}

} // namespace
} // namespace kalmo::app
