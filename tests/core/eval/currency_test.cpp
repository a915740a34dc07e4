// The unit after every amount: each list, summary, table header and report line carries the
// chosen one, and the numbers stay the exchange's.
#include <gtest/gtest.h>

#include <memory>

#include "core/eval/csv.h"
#include "core/eval/project.h"
#include "core/eval/report.h"
#include "core/eval/subscriber.h"
#include "eval_test_util.h"

using namespace kalmo;
using app::Currency;
using test::charge;

namespace {
bool ends_with(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// The first line of a table (after the byte-order mark).
std::string header_of(const eval::csv::Table& t) {
    const std::string& text = t.text();
    const std::size_t start = sizeof(eval::csv::kByteOrderMark) - 1;
    return text.substr(start, text.find("\r\n") - start);
}
} // namespace

TEST(CurrencyUnit, NamesAndParsing) {
    EXPECT_STREQ(app::currency_unit(Currency::DM), "DM");
    EXPECT_STREQ(app::currency_unit(Currency::EUR), "EUR");
    EXPECT_EQ(app::parse_currency("eur"), Currency::EUR);
    EXPECT_EQ(app::parse_currency("Dm"), Currency::DM);
    EXPECT_FALSE(app::parse_currency("EURO"));
    EXPECT_FALSE(app::parse_currency(""));
}

struct CurrencyTest : test::EvalTest {};

TEST_F(CurrencyTest, EveryAmountOfEveryListCarriesTheUnit) {
    lookup.entries["0891"] = {"Halle", 3};
    test::fill_store(*store, {charge(0x21, 3, 1, 1234, "0891"), charge(0x05, 3, 2, 5, "77")});
    eval::open_charge_evaluation(*store);
    eval::SystemChargeList list(*store, Currency::EUR);
    ASSERT_EQ(list.fill(lookup, now).outcome, eval::FillOutcome::Listed);

    std::vector<std::string> lines = list.lines();
    lines.push_back(list.summary_second_line());
    for (const std::string& l : eval::subscriber_sums_lines(list.sums(), Currency::EUR))
        lines.push_back(l);
    const auto selected = eval::select_subscriber(eval::subscriber_sums_lines(list.sums()), 0);
    ASSERT_TRUE(selected);
    const auto stats =
        eval::subscriber_statistics(*store, list.sums(), *selected, lookup, now, Currency::EUR);
    lines.insert(lines.end(), stats.lines.begin(), stats.lines.end());
    lines.push_back(stats.summary_second_line);
    eval::ProjectNames names;
    names[2] = "Messe";
    const auto project = eval::evaluate_project(*store, lookup, names, 3, now, Currency::EUR);
    lines.insert(lines.end(), project.lines.begin(), project.lines.end());
    lines.push_back(project.summary_second_line);
    ASSERT_EQ(lines.size(), 9u);
    for (const std::string& l : lines) {
        EXPECT_EQ(l.find(" DM"), std::string::npos) << l;
        EXPECT_TRUE(ends_with(l, " EUR") || ends_with(l, " EUR ")) << l;
    }
    // The numbers are the exchange's, whatever the unit.
    EXPECT_TRUE(ends_with(list.lines()[0], "|   12,34 EUR")) << list.lines()[0];
    EXPECT_TRUE(ends_with(list.summary_second_line(), "Aufgelaufener Betrag   12,39 EUR"));

    // The default stays DM.
    eval::SystemChargeList dm(*store);
    dm.fill(lookup, now);
    EXPECT_TRUE(ends_with(dm.lines()[0], "|   12,34 DM"));
}

TEST_F(CurrencyTest, TablesAndReportsNameTheUnitInTheirHeaders) {
    test::fill_store(*store, {charge(0x21, 3, 1, 1234, "0891")});
    eval::ProjectNames names;
    const auto table = eval::csv::charge_table(*store, {0}, lookup, names, now, Currency::EUR);
    EXPECT_NE(header_of(table).find(";Betrag (Cent);Betrag (EUR);"), std::string::npos)
        << header_of(table);
    EXPECT_NE(table.text().find(";1234;12,34;"), std::string::npos);
    EXPECT_NE(header_of(eval::csv::charge_table(*store, {0}, lookup, names, now))
                  .find(";Betrag (Pf);Betrag (DM);"),
              std::string::npos);

    eval::SystemChargeList list(*store);
    eval::open_charge_evaluation(*store);
    list.fill(lookup, now);
    EXPECT_TRUE(
        ends_with(header_of(eval::csv::subscriber_sums_table(list.sums(), now, Currency::EUR)),
                  ";Betrag (Cent);Betrag (EUR)"));

    eval::report::Report report;
    report.groups.push_back({"21", {1, 60, 1234}});
    report.total = {1, 60, 1234};
    const auto lines =
        eval::report::report_lines(report, eval::report::By::Subscriber, Currency::EUR);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_TRUE(ends_with(lines[1], "12,34 EUR")) << lines[1];
    EXPECT_TRUE(ends_with(lines[2], "12,34 EUR")) << lines[2];
    EXPECT_TRUE(ends_with(
        header_of(eval::report::report_table(report, eval::report::By::Subscriber, Currency::EUR)),
        ";Betrag (Cent);Betrag (EUR)"));
}
