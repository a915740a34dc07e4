#include <gtest/gtest.h>

#include "core/eval/filter.h"
#include "eval_test_util.h"

using namespace kalmo;
using eval::FilterForm;

namespace {
FilterForm::Fields fields(std::string from_day, std::string from_month, std::string from_year,
                          std::string to_day, std::string to_month, std::string to_year,
                          std::string dm = "000", std::string pf = "00") {
    return {from_day, from_month, from_year, to_day, to_month, to_year, dm, pf};
}

// A filter of two dates (years since 1900) and no minimum.
data::EvaluationFilter dates(std::uint8_t from_year, std::uint8_t from_month, std::uint8_t from_day,
                             std::uint8_t to_year, std::uint8_t to_month, std::uint8_t to_day) {
    return {from_year, from_month, from_day, to_year, to_month, to_day, 0};
}

std::string error_of(const FilterForm::Fields& f) {
    const auto result = FilterForm::ok(f);
    return result.error ? result.error->text : std::string();
}
} // namespace

TEST(DateKey, MonthsCountThirtyDays) {
    EXPECT_EQ(eval::date_key(96, 1, 1), 360 * 46 + 30 + 1);
    EXPECT_EQ(eval::date_key(126, 1, 31), eval::date_key(126, 2, 1));
    EXPECT_EQ(eval::date_key(50, 0, 0), 0);
    // Day 31 of December is day 1 of January of the next year.
    EXPECT_EQ(eval::date_key(125, 12, 31), eval::date_key(126, 1, 1));
    EXPECT_LT(eval::date_key(125, 12, 30), eval::date_key(126, 1, 1));
}

TEST(DateKey, YearsBelowFiftyWrapAboveEveryLaterYear) {
    // 360 × 26 − 18000 wraps to 56896: above all keys of the years 50 to 181.
    EXPECT_EQ(eval::date_key(26, 1, 1), static_cast<std::uint16_t>(360 * 26 - 18000 + 31));
    EXPECT_GT(eval::date_key(26, 1, 1), eval::date_key(181, 12, 31));
    EXPECT_GT(eval::date_key(26, 1, 1), eval::date_key(126, 12, 31));
}

TEST(RecordYear, LaterMonthBelongsToLastYear) {
    EXPECT_EQ(eval::record_year(12, 3, 126), 125);
    EXPECT_EQ(eval::record_year(3, 3, 126), 126);
    EXPECT_EQ(eval::record_year(1, 12, 126), 126);
    EXPECT_EQ(eval::current_year(app::LocalTime{2026, 1, 1}), 126);
    EXPECT_EQ(eval::current_year(app::LocalTime{1996, 1, 1}), 96);
}

TEST(FilterTest, MinimumAndBothBoundsInclusive) {
    const eval::FilterKeys keys{eval::date_key(126, 3, 1), eval::date_key(126, 3, 31)};
    using eval::FilterVerdict;
    // 31 March has the key of 1 April, so 1 April is admitted by a range up to 31 March.
    const std::pair<data::ChargeRecord, FilterVerdict> cases[] = {
        {test::charge(0x21, 3, 1, 500), FilterVerdict::Passes},
        {test::charge(0x21, 3, 31, 500), FilterVerdict::Passes},
        {test::charge(0x21, 3, 10, 499), FilterVerdict::BelowMinimum},
        {test::charge(0x21, 2, 30, 500), FilterVerdict::OutsideRange},
        {test::charge(0x21, 4, 1, 500), FilterVerdict::Passes},
        {test::charge(0x21, 4, 2, 500), FilterVerdict::OutsideRange},
    };
    for (const auto& [record, verdict] : cases)
        EXPECT_EQ(eval::filter_test(record, 126, 500, keys), verdict)
            << int(record.day) << "." << int(record.month) << " " << record.amount;
}

TEST(FilterFormOpening, FourDigitYearsAndZeroMinimum) {
    data::EvaluationFilter f = dates(126, 3, 5, 99, 12, 31);
    EXPECT_EQ(FilterForm::opening_texts(f), fields("05", "03", "2026", "31", "12", "1999"));
    f.minimum_amount = 505;
    const auto texts = FilterForm::opening_texts(f);
    EXPECT_EQ(texts.dm, "005");
    EXPECT_EQ(texts.pf, "05");
    EXPECT_EQ(FilterForm::opening_texts(dates(50, 1, 1, 255, 1, 1)).to_year, "2155");
}

TEST(FilterFormOk, UntouchedFieldsAreAcceptedUnchanged) {
    const data::EvaluationFilter f = dates(126, 1, 2, 126, 12, 31);
    const auto result = FilterForm::ok(FilterForm::opening_texts(f));
    ASSERT_FALSE(result.error);
    data::EvaluationFilter stored;
    stored.minimum_amount = 777;
    FilterForm::store(result.values, stored);
    EXPECT_EQ(stored.from_year, 126);
    EXPECT_EQ(stored.to_day, 31);
    EXPECT_EQ(stored.minimum_amount, 777u); // the list adopts the entered minimum itself
    EXPECT_EQ(result.values.entered_minimum, 0u);
}

TEST(FilterFormOk, MonthsThenDaysThenRange) {
    EXPECT_EQ(error_of(fields("1", "13", "126", "1", "12", "126")), "Monatseintrag fehlerhaft!");
    EXPECT_EQ(error_of(fields("1", "1", "126", "1", "0", "126")), "Monatseintrag fehlerhaft!");
    EXPECT_EQ(error_of(fields("29", "2", "126", "1", "12", "126")), "Tageseintrag fehlerhaft!");
    EXPECT_EQ(error_of(fields("1", "1", "126", "29", "2", "126")), "Tageseintrag fehlerhaft!");
    EXPECT_EQ(error_of(fields("1", "1", "126", "31", "4", "126")), "Tageseintrag fehlerhaft!");
    EXPECT_EQ(error_of(fields("0", "1", "126", "1", "2", "126")), "Tageseintrag fehlerhaft!");
    // Months and days wrong at once: only the months are reported.
    EXPECT_EQ(error_of(fields("0", "13", "126", "32", "0", "126")), "Monatseintrag fehlerhaft!");
    // Days and range wrong at once: the days.
    EXPECT_EQ(error_of(fields("15", "6", "126", "31", "4", "125")), "Tageseintrag fehlerhaft!");
    EXPECT_EQ(error_of(fields("15", "6", "126", "14", "6", "126")), "Zeitrahmen fehlerhaft!");
    EXPECT_EQ(error_of(fields("15", "6", "126", "15", "6", "126")), "");

    const auto result = FilterForm::ok(fields("1", "13", "126", "1", "12", "126"));
    ASSERT_TRUE(result.error);
    EXPECT_EQ(result.error->caption, std::optional<std::string>("Fehler"));
    EXPECT_EQ(result.error->icon, app::Icon::Error);
}

TEST(FilterFormOk, DaysCompareTheirLowByte) {
    // 257 is day 1 in the check and in the filter; 256 is day 0.
    const auto result = FilterForm::ok(fields("257", "1", "126", "1", "2", "126"));
    ASSERT_FALSE(result.error);
    EXPECT_EQ(result.values.from_day, 1);
    EXPECT_EQ(error_of(fields("256", "1", "126", "1", "2", "126")), "Tageseintrag fehlerhaft!");
}

TEST(FilterFormOk, YearFieldsTakeFourTwoOrThreeDigits) {
    // nullopt: refused. Three digits keep their old meaning of years since 1900.
    const std::pair<const char*, std::optional<std::uint8_t>> cases[] = {
        {"2026", 126},
        {"26", 126},
        {"6", 106},
        {"0", 100},
        {"00", 100},
        {"99", 199},
        {"126", 126},
        {"099", 99},
        {"1950", 50},
        {"2155", 255},
        {"050", 50},
        {"255", 255},
        {" 2026 ", 126},
        {"\xFF"
         "26",
         126},
        {"1949", std::nullopt},
        {"2156", std::nullopt},
        {"049", std::nullopt},
        {"256", std::nullopt},
        {"0026", std::nullopt},
        {"", std::nullopt},
        {"  ", std::nullopt},
        {"20a6", std::nullopt},
        {"-26", std::nullopt},
        {"20266", std::nullopt},
    };
    for (const auto& [text, year] : cases)
        EXPECT_EQ(FilterForm::year_value(text), year) << '"' << text << '"';
}

TEST(FilterFormOk, YearsAfterDaysBeforeRange) {
    // A typed "26" is 2026, so a user who types it keeps this year's records.
    const auto typed = FilterForm::ok(fields("1", "1", "26", "31", "12", "2026"));
    ASSERT_FALSE(typed.error);
    EXPECT_EQ(typed.values.from_year, 126);
    EXPECT_EQ(typed.values.to_year, 126);
    EXPECT_EQ(error_of(fields("1", "1", "1926", "1", "1", "2026")), "Jahreseintrag fehlerhaft!");
    EXPECT_EQ(error_of(fields("1", "1", "2026", "1", "1", "")), "Jahreseintrag fehlerhaft!");
    // Days before years, years before the range.
    EXPECT_EQ(error_of(fields("0", "1", "1926", "1", "1", "2026")), "Tageseintrag fehlerhaft!");
    EXPECT_EQ(error_of(fields("2", "1", "2027", "1", "1", "1900")), "Jahreseintrag fehlerhaft!");
    EXPECT_EQ(error_of(fields("2", "1", "2027", "1", "1", "2026")), "Zeitrahmen fehlerhaft!");
    // The last day of 2155 and the first of 1950 are the ends of the filter.
    EXPECT_EQ(error_of(fields("1", "1", "1950", "31", "12", "2155")), "");
    const auto result = FilterForm::ok(fields("1", "1", "1926", "1", "1", "2026"));
    ASSERT_TRUE(result.error);
    EXPECT_EQ(result.error->caption, std::optional<std::string>("Fehler"));
    EXPECT_EQ(result.error->icon, app::Icon::Error);
}

TEST(FilterFormOk, BlanksAndLeadingFfAreTrimmed) {
    const auto blanks = FilterForm::ok(fields(" 2 ",
                                              "\xFF"
                                              "3",
                                              "126 ", "4", "5", "126"));
    ASSERT_FALSE(blanks.error);
    EXPECT_EQ(blanks.values.from_day, 2);
    EXPECT_EQ(blanks.values.from_month, 3);
}

TEST(FilterFormOk, EnteredMinimumFromDmAndPf) {
    EXPECT_EQ(
        FilterForm::ok(fields("1", "1", "126", "1", "1", "126", "5", "5")).values.entered_minimum,
        505u);
    EXPECT_EQ(
        FilterForm::ok(fields("1", "1", "126", "1", "1", "126", "", "07")).values.entered_minimum,
        7u);
    EXPECT_EQ(FilterForm::ok(fields("1", "1", "126", "1", "1", "126", "999", "99"))
                  .values.entered_minimum,
              99999u);
}
