// Files on POSIX systems: symbolic links and the journal's durable files.
#ifndef _WIN32
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/posix/files.h"

namespace kalmo::platform {
namespace {

std::string content(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class PosixFiles : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/kalmo-files-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir = pattern;
    }
    void TearDown() override { std::system(("rm -rf '" + dir + "'").c_str()); }
    std::string dir;
    SystemFileSystem fs;
};

TEST_F(PosixFiles, ASaveThroughALinkReplacesItsTarget) {
    const std::string target = dir + "/data.GDS", link = dir + "/current.GDS";
    ASSERT_TRUE(fs.write_replacing(target, "old"));
    ASSERT_EQ(::symlink("data.GDS", link.c_str()), 0);
    ASSERT_TRUE(fs.write_replacing(link, "new"));
    struct stat st {};
    ASSERT_EQ(::lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode)) << "the link stays a link";
    EXPECT_EQ(content(target), "new");
    EXPECT_FALSE(fs.exists(target + ".kalmo-tmp"));
}

TEST_F(PosixFiles, ARewriteKeepingTheTimeKeepsItAndAPlainSaveDoesNot) {
    const std::string path = dir + "/Januar.GDS";
    ASSERT_TRUE(fs.write_replacing(path, "old"));
    const timespec old_times[2] = {{1000000000, 0}, {1000000000, 500}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), old_times, 0), 0);
    struct stat st {};
    ASSERT_TRUE(fs.write_replacing_keeping_time(path, "new"));
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(content(path), "new");
    EXPECT_EQ(st.st_mtim.tv_sec, 1000000000);
    EXPECT_EQ(st.st_mtim.tv_nsec, 500);
    ASSERT_TRUE(fs.write_replacing(path, "newer"));
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_GT(st.st_mtim.tv_sec, 1000000000);
    // Nothing to keep a time from: a new file as any save makes it.
    EXPECT_TRUE(fs.write_replacing_keeping_time(dir + "/neu.GDS", "x"));
    EXPECT_EQ(content(dir + "/neu.GDS"), "x");
}

TEST_F(PosixFiles, JournalFilesAreNewAndGrowInPlace) {
    const std::string folder = dir + "/a/b/Journal";
    ASSERT_TRUE(fs.make_directories(folder));
    ASSERT_TRUE(fs.make_directories(folder)) << "an existing folder is fine";
    const std::string path = folder + "/j.GDS";
    auto file = fs.create_new(path);
    ASSERT_TRUE(file);
    const std::uint8_t head[] = {'a', 'b', 'c', 'd'}, tail[] = {'x', 'y'}, fix[] = {'B'};
    EXPECT_TRUE(file->write_at(0, head) && file->sync());
    EXPECT_TRUE(file->write_at(4, tail) && file->write_at(1, fix) && file->sync());
    EXPECT_EQ(content(path), "aBcdxy");
    EXPECT_FALSE(fs.create_new(path)) << "never replaces a journal";
    ASSERT_TRUE(fs.write_replacing(dir + "/plain", "x"));
    EXPECT_FALSE(fs.make_directories(dir + "/plain/sub")) << "a file where a folder should be";
}

mode_t mode_of(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

TEST_F(PosixFiles, ASaveNeverWritesThroughALinkPlacedBesideIt) {
    // Someone who may write into the folder links the names a save might use to a file of the
    // user's: the save must not fill that file.
    const std::string secret = dir + "/secret", target = dir + "/data.GDS";
    ASSERT_TRUE(fs.write_replacing(secret, "keep me"));
    ASSERT_EQ(::chmod(secret.c_str(), 0600), 0);
    ASSERT_EQ(::symlink(secret.c_str(), (target + ".kalmo-tmp").c_str()), 0);
    ASSERT_TRUE(fs.write_replacing(target, "records"));
    EXPECT_EQ(content(secret), "keep me");
    EXPECT_EQ(content(target), "records");
    EXPECT_EQ(mode_of(secret), 0600u);
}

TEST_F(PosixFiles, WhatTheProgramMakesIsTheUsersAlone) {
    const ::mode_t old_mask = ::umask(022);
    const std::string folder = dir + "/archiv/Journal";
    ASSERT_TRUE(fs.make_directories(folder));
    EXPECT_EQ(mode_of(dir + "/archiv"), 0700u);
    EXPECT_EQ(mode_of(folder), 0700u);
    ASSERT_TRUE(fs.create_new(folder + "/j.ANR"));
    EXPECT_EQ(mode_of(folder + "/j.ANR"), 0600u);
    ASSERT_TRUE(fs.write_replacing(dir + "/new.GDS", "x"));
    EXPECT_EQ(mode_of(dir + "/new.GDS"), 0600u);
    // A file that exists keeps what its owner allowed, the umask notwithstanding.
    ASSERT_EQ(::chmod((dir + "/new.GDS").c_str(), 0664), 0);
    ASSERT_TRUE(fs.write_replacing(dir + "/new.GDS", "y"));
    EXPECT_EQ(mode_of(dir + "/new.GDS"), 0664u);
    EXPECT_EQ(content(dir + "/new.GDS"), "y");
    // A folder that was there is left as it was.
    ASSERT_EQ(::chmod(folder.c_str(), 0750), 0);
    ASSERT_TRUE(fs.make_directories(folder));
    EXPECT_EQ(mode_of(folder), 0750u);
    ::umask(old_mask);
}

} // namespace
} // namespace kalmo::platform

#endif
