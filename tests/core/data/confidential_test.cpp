// Confidential numbers: which lines of the file count, which numbers they catch, and what a read
// empties of a block before anything keeps it.
#include <gtest/gtest.h>

#include "core/data/calls.h"
#include "core/data/confidential.h"
#include "core/fakes.h"
#include "support/builders.h"

using namespace kalmo;
using data::ConfidentialNumbers;

TEST(ConfidentialNumbers, PrefixesCatchEveryNumberThatBeginsWithThem) {
    const ConfidentialNumbers c =
        ConfidentialNumbers::parse("0891234\n; Betriebsrat\n\n  0800 \r\n12#\n55\n");
    EXPECT_EQ(c.size(), 4u);
    struct Case {
        const char* number;
        bool hidden;
    };
    for (const Case& k : {Case{"0891234", true}, Case{"08912345678", true}, Case{"089123", false},
                          Case{"0800111", true}, Case{"0800", true}, Case{"080", false},
                          Case{"12#4", true}, Case{"12", false}, Case{"55", true},
                          Case{"0551", false}, Case{"", false}, Case{"Privatgespräch", false}})
        EXPECT_EQ(c.matches(k.number), k.hidden) << k.number;
}

TEST(ConfidentialNumbers, LinesThatAreNoNumberAreNamedAndCatchNothing) {
    struct Case {
        const char* text;
        std::size_t entries;
        std::vector<std::size_t> bad;
    };
    const std::string too_long(25, '1');
    for (const Case& k : {
             Case{"", 0, {}},
             Case{"\n\r\n \t\n", 0, {}},
             Case{";0891\n;;\n", 0, {}},
             Case{"089 1234\n0891", 1, {1}},            // a blank inside is no number
             Case{"0891\n089-12\n+49\n#\n", 2, {2, 3}}, // "#" alone is a prefix
             Case{"a;0891\n 0891;\n", 0, {1, 2}},
         }) {
        std::vector<std::size_t> bad;
        const ConfidentialNumbers c = ConfidentialNumbers::parse(k.text, &bad);
        EXPECT_EQ(c.size(), k.entries) << k.text;
        EXPECT_EQ(bad, k.bad) << k.text;
    }
    std::vector<std::size_t> bad;
    EXPECT_TRUE(ConfidentialNumbers::parse(too_long + "\n" + too_long.substr(1), &bad).size() == 1);
    EXPECT_EQ(bad, (std::vector<std::size_t>{1}));
    // An empty list catches nothing, not even the empty number.
    EXPECT_FALSE(ConfidentialNumbers::parse("").matches(""));
    EXPECT_FALSE(ConfidentialNumbers::parse("").matches("0891"));
}

TEST(ConfidentialNumbers, DroppingEmptiesTheNumberAndKeepsTheRest) {
    const ConfidentialNumbers c = ConfidentialNumbers::parse("0891\n");
    const data::ChargeRecord hidden = test::charge(0x21, 3, 1, 1234, "0891555", 9, 5, 3725);
    const data::ChargeRecord shown = test::charge(0x22, 3, 2, 99, "0301");
    data::ChargeRecord priv = test::charge(0x23, 3, 3, 7);
    priv.number = data::kPrivateNumber;
    test::Bytes block = test::bytes_of({hidden, shown, priv});
    block.push_back(0x08); // a stray byte past the last whole record stays as it is
    EXPECT_EQ(c.drop_numbers(block, data::kChargeRecordSize, data::charge_at::Number), 1u);
    data::ChargeRecord expected = hidden;
    expected.number = data::pack_number("");
    EXPECT_EQ(data::ChargeRecord::from_bytes(&block[0]), expected);
    EXPECT_EQ(data::ChargeRecord::from_bytes(&block[data::kChargeRecordSize]), shown);
    EXPECT_EQ(data::ChargeRecord::from_bytes(&block[2 * data::kChargeRecordSize]), priv);
    EXPECT_EQ(block.back(), 0x08);

    test::Bytes calls =
        test::bytes_of({test::call(0x21, 3, 1, "08910"), test::call(0x21, 3, 1, "089")});
    EXPECT_EQ(c.drop_numbers(calls, data::kCallRecordSize, data::call_at::Number), 1u);
    EXPECT_EQ(data::number_text(&calls[data::call_at::Number]), "");
    EXPECT_EQ(data::number_text(&calls[data::kCallRecordSize + data::call_at::Number]), "089");

    EXPECT_EQ(
        ConfidentialNumbers().drop_numbers(block, data::kChargeRecordSize, data::charge_at::Number),
        0u);
}

TEST(ConfidentialNumbers, TheFileIsOptionalButATooLargeOneIsSaid) {
    test::MemoryFileSystem fs;
    data::ConfidentialFile f = data::read_confidential_file(fs, "Vertraulich.txt");
    EXPECT_TRUE(f.readable);
    EXPECT_TRUE(f.numbers.empty());
    fs.files["Vertraulich.txt"] = "; Betriebsrat\r\n0891\r\n089 2\r\n";
    f = data::read_confidential_file(fs, "Vertraulich.txt");
    EXPECT_TRUE(f.readable);
    EXPECT_TRUE(f.numbers.matches("08912"));
    EXPECT_EQ(f.bad_lines, (std::vector<std::size_t>{3}));
    fs.files["Vertraulich.txt"] = std::string((1u << 20) + 1, '1');
    f = data::read_confidential_file(fs, "Vertraulich.txt");
    EXPECT_FALSE(f.readable);
    EXPECT_TRUE(f.numbers.empty());
}
