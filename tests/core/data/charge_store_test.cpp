#include <gtest/gtest.h>

#include <vector>

#include "core/data/calls.h"
#include "core/data/charge.h"
#include "support/builders.h"

using namespace kalmo;
using namespace kalmo::data;

namespace {
NumberField number(std::initializer_list<std::uint8_t> bytes) {
    NumberField f;
    f.fill(0xFF);
    std::size_t i = 0;
    for (std::uint8_t b : bytes)
        f[i++] = b;
    return f;
}

ChargeRecord charge(std::uint8_t month, std::uint8_t day, std::uint8_t hour, std::uint8_t minute,
                    std::uint32_t amount = 100, std::uint8_t subscriber = 0x21) {
    return test::charge(subscriber, month, day, amount, "0891234", hour, minute);
}

// From-month, from-day, to-month, to-day of the store's filter.
std::vector<int> range_of(const ChargeStore& store) {
    return {store.filter.from_month, store.filter.from_day, store.filter.to_month,
            store.filter.to_day};
}
} // namespace

TEST(NumberText, DigitsHashAndEndNibbles) {
    EXPECT_EQ(number_text(number({0x12, 0x3A, 0xF0})), "123#");
    EXPECT_EQ(number_text(number({0x08, 0x91, 0x23, 0x45, 0x6F})), "089123456");
    // An end nibble in the high half stops before the low half of the same byte.
    EXPECT_EQ(number_text(number({0x12, 0xB3})), "12");
    for (std::uint8_t end = 0xB; end <= 0xF; ++end)
        EXPECT_EQ(number_text(number({static_cast<std::uint8_t>(end << 4)})), "") << int(end);
    NumberField full;
    full.fill(0x99);
    EXPECT_EQ(number_text(full), std::string(24, '9'));
}

TEST(NumberText, PrivateCallWhateverFollows) {
    EXPECT_EQ(number_text(number({0xBB, 0x12, 0x34})), "Privatgespräch");
    EXPECT_EQ(number_text(number({0xBB})).size(), 14u); // one byte for the umlaut
    // 0xB in the high nibble of another first byte is just an end of number.
    EXPECT_EQ(number_text(number({0xBA})), "");
}

TEST(PackNumber, IsTheInverseOfNumberText) {
    for (const std::string& text :
         {std::string(), std::string("0"), std::string("12"), std::string("123"),
          std::string("0891#"), std::string("#"), std::string(23, '7'), std::string(24, '9'),
          std::string("0123456789#0123456789#01"), std::string("Privatgespräch")})
        EXPECT_EQ(number_text(pack_number(text)), text) << text;
    // The bytes themselves: the exchange ends a number with 0xF and fills the field with it.
    EXPECT_EQ(pack_number("123"), number({0x12, 0x3F}));
    EXPECT_EQ(pack_number("12"), number({0x12}));
    EXPECT_EQ(pack_number("#0"), number({0xA0}));
    EXPECT_EQ(pack_number(""), number({}));
    EXPECT_EQ(pack_number("Privatgespräch"), number({0xBB}));
    // More than the field holds is cut; anything but a digit or "#" ends the number.
    EXPECT_EQ(number_text(pack_number(std::string(30, '5'))), std::string(24, '5'));
    EXPECT_EQ(number_text(pack_number("089-123")), "089");
}

TEST(ChargeRecord, ByteLayoutIsLittleEndianAndRoundTrips) {
    ChargeRecord r = charge(3, 14, 9, 5, 0x01020304);
    r.duration = 0x0506;
    std::uint8_t b[kChargeRecordSize];
    r.to_bytes(b);
    EXPECT_EQ(b[0], 0x04);
    EXPECT_EQ(b[3], 0x01);
    EXPECT_EQ(b[4], 0x06);
    EXPECT_EQ(b[5], 0x05);
    EXPECT_EQ(b[6], 0x21);
    EXPECT_EQ(b[7], 3);
    EXPECT_EQ(b[8], 14);
    EXPECT_EQ(b[11], 0x08);
    EXPECT_EQ(ChargeRecord::from_bytes(b), r);
}

TEST(ChargeStore, AppendCountsWholeRecordsAndOverwritesPartialTail) {
    ChargeStore store;
    auto block = test::bytes_of({charge(1, 1, 1, 1), charge(1, 1, 1, 2)});
    EXPECT_EQ(block.size(), 46u);
    store.append_received_block(block);
    EXPECT_EQ(store.count(), 2);

    // 50 bytes: two records and four stray bytes that the next block overwrites.
    auto odd = test::bytes_of({charge(2, 1, 1, 1), charge(2, 1, 1, 2), charge(9, 9, 9, 9)});
    odd.resize(50);
    store.append_received_block(odd);
    EXPECT_EQ(store.count(), 4);
    store.append_received_block(test::bytes_of({charge(3, 3, 3, 3)}));
    EXPECT_EQ(store.count(), 5);
    EXPECT_EQ(store.record(4), charge(3, 3, 3, 3));
}

TEST(ChargeStore, AppendNeverPassesTheCapacity) {
    ChargeStore store;
    std::vector<ChargeRecord> ten(10, charge(5, 5, 5, 5));
    for (int i = 0; i < 200; ++i)
        EXPECT_EQ(store.append_received_block(test::bytes_of(ten)), 0u);
    EXPECT_EQ(store.count(), kChargeCapacity);
    EXPECT_EQ(store.append_received_block(test::bytes_of(ten)), 10u);
    EXPECT_EQ(store.count(), kChargeCapacity);
    // Near the end a partial tail must not spill out of the image either.
    store.set_count(kChargeCapacity - 1);
    auto odd = test::bytes_of({charge(1, 1, 1, 1), charge(1, 1, 1, 1)});
    odd.push_back(0xAB);
    EXPECT_EQ(store.append_received_block(odd), 1u);
    EXPECT_EQ(store.count(), kChargeCapacity);
}

TEST(ChargeStore, ExchangeSortOrdersByKeyWithJanuaryBeforeDecember) {
    ChargeStore store;
    store.append_received_block(test::bytes_of(
        {charge(12, 31, 23, 59), charge(1, 2, 8, 0), charge(12, 1, 0, 0), charge(1, 1, 0, 0)}));
    store.sort();
    EXPECT_EQ(store.record(0).key(), charge(1, 1, 0, 0).key());
    EXPECT_EQ(store.record(1).key(), charge(1, 2, 8, 0).key());
    EXPECT_EQ(store.record(2).key(), charge(12, 1, 0, 0).key());
    EXPECT_EQ(store.record(3).key(), charge(12, 31, 23, 59).key());
    EXPECT_EQ(range_of(store), (std::vector<int>{1, 1, 12, 31}));
}

TEST(ChargeStore, EqualKeysFollowTheExchangeSteps) {
    // Amounts tag the records. Keys: B=2, A1=1, C=1 (A1 and C equal).
    ChargeStore store;
    store.append_received_block(test::bytes_of({charge(1, 1, 0, 2, 1), charge(1, 1, 0, 1, 2),
                                                charge(1, 1, 0, 1, 3), charge(1, 1, 0, 0, 4)}));
    store.sort();
    // i=0: k=2 -> swap with 1 (k=1), 2 is not < 1, swap with 3 (k=0): [4,1,3,2]
    // i=1: k=2 (amount 1) -> swap with 2 (amount 3, k=1): [4,3,1,2]; 3 not <1
    // i=2: k=2 (amount 1) -> swap with 3 (amount 2, k=1): [4,3,2,1]
    std::vector<std::uint32_t> order;
    for (std::size_t i = 0; i < store.count(); ++i)
        order.push_back(store.record(i).amount);
    EXPECT_EQ(order, (std::vector<std::uint32_t>{4, 3, 2, 1}));
    // A sorted store stays as it is.
    store.sort();
    std::vector<std::uint32_t> again;
    for (std::size_t i = 0; i < store.count(); ++i)
        again.push_back(store.record(i).amount);
    EXPECT_EQ(again, order);
}

TEST(ChargeStore, RangeOfOneRecordStore) {
    ChargeStore store;
    store.append_received_block(test::bytes_of({charge(7, 4, 1, 1)}));
    store.set_filter_range_from_records();
    EXPECT_EQ(range_of(store), (std::vector<int>{7, 4, 7, 4}));
}

TEST(CallStore, SortAppendAndCapacity) {
    CallStore calls;
    auto rec = [](std::uint8_t month, std::uint8_t day, std::uint8_t hour, std::uint8_t minute) {
        return test::call(0x22, month, day, "0123", hour, minute);
    };
    calls.append_received_block(
        test::bytes_of({rec(3, 5, 14, 5), rec(3, 5, 9, 30), rec(3, 5, 11, 0)}));
    calls.sort();
    EXPECT_EQ(calls.record(0).hour, 9);
    EXPECT_EQ(calls.record(1).hour, 11);
    EXPECT_EQ(calls.record(2).hour, 14);

    CallStore dec_jan;
    dec_jan.append_received_block(test::bytes_of({rec(12, 31, 10, 0), rec(1, 2, 10, 0)}));
    EXPECT_EQ(dec_jan.count(), 2);
    dec_jan.sort();
    EXPECT_EQ(dec_jan.record(0).month, 1);

    CallStore full;
    std::vector<std::uint8_t> many(14 * kCallRecordSize, 0x21);
    std::size_t dropped = 0;
    for (int i = 0; i < 13; ++i)
        dropped += full.append_received_block(many);
    EXPECT_EQ(full.count(), kCallCapacity);
    EXPECT_EQ(dropped, 13u * 14u - kCallCapacity);
}
