#pragma once
// The fixtures every GUI test starts from: a directory of the test's own for the program, and
// skipping where the test machine lacks what a test needs.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "../temp_dir.h"
#include "driver.h"

namespace kalmo::gui {

// Needs a display (scripts/test-windows.sh starts Xvfb).
class GuiTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "no display (scripts/test-windows.sh starts Xvfb)";
    }
    // The settings file beside the program.
    std::string ini() const { return read_file(dir.file("Kalmo32.ini")); }
    test::TempDir dir;
};

// Also needs the simulated exchange on COM1 (scripts/test-windows.sh starts it when the tree
// has it).
template <class Fixture> class WithExchange : public Fixture {
protected:
    void SetUp() override {
        Fixture::SetUp();
        if (this->IsSkipped() || this->HasFatalFailure()) return;
        if (!std::getenv("KALMO_EXCHANGE_SIM")) GTEST_SKIP() << "no simulated exchange on COM1";
    }
};

} // namespace kalmo::gui
