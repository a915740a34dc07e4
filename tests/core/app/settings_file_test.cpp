// The settings file beside the program: defaults, values kept as read, the exact bytes written,
// and the length limit of the program's directory.
#include <gtest/gtest.h>

#include "core/app/ini.h"
#include "core/app/settings.h"
#include "core/fakes.h"

namespace kalmo::app {
namespace {

constexpr char kFromScratch[] = "[Files]\r\nTelbook=\r\nGebFile=\r\n[Com]\r\nComPort=0\r\n"
                                "[Toolbar]\r\nShowBar=1\r\nText=1\r\nLargeIcons=0\r\n";

TEST(SettingsFile, FirstRunUsesDefaultsAndWritesAllSixKeys) {
    test::MemoryFileSystem fs;
    const std::string program = "C:\\Kalmo\\kalmo32.exe";
    const Settings s = load_settings_beside(fs, program);
    EXPECT_EQ(s, Settings{});
    EXPECT_EQ(s.port_name(), "COM1");
    EXPECT_EQ(s.show_bar, 1);
    EXPECT_EQ(s.text, 1);
    EXPECT_EQ(s.large_icons, 0);
    ASSERT_TRUE(save_settings_beside(s, fs, program));
    EXPECT_EQ(fs.files["C:\\Kalmo\\Kalmo32.ini"], kFromScratch);
}

TEST(SettingsFile, ValuesComeBackAsReadIncludingOddOnes) {
    test::MemoryFileSystem fs;
    fs.files["C:\\K\\Kalmo32.ini"] = "[files]\r\ntelbook = \r\nGEBFILE=D:\\Gebühren\\Jan.GDS\r\n"
                                     "[Com]\r\nComPort=256\r\n[Toolbar]\r\nShowBar=5\r\n";
    Settings s = load_settings_beside(fs, "C:\\K\\kalmo32.exe");
    EXPECT_EQ(s.phonebook_file, "") << "the key present with an empty value";
    EXPECT_EQ(s.charge_file, reinterpret_cast<const char*>(u8"D:\\Gebühren\\Jan.GDS"))
        << "read in the code page every earlier version wrote";
    EXPECT_EQ(s.port_index, 0) << "256 keeps only its low 8 bits";
    EXPECT_EQ(s.show_bar, 5);
    ASSERT_TRUE(save_settings_beside(s, fs, "C:\\K\\kalmo32.exe"));
    const std::string& file = fs.files["C:\\K\\Kalmo32.ini"];
    EXPECT_NE(file.find("ShowBar=5\r\n"), std::string::npos) << "written back as read";
    EXPECT_NE(file.find("ComPort=0\r\n"), std::string::npos);
    EXPECT_EQ(load_settings_beside(fs, "C:\\K\\kalmo32.exe").charge_file, s.charge_file);
}

TEST(SettingsFile, PortIndexOutsideTheDialogsListNamesItsPort) {
    test::MemoryFileSystem fs;
    fs.files["C:\\Kalmo32.ini"] = "[Com]\r\nComPort=7\r\n";
    const Settings s = load_settings_beside(fs, "C:\\kalmo32.exe");
    EXPECT_EQ(s.port_index, 7);
    EXPECT_EQ(s.port_name(), "COM8");
    Settings high;
    high.port_index = 255;
    EXPECT_EQ(high.port_name(), "COM256");
}

TEST(SettingsFile, LongPathsAreCutTo255Bytes) {
    test::MemoryFileSystem fs;
    fs.files["C:\\Kalmo32.ini"] = "[Files]\r\nTelbook=" + std::string(300, 'x') + "\r\n";
    EXPECT_EQ(load_settings_beside(fs, "C:\\kalmo32.exe").phonebook_file.size(), 255u);
}

TEST(SettingsFile, UnwritableFileLosesTheRunsChangesSilently) {
    test::MemoryFileSystem fs;
    fs.unwritable["C:\\K\\Kalmo32.ini"] = true;
    EXPECT_FALSE(save_settings_beside(Settings{}, fs, "C:\\K\\kalmo32.exe"));
    EXPECT_EQ(fs.files.count("C:\\K\\Kalmo32.ini"), 0u);
}

TEST(PathBesideProgram, DirectoryOf115CharactersFitsAnd116DoesNot) {
    // "C:\" + name + "\" = 115 characters including the separator.
    const std::string dir115 = "C:\\" + std::string(111, 'd') + "\\";
    ASSERT_EQ(dir115.size(), 115u);
    BuiltPath p = build_path_beside_program(dir115 + "k.exe", kSettingsFileName);
    EXPECT_TRUE(p.fits);
    EXPECT_EQ(p.path, dir115 + "Kalmo32.ini");

    const std::string dir116 = "C:\\" + std::string(112, 'd') + "\\";
    p = build_path_beside_program(dir116 + "k.exe", kSettingsFileName);
    EXPECT_FALSE(p.fits);
    EXPECT_EQ(p.path, dir116 + "?");

    test::MemoryFileSystem fs;
    fs.files[dir116 + "Kalmo32.ini"] = "[Toolbar]\r\nShowBar=0\r\n";
    EXPECT_EQ(load_settings_beside(fs, dir116 + "k.exe"), Settings{}) << "defaults";
    EXPECT_FALSE(save_settings_beside(Settings{}, fs, dir116 + "k.exe"));
    EXPECT_EQ(fs.writes, 0) << "nothing is saved";
}

TEST(PathBesideProgram, ColonSeparatorsAndNoSeparator) {
    EXPECT_EQ(build_path_beside_program("C:kalmo32.exe", kHelpFileName).path, "C:kalmo.hlp");
    EXPECT_EQ(build_path_beside_program("kalmo32.exe", kHelpFileName).path, "kalmo.hlp");
    EXPECT_EQ(build_path_beside_program("", kHelpFileName).path, "kalmo.hlp");
    EXPECT_EQ(build_path_beside_program("C:\\a\\b\\kalmo32.exe", kHelpFileName).path,
              "C:\\a\\b\\kalmo.hlp");
}

TEST(PathBesideProgram, ProgramPathTooLongForTheBufferNeverNamesAnAncestor) {
    // The last separator within the first 127 characters belongs to a parent directory; the
    // settings there belong to someone else.
    const std::string parent = "C:\\" + std::string(100, 'p') + "\\";
    const std::string program = parent + std::string(40, 'c') + "\\kalmo32.exe";
    ASSERT_GT(program.size(), 127u);
    const BuiltPath p = build_path_beside_program(program, kSettingsFileName);
    EXPECT_FALSE(p.fits);
    EXPECT_NE(p.path, parent + kSettingsFileName);
    test::MemoryFileSystem fs;
    fs.files[parent + kSettingsFileName] = "[Toolbar]\r\nShowBar=0\r\n";
    EXPECT_EQ(load_settings_beside(fs, program).show_bar, 1);
}

TEST(IniFile, WritingReplacesKeysInPlaceAndAppendsMissingOnes) {
    test::MemoryFileSystem fs;
    fs.files["a.ini"] = "; comment\r\n[Toolbar]\r\n  Text = 0 \r\n\r\n[Other]\r\nx=1\r\n";
    IniFile ini(fs, "a.ini");
    ASSERT_TRUE(ini.write_string("toolbar", "TEXT", "1"));
    ASSERT_TRUE(ini.write_string("Toolbar", "LargeIcons", "1"));
    ASSERT_TRUE(ini.write_string("Com", "ComPort", "2"));
    EXPECT_EQ(fs.files["a.ini"], "; comment\r\n[Toolbar]\r\nTEXT=1\r\nLargeIcons=1\r\n\r\n"
                                 "[Other]\r\nx=1\r\n[Com]\r\nComPort=2\r\n");
    EXPECT_EQ(ini.get_int("TOOLBAR", "text", 9), 1);
    EXPECT_EQ(ini.get_string("other", "X", "?"), "1");
    EXPECT_EQ(ini.get_string("Other", "y", "?"), "?");
}

} // namespace
} // namespace kalmo::app
