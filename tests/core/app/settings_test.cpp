#include <gtest/gtest.h>

#include "core/app/ini.h"
#include "core/app/settings.h"
#include "core/fakes.h"
#include "support/utf8_text.h"

using namespace kalmo;
using namespace kalmo::app;

namespace {
using test::utf8;

} // namespace

TEST(ProfileInt, ReadsValuesTheWayThePlatformDoes) {
    EXPECT_EQ(profile_int("  12abc", 7), 12);
    EXPECT_EQ(profile_int("-3", 7), -3);
    EXPECT_EQ(profile_int("0x10", 7), 16);
    EXPECT_EQ(profile_int("0X1F", 7), 0);
    EXPECT_EQ(profile_int("", 7), 7);
    EXPECT_EQ(profile_int("abc", 7), 0);
    EXPECT_EQ(profile_int("010", 7), 10);
    EXPECT_EQ(profile_int("+5", 7), 5);
    EXPECT_EQ(profile_int("4294967295", 7), -1);
    EXPECT_EQ(profile_int("99999999999999999999999", 7), profile_int("99999999999999999999999", 0));
}

TEST(IniFile, LookupIgnoresCaseBlanksAndQuotes) {
    test::MemoryFileSystem fs;
    fs.files["k.ini"] = "; comment\r\n[files]\r\n  TELBOOK =  \"C:\\TB\\A.TLB\"  \r\n"
                        "[Com]\nComPort = 3\n";
    IniFile ini(fs, "k.ini");
    EXPECT_EQ(ini.get_string("Files", "Telbook", "x"), "C:\\TB\\A.TLB");
    EXPECT_EQ(ini.get_int("COM", "comport", 0), 3);
    EXPECT_EQ(ini.get_string("Files", "GebFile", "none"), "none");
    EXPECT_EQ(ini.get_int("Toolbar", "ShowBar", 1), 1);
    IniFile missing(fs, "nothing.ini");
    EXPECT_EQ(missing.get_string("Files", "Telbook", "d"), "d");
}

TEST(IniFile, WritingReplacesOrAppendsAndKeepsTheRest) {
    test::MemoryFileSystem fs;
    fs.files["k.ini"] = "[Files]\r\nTelbook=old\r\n; keep me\r\n[Other]\r\nx=1\r\n";
    IniFile ini(fs, "k.ini");
    ASSERT_TRUE(ini.write_string("Files", "Telbook", "new"));
    ASSERT_TRUE(ini.write_string("Files", "GebFile", "g"));
    ASSERT_TRUE(ini.write_string("Com", "ComPort", "1"));
    // A new key goes after the last line of its section, as the platform's writer puts it.
    EXPECT_EQ(fs.files["k.ini"],
              "[Files]\r\nTelbook=new\r\n; keep me\r\nGebFile=g\r\n[Other]\r\nx=1\r\n"
              "[Com]\r\nComPort=1\r\n");
}

TEST(Settings, FirstRunGivesDefaultsAndWritesAllSixKeysInOrder) {
    test::MemoryFileSystem fs;
    const Settings s = read_settings(fs, "Kalmo32.ini");
    EXPECT_EQ(s, Settings{});
    EXPECT_EQ(s.port_name(), "COM1");
    ASSERT_TRUE(write_settings(s, fs, "Kalmo32.ini"));
    EXPECT_EQ(fs.files["Kalmo32.ini"], "[Files]\r\nTelbook=\r\nGebFile=\r\n[Com]\r\nComPort=0\r\n"
                                       "[Toolbar]\r\nShowBar=1\r\nText=1\r\nLargeIcons=0\r\n");
}

TEST(Settings, OddValuesAreKeptOrWrappedAsDocumented) {
    test::MemoryFileSystem fs;
    fs.files["Kalmo32.ini"] = "[Files]\r\nTelbook=\r\n[Com]\r\nComPort=256\r\n"
                              "[Toolbar]\r\nShowBar=5\r\nText=junk\r\nLargeIcons=-1\r\n";
    Settings s = read_settings(fs, "Kalmo32.ini");
    EXPECT_EQ(s.phonebook_file, "");
    EXPECT_EQ(s.port_index, 0); // low 8 bits of 256
    EXPECT_EQ(s.show_bar, 5);   // any non-zero counts as on and is written back as read
    EXPECT_EQ(s.text, 0);
    EXPECT_EQ(s.large_icons, -1);
    fs.files["Kalmo32.ini"] = "[Com]\r\nComPort=7\r\n";
    EXPECT_EQ(read_settings(fs, "Kalmo32.ini").port_name(), "COM8");

    // A path of more than 255 characters is cut to what the buffer holds.
    fs.files["Kalmo32.ini"] = "[Files]\r\nGebFile=" + std::string(400, 'a') + "\r\n";
    EXPECT_EQ(read_settings(fs, "Kalmo32.ini").charge_file.size(), 255u);

    // Binary junk without sections: defaults.
    fs.files["Kalmo32.ini"] = std::string("\0\xFF[\n=\r\x01", 7);
    EXPECT_EQ(read_settings(fs, "Kalmo32.ini"), Settings{});
}

TEST(Settings, RoundTripKeepsEveryValue) {
    test::MemoryFileSystem fs;
    Settings s;
    s.phonebook_file = "C:\\TELEFON\\FIRMA.TLB";
    s.charge_file = utf8(u8"D:\\GEB\\MÄRZ.GDS");
    s.port_index = 2;
    s.show_bar = 0;
    s.text = 0;
    s.large_icons = 1;
    ASSERT_TRUE(write_settings(s, fs, "Kalmo32.ini"));
    EXPECT_EQ(read_settings(fs, "Kalmo32.ini"), s);
    // Writing again over the file changes values in place.
    s.port_index = 255;
    ASSERT_TRUE(write_settings(s, fs, "Kalmo32.ini"));
    EXPECT_EQ(read_settings(fs, "Kalmo32.ini"), s);
}

TEST(PathBuilder, DirectoryUpTo115CharactersFits) {
    const std::string dir115 = "C:\\" + std::string(111, 'd') + "\\"; // 115 with the separator
    ASSERT_EQ(dir115.size(), 115u);
    const BuiltPath ok = build_path_beside_program(dir115 + "KALMO32.EXE", "Kalmo32.ini");
    EXPECT_TRUE(ok.fits);
    EXPECT_EQ(ok.path, dir115 + "Kalmo32.ini");

    const std::string dir116 = "C:\\" + std::string(112, 'd') + "\\";
    const BuiltPath too_long = build_path_beside_program(dir116 + "K.EXE", "Kalmo32.ini");
    EXPECT_FALSE(too_long.fits);
    EXPECT_EQ(too_long.path, dir116 + "?");

    EXPECT_EQ(build_path_beside_program("C:KALMO32.EXE", "kalmo.hlp").path, "C:kalmo.hlp");

    test::MemoryFileSystem fs;
    fs.files[dir116 + "Kalmo32.ini"] = "[Com]\r\nComPort=3\r\n";
    EXPECT_EQ(load_settings_beside(fs, dir116 + "K.EXE"), Settings{});
    EXPECT_FALSE(save_settings_beside(Settings{}, fs, dir116 + "K.EXE"));
    EXPECT_EQ(fs.writes, 0);
}

TEST(Settings, CurrencyIsReadAnyCaseAndWrittenOnlyOnceChosen) {
    test::MemoryFileSystem fs;
    const std::pair<const char*, Currency> values[] = {
        {"EUR", Currency::EUR}, {"eur", Currency::EUR}, {" EUR ", Currency::EUR},
        {"DM", Currency::DM},   {"USD", Currency::DM},  {"", Currency::DM}};
    for (const auto& [text, currency] : values) {
        fs.files["k.ini"] = std::string("[Optionen]\r\nWaehrung=") + text + "\r\n";
        EXPECT_EQ(read_settings(fs, "k.ini").currency, currency) << text;
    }

    // The default leaves a file without the key as it was; a choice is kept, also back to DM.
    const std::string old = "[Files]\r\nTelbook=\r\nGebFile=\r\n[Com]\r\nComPort=0\r\n"
                            "[Toolbar]\r\nShowBar=1\r\nText=1\r\nLargeIcons=0\r\n";
    fs.files["k.ini"] = old;
    Settings s = read_settings(fs, "k.ini");
    ASSERT_TRUE(write_settings(s, fs, "k.ini"));
    EXPECT_EQ(fs.files["k.ini"], old);
    s.currency = Currency::EUR;
    ASSERT_TRUE(write_settings(s, fs, "k.ini"));
    EXPECT_EQ(fs.files["k.ini"], old + "[Optionen]\r\nWaehrung=EUR\r\n");
    EXPECT_EQ(read_settings(fs, "k.ini").currency, Currency::EUR);
    s.currency = Currency::DM;
    ASSERT_TRUE(write_settings(s, fs, "k.ini"));
    EXPECT_EQ(fs.files["k.ini"], old + "[Optionen]\r\nWaehrung=DM\r\n");
}

TEST(Settings, ShortenedDigitsAreKeptWithinZeroToSix) {
    test::MemoryFileSystem fs;
    const std::pair<const char*, unsigned> values[] = {{"0", 0}, {"3", 3},  {"6", 6},
                                                       {"9", 6}, {"-2", 0}, {"x", 0}};
    for (const auto& [text, digits] : values) {
        fs.files["k.ini"] = std::string("[Datenschutz]\r\nKuerzen=") + text + "\r\n";
        EXPECT_EQ(read_settings(fs, "k.ini").masked_digits, digits) << text;
    }
    fs.files["k.ini"] = "[Com]\r\nComPort=0\r\n";
    Settings s = read_settings(fs, "k.ini");
    s.port_index = 0;
    ASSERT_TRUE(write_settings(s, fs, "k.ini"));
    EXPECT_EQ(fs.files["k.ini"].find("Datenschutz"), std::string::npos) << "off stays unwritten";
    s.masked_digits = 4;
    ASSERT_TRUE(write_settings(s, fs, "k.ini"));
    EXPECT_NE(fs.files["k.ini"].find("[Datenschutz]\r\nKuerzen=4\r\n"), std::string::npos);
}

TEST(Settings, DroppingConfidentialNumbersIsWrittenOnlyOnceChosen) {
    test::MemoryFileSystem fs;
    for (const auto& [text, on] : {std::pair{"1", true}, {"0", false}, {"2", true}, {"x", false}}) {
        fs.files["k.ini"] = std::string("[Datenschutz]\r\nNichtSpeichern=") + text + "\r\n";
        EXPECT_EQ(read_settings(fs, "k.ini").drop_confidential, on) << text;
    }
    fs.files["k.ini"] = "[Com]\r\nComPort=0\r\n";
    Settings s = read_settings(fs, "k.ini");
    ASSERT_TRUE(write_settings(s, fs, "k.ini"));
    EXPECT_EQ(fs.files["k.ini"].find("NichtSpeichern"), std::string::npos);
    s.drop_confidential = true;
    ASSERT_TRUE(write_settings(s, fs, "k.ini"));
    EXPECT_NE(fs.files["k.ini"].find("[Datenschutz]\r\nNichtSpeichern=1\r\n"), std::string::npos);
    s.drop_confidential = false;
    ASSERT_TRUE(write_settings(s, fs, "k.ini"));
    EXPECT_NE(fs.files["k.ini"].find("NichtSpeichern=0\r\n"), std::string::npos);
}

TEST(Settings, ArchiveKeysAreWrittenOnlyOnceChosenAndTheFolderDefaultsBesideTheSettings) {
    test::MemoryFileSystem fs;
    fs.files["k.ini"] = "[Archiv]\r\nOrdner=D:\\Ablage\r\nAnrufe=0\r\n"
                        "[Datenschutz]\r\nArchivMonate=-5\r\n";
    Settings s = read_settings(fs, "k.ini");
    EXPECT_EQ(s.archive_folder, "D:\\Ablage");
    EXPECT_FALSE(s.collect_calls);
    EXPECT_EQ(s.archive_cut_months, 0u) << "negative means never";
    EXPECT_EQ(archive_folder_beside(s, "C:\\K\\kalmo32.exe"), "D:\\Ablage");

    fs.files["k.ini"] = "[Com]\r\nComPort=0\r\n";
    s = read_settings(fs, "k.ini");
    EXPECT_TRUE(s.collect_calls);
    EXPECT_EQ(archive_folder_beside(s, "C:\\K\\kalmo32.exe"), "C:\\K\\Archiv");
    EXPECT_EQ(archive_folder_beside(s, "kalmo32.exe"), "Archiv");
    ASSERT_TRUE(write_settings(s, fs, "k.ini"));
    EXPECT_EQ(fs.files["k.ini"].find("Archiv"), std::string::npos) << "defaults stay unwritten";

    s.archive_cut_months = 24;
    s.archive_folder = utf8(u8"E:\\Gebühren");
    s.collect_calls = false;
    ASSERT_TRUE(write_settings(s, fs, "k.ini"));
    EXPECT_NE(fs.files["k.ini"].find("[Datenschutz]\r\nArchivMonate=24\r\n"), std::string::npos);
    EXPECT_NE(fs.files["k.ini"].find("[Archiv]\r\nOrdner=E:\\Gebühren\r\nAnrufe=0\r\n"),
              std::string::npos);
    EXPECT_EQ(read_settings(fs, "k.ini"), s);
}
