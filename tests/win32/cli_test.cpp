// The console program on Windows: ANSI file names with umlauts reach the files unchanged, and
// a save writes the data file and its export beside it.
#include <windows.h>

#include <gtest/gtest.h>

#include <sstream>

#include "cli/cli.h"
#include "core/data/charge.h"
#include "platform/files.h"
#include "temp_dir.h"

namespace kalmo {
namespace {

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
    const std::string in = dir.file("Gebühren Dezember.GDS");
    const std::string out_file = dir.file("Kopie März.GDS");
    ASSERT_TRUE(fs.write_replacing(
        in, std::string_view(reinterpret_cast<const char*>(image.data()), image.size())));

    const char* argv[] = {"kalmo", "save", in.c_str(), out_file.c_str()};
    std::ostringstream out, err;
    EXPECT_EQ(cli::run(4, argv, out, err), cli::kExitOk) << err.str();
    EXPECT_EQ(fs.read(out_file, 1 << 16), fs.read(in, 1 << 16));
    EXPECT_TRUE(fs.exists(dir.file("Kopie März.ASC")));

    // Saving again over it is refused without --yes and leaves it alone.
    std::ostringstream out2, err2;
    EXPECT_EQ(cli::run(4, argv, out2, err2), cli::kExitFailed);
    EXPECT_NE(err2.str().find("existiert bereits"), std::string::npos) << err2.str();
}

} // namespace
} // namespace kalmo
