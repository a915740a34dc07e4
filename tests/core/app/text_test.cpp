#include <gtest/gtest.h>

#include <cstring>

#include "core/app/strings.h"
#include "core/app/text.h"
#include "core/app/ui.h"

using namespace kalmo::app;

TEST(Text, TrimRemovesBlanksAndFFOnlyWhereAllowed) {
    EXPECT_EQ(trimmed("  \xFF Meier \t "), "Meier \t"); // only 0x20 trails away
    EXPECT_EQ(trimmed("\xFF\xFF"), "");
    EXPECT_EQ(trimmed("a\xFF"), "a\xFF");
    EXPECT_EQ(trimmed(""), "");
}

TEST(Text, CopyMovesTowardTheStartOfItsOwnBuffer) {
    char buf[16] = "   abc";
    copy_text(buf, buf + 3);
    EXPECT_STREQ(buf, "abc");
    EXPECT_EQ(text_length(buf), 3);
}

TEST(Text, DecimalFieldsReadLeadingDigitsOnly) {
    EXPECT_EQ(decimal_u16(" 12x"), 12);
    EXPECT_EQ(decimal_u16("x12"), 0);
    EXPECT_EQ(decimal_u16(""), 0);
    EXPECT_EQ(decimal_u16("65537"), 1);
}

TEST(StringTable, TextsAreWindows1252AndKeepTheirLineBreaks) {
    EXPECT_STREQ(string_text(str::Error), "Fehler");
    EXPECT_STREQ(string_text(str::ChargeStoreEmpty),
                 "Geb\xFChrendatenspeicher leer\nFunktion abgebrochen");
    EXPECT_STREQ(string_text(304), "Darstellung des Toolbars mit gro\xDF"
                                   "en Ikonen");
    EXPECT_STREQ(string_text(999), "");
    // Every command's status text is there.
    for (unsigned id : {101u, 102u, 103u, 104u, 105u, 106u, 107u, 108u, 109u, 110u, 112u, 113u,
                        114u, 116u, 200u, 201u, 202u, 300u, 301u, 302u, 303u, 304u, 306u, 307u})
        EXPECT_GT(std::strlen(string_text(id)), 0u) << id;
}

TEST(Paths, TheRootOfAWindowsPathIsNotAFolderToMake) {
    // A share's server and share name are no folders: creating "\\server" fails, and so did
    // every --dir on a share.
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\Gebuehren\\2026", "C:\\"},
        {"C:Gebuehren", "C:"},
        {"\\\\server\\share\\Gebuehren", "\\\\server\\share\\"},
        {"\\\\server\\share", "\\\\server\\share"},
        {"//server/share/a", "//server/share/"},
        {"\\\\?\\C:\\a", "\\\\?\\C:\\"},
        {"\\\\?\\UNC\\server\\share\\a", "\\\\?\\UNC\\server\\share\\"},
        {"\\Gebuehren", "\\"},
        {"Gebuehren\\Journal", ""},
        {"/srv/kalmo", "/"},
        {"", ""},
    };
    for (const auto& [path, root] : cases)
        EXPECT_EQ(std::string(path).substr(0, path_root_length(path)), root) << path;
}
