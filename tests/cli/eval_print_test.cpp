// The list printers that the exchange-reading subcommands share.
#include <gtest/gtest.h>

#include <memory>
#include <sstream>

#include "cli/eval_print.h"

using namespace kalmo;

namespace {
data::CallRecord call(std::uint8_t sub, std::uint8_t day, std::uint8_t number_byte) {
    data::CallRecord r;
    r.subscriber = sub;
    r.month = 3;
    r.day = day;
    r.hour = 9;
    r.minute = 30;
    r.number.fill(0xFF);
    r.number[0] = number_byte;
    return r;
}

struct EvalPrint : ::testing::Test {
    std::ostringstream out, err;
    cli::Context ctx{out, err};
    std::unique_ptr<data::CallStore> calls = std::make_unique<data::CallStore>();
    phonebook::NoPhonebook lookup;

    void SetUp() override {
        ctx.ui = std::make_unique<cli::ConsoleUi>(err, false);
        ctx.clock = std::make_unique<cli::FixedDateClock>(*ctx.real_clock,
                                                          app::LocalTime{2026, 3, 20, 0, 0, 0});
        calls->set_record(0, call(0x21, 1, 0x12));
        calls->set_record(1, call(0xAA, 2, 0xF0));
        calls->set_record(2, call(0x05, 3, 0x12));
        calls->set_count(3);
    }
};
} // namespace

TEST_F(EvalPrint, CallListAndStatistics) {
    EXPECT_EQ(cli::print_call_list(ctx, *calls, lookup), cli::kExitOk);
    EXPECT_EQ(out.str(), " AVA | 02.03.26   9:30 |      Rufnummer unbekannt |   1 \n"
                         "   5 | 03.03.26   9:30 |                       12 |   2 \n");
    out.str("");
    EXPECT_EQ(cli::print_call_statistics(ctx, *calls, lookup, 1), cli::kExitOk);
    EXPECT_EQ(out.str(), "  21 | 01.03.26   9:30 |                       12 \n"
                         "   5 | 03.03.26   9:30 |                       12 \n");
    out.str("");
    EXPECT_EQ(cli::print_call_statistics(ctx, *calls, lookup, 0), cli::kExitFailed);
    EXPECT_EQ(cli::print_call_statistics(ctx, *calls, lookup, 2), cli::kExitFailed);
    EXPECT_EQ(out.str(), "");
}

TEST_F(EvalPrint, CallStatisticsAsATableHoldTheCallsOfTheLineOnly) {
    ctx.csv = true;
    EXPECT_EQ(cli::print_call_statistics(ctx, *calls, lookup, 1), cli::kExitOk);
    EXPECT_EQ(out.str(), "\xEF\xBB\xBFTeilnehmer;Datum;Uhrzeit;Rufnummer;Name\r\n"
                         "21;01.03.2026;09:30;12;\r\n"
                         "5;03.03.2026;09:30;12;\r\n");
    out.str("");
    EXPECT_EQ(cli::print_call_statistics(ctx, *calls, lookup, 0), cli::kExitFailed);
    EXPECT_EQ(out.str(), "") << "a number called once has no statistics to write";
}
