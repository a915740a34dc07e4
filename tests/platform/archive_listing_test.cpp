// Walking an archive folder: what the cut may touch, and what it must report it left alone.
#ifndef _WIN32
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "platform/platform.h"

namespace kalmo::platform {
namespace {
namespace stdfs = std::filesystem;

class ArchiveListingTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/kalmo-archive-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir = pattern;
    }
    void TearDown() override {
        std::error_code ec;
        stdfs::permissions(dir + "/locked", stdfs::perms::owner_all, ec);
        stdfs::remove_all(dir, ec);
    }
    void put(const std::string& name) {
        stdfs::create_directories(stdfs::path(dir + "/" + name).parent_path());
        std::ofstream(dir + "/" + name) << "x";
    }
    std::vector<std::string> names(const app::ArchiveListing& listing) const {
        std::vector<std::string> n;
        for (const app::ArchiveEntry& e : listing.files)
            n.push_back(e.path.substr(dir.size() + 1));
        return n;
    }
    std::string dir;
};

TEST_F(ArchiveListingTest, FindsChargeAndCallFilesInEveryFolderBelowInOrder) {
    put("2025/2025-02-28_170000.GDS");
    put("2025/2025-02-28_170000.ASC");
    put("2025/2025-01-28_170000.anr");
    put("Januar.gds");
    put("notiz.txt");
    put("2024/alt/2024-12-28_170000.GDS");
    const app::ArchiveListing listing = list_archive(dir);
    EXPECT_EQ(names(listing), (std::vector<std::string>{
                                  "2024/alt/2024-12-28_170000.GDS", "2025/2025-01-28_170000.anr",
                                  "2025/2025-02-28_170000.GDS", "Januar.gds"}));
    EXPECT_EQ(listing.unread, 0u);
    for (const app::ArchiveEntry& e : listing.files) {
        ASSERT_TRUE(e.modified) << e.path;
        EXPECT_GE(e.modified->year, 2026) << "written just now";
    }
}

TEST_F(ArchiveListingTest, WhatItCannotReadIsCountedNotPassedOver) {
    put("ok/2025-02-28_170000.GDS");
    put("locked/2025-03-28_170000.GDS");
    stdfs::create_directory_symlink(dir + "/ok", dir + "/link");
    stdfs::permissions(dir + "/locked", stdfs::perms::none);
    const app::ArchiveListing listing = list_archive(dir);
    // The link is not followed (it would count its files twice); root reads any folder.
    const bool root = ::geteuid() == 0;
    std::vector<std::string> found{"ok/2025-02-28_170000.GDS"};
    if (root) found.insert(found.begin(), "locked/2025-03-28_170000.GDS");
    EXPECT_EQ(names(listing), found);
    EXPECT_EQ(listing.unread, root ? 1u : 2u);

    const app::ArchiveListing missing = list_archive(dir + "/nicht-da");
    EXPECT_TRUE(missing.files.empty());
    EXPECT_EQ(missing.unread, 1u) << "a folder that is not there is no empty archive";
}

} // namespace
} // namespace kalmo::platform
#endif
