// The portable INI reader and writer against the Windows private-profile functions: the
// settings file must mean the same to both.
#include <windows.h>

#include <gtest/gtest.h>

#include "core/app/ini.h"
#include "core/app/settings.h"
#include "platform/files.h"
#include "temp_dir.h"

namespace kalmo {
namespace {

std::string file_text(app::FileSystem& fs, const std::string& path) {
    const auto bytes = fs.read(path, 1 << 20);
    return bytes ? std::string(bytes->begin(), bytes->end()) : std::string("<missing>");
}

int real_profile_int(const std::string& path, const char* value, int fallback) {
    WritePrivateProfileStringA("S", "k", value, path.c_str());
    return static_cast<int>(GetPrivateProfileIntA("S", "k", fallback, path.c_str()));
}

TEST(PrivateProfile, IntegerReadingMatchesGetPrivateProfileInt) {
    test::TempDir dir;
    const std::string path = dir.file("ints.ini");
    const char* values[] = {"12",  "  12abc", "-3",         "0x10",       "0X1F", "",   "abc",
                            "010", "+5",      "4294967295", "2147483648", "-0",   "0x", "0xG",
                            "7 8", "00012",   "-0x10",      "\"9\"",      " 33 "};
    for (const char* v : values) {
        SCOPED_TRACE(std::string("value [") + v + "]");
        platform::SystemFileSystem fs;
        const app::IniFile ini(fs, path);
        const int real = real_profile_int(path, v, 77);
        EXPECT_EQ(ini.get_int("S", "k", 77), real);
        EXPECT_EQ(ini.get_int("s", "K", 77), real) << "lookup ignores case";
    }
}

TEST(PrivateProfile, FileWrittenFromScratchIsByteForByteTheSystemsFile) {
    test::TempDir dir;
    const std::string ours = dir.file("ours.ini");
    const std::string theirs = dir.file("theirs.ini");
    platform::SystemFileSystem fs;

    app::Settings s;
    // In memory a path is UTF-8; the file holds it in 1252, as the system writes it.
    s.phonebook_file = reinterpret_cast<const char*>(u8"C:\\Telefon\\Büro.TLB");
    s.charge_file = "";
    s.port_index = 2;
    s.show_bar = 5;
    s.text = 0;
    s.large_icons = 1;
    ASSERT_TRUE(app::write_settings(s, fs, ours));

    const std::pair<const char*, const char*> keys[] = {
        {"Files", "Telbook"},   {"Files", "GebFile"}, {"Com", "ComPort"},
        {"Toolbar", "ShowBar"}, {"Toolbar", "Text"},  {"Toolbar", "LargeIcons"}};
    const char* values[] = {"C:\\Telefon\\Büro.TLB", "", "2", "5", "0", "1"};
    for (std::size_t i = 0; i < 6; ++i)
        WritePrivateProfileStringA(keys[i].first, keys[i].second, values[i], theirs.c_str());

    EXPECT_EQ(file_text(fs, ours), file_text(fs, theirs));
}

TEST(PrivateProfile, OurReaderSeesWhatTheSystemWrote) {
    test::TempDir dir;
    const std::string path = dir.file("Kalmo32.ini");
    WritePrivateProfileStringA("Files", "Telbook", "D:\\Bücher\\a.tlb", path.c_str());
    WritePrivateProfileStringA("Files", "GebFile", "D:\\x.GDS", path.c_str());
    WritePrivateProfileStringA("Com", "ComPort", "259", path.c_str());
    WritePrivateProfileStringA("Toolbar", "ShowBar", "0", path.c_str());
    platform::SystemFileSystem fs;
    const app::Settings s = app::read_settings(fs, path);
    EXPECT_EQ(s.phonebook_file, reinterpret_cast<const char*>(u8"D:\\Bücher\\a.tlb"));
    EXPECT_EQ(s.charge_file, "D:\\x.GDS");
    EXPECT_EQ(s.port_index, 3) << "only the low 8 bits of 259";
    EXPECT_EQ(s.port_name(), "COM4");
    EXPECT_EQ(s.show_bar, 0);
    EXPECT_EQ(s.text, 1) << "absent key gives the default";
    EXPECT_EQ(s.large_icons, 0);
}

TEST(PrivateProfile, SystemReaderSeesWhatWeWroteIntoAHandEditedFile) {
    test::TempDir dir;
    const std::string path = dir.file("Kalmo32.ini");
    platform::SystemFileSystem fs;
    ASSERT_TRUE(fs.write_replacing(path, "; hand-edited\r\n[toolbar]\r\n  text = 0 \r\n"
                                         "[Other]\r\nx=1\r\n"));
    app::IniFile ini(fs, path);
    ASSERT_TRUE(ini.write_string("Toolbar", "Text", "1"));
    ASSERT_TRUE(ini.write_string("Toolbar", "LargeIcons", "1"));
    ASSERT_TRUE(ini.write_string("Com", "ComPort", "3"));
    char buf[64];
    GetPrivateProfileStringA("Toolbar", "Text", "?", buf, sizeof buf, path.c_str());
    EXPECT_STREQ(buf, "1");
    GetPrivateProfileStringA("Toolbar", "LargeIcons", "?", buf, sizeof buf, path.c_str());
    EXPECT_STREQ(buf, "1");
    GetPrivateProfileStringA("Com", "ComPort", "?", buf, sizeof buf, path.c_str());
    EXPECT_STREQ(buf, "3");
    GetPrivateProfileStringA("Other", "x", "?", buf, sizeof buf, path.c_str());
    EXPECT_STREQ(buf, "1");
}

TEST(PrivateProfile, QuotesAndBlanksAroundValuesReadAlike) {
    test::TempDir dir;
    const std::string path = dir.file("q.ini");
    platform::SystemFileSystem fs;
    ASSERT_TRUE(fs.write_replacing(path, "[Files]\r\nTelbook = \"C:\\a b.tlb\" \r\n"
                                         "GebFile=  C:\\x.gds\r\n"));
    const app::IniFile ini(fs, path);
    for (const char* key : {"Telbook", "GebFile"}) {
        char buf[256];
        GetPrivateProfileStringA("Files", key, "", buf, sizeof buf, path.c_str());
        EXPECT_EQ(ini.get_string("Files", key, ""), buf) << key;
    }
}

} // namespace
} // namespace kalmo
