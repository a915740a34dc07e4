// Files on POSIX systems: symbolic links and the journal's durable files.
#ifndef _WIN32
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

} // namespace
} // namespace kalmo::platform

#endif
