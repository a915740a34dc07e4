#include "core/link/transfers.h"

#include <algorithm>
#include <set>

#include <gtest/gtest.h>

#include "core/app/strings.h"
#include "core/app/text.h"
#include "core/link/exchange_fake.h"
#include "core/link/collect.h"
#include "core/link/journal.h"
#include "support/builders.h"

namespace kalmo::link {
namespace {

using test::BankModel;
using test::block_request;
using test::cat;
using test::FakeClock;
using test::FakeExchange;
using test::FakeTransferUi;
using test::fill;
using test::frame;
using test::Request;
using Bytes = std::vector<std::uint8_t>;
using Texts = std::vector<std::string>;

const std::string kIncomplete = app::string_text(app::str::ReadIncomplete);

// A charge record whose amount identifies it; the time runs backwards so sorting shows.
Bytes charge(std::uint32_t id, std::uint8_t month = 1, std::uint8_t day = 1, std::uint8_t hour = 12,
             std::uint8_t minute = 0) {
    return test::bytes_of({test::charge(0x21, month, day, id, "08912345", hour, minute)});
}

Bytes call(std::uint8_t hour, std::uint8_t minute, std::uint8_t day = 5, std::uint8_t month = 3) {
    return test::bytes_of({test::call(0x22, month, day, "04", hour, minute)});
}

// Charges numbered downwards in time, so a correct read must reorder them.
std::vector<Bytes> charges(std::uint32_t first_id, std::size_t n) {
    std::vector<Bytes> v;
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t minutes = 20000 - i - first_id; // unique per id, descending
        v.push_back(charge(static_cast<std::uint32_t>(first_id + i), 2,
                           static_cast<std::uint8_t>(1 + minutes / 1440),
                           static_cast<std::uint8_t>(minutes / 60 % 24),
                           static_cast<std::uint8_t>(minutes % 60)));
    }
    return v;
}

template <typename Store> bool sorted(const Store& store) {
    for (std::size_t i = 1; i < store.count(); ++i)
        if (store.record(i).key() < store.record(i - 1).key()) return false;
    return true;
}

class TransferTest : public ::testing::Test {
protected:
    // The exchange answers block requests from `model` and everything else with an empty frame.
    void serve(BankModel& m) {
        ex.answer = [this, &m](const Request& r) -> std::optional<Bytes> {
            if (stop_answering_blocks_at && m.is_block_request(r) &&
                served_blocks >= *stop_answering_blocks_at)
                return std::nullopt;
            if (m.is_block_request(r)) {
                ++served_blocks;
                if (on_block) on_block(r);
                // The exchange's reply type is not relied on, except by the unattended pull.
                return frame(echo_block_type ? r.code() : 0x30, m.block(r));
            }
            return frame(r.code());
        };
    }
    std::vector<std::uint16_t> block_indexes(std::uint8_t code) const {
        std::vector<std::uint16_t> v;
        for (const Request& r : ex.requests)
            if (r.bytes.size() == 6 && r.code() == code) v.push_back(r.index());
        return v;
    }
    bool closing_sent() const {
        return std::any_of(ex.requests.begin(), ex.requests.end(), [](const Request& r) {
            return r.code() == code::Close || r.code() == code::CloseAgain;
        });
    }

    FakeClock clock;
    FakeExchange ex{clock};
    FakeTransferUi ui;
    Link link{ex, ui, clock};
    data::ChargeStore store;
    data::CallStore calls;
    BankModel model;
    std::optional<int> stop_answering_blocks_at;
    int served_blocks = 0;
    std::function<void(const Request&)> on_block;
    bool echo_block_type = false;
};

TEST_F(TransferTest, ReadChargesTwelveRecordsOnTheWire) {
    model.bank[0] = charges(0, 12);
    serve(model);
    EXPECT_TRUE(read_charges(link, store, "COM1").opens_list());
    const Bytes expected = cat({fill(255),
                                {0x05, 0x62, 0x00, 0x00, 0x45},
                                block_request(0x0D, 0),
                                block_request(0x0D, 10),
                                block_request(0x0D, 12),
                                block_request(0x1D, 0),
                                {0x05, 0x63, 0x00, 0x00, 0x00}});
    EXPECT_EQ(ex.wire, expected);
    EXPECT_FALSE(ex.is_open);
    ASSERT_EQ(store.count(), 12);
    EXPECT_TRUE(sorted(store));
    EXPECT_EQ(store.record(0).amount, 11u);
    EXPECT_EQ(store.filter.from_year, 0xFF);
    EXPECT_EQ(store.filter.from_month, 2);
    EXPECT_EQ(store.filter.from_day, store.record(0).day);
    EXPECT_EQ(store.filter.to_day, store.record(11).day);
    EXPECT_EQ(ui.log, (Texts{"open", "close", "msg: 12 Gebührensätze empfangen "}));
    const app::Message& m = ui.messages.shown.back();
    EXPECT_EQ(m.caption, std::optional<std::string>("Information"));
    EXPECT_EQ(m.icon, app::Icon::Information);
}

TEST_F(TransferTest, ReadChargesTwentyFiveRecordsAndProgressLines) {
    model.bank[0] = charges(0, 25);
    serve(model);
    ui.log_lines = true;
    EXPECT_TRUE(read_charges(link, store, "COM1").opens_list());
    EXPECT_EQ(block_indexes(0x0D), (std::vector<std::uint16_t>{0, 10, 20, 25}));
    EXPECT_EQ(block_indexes(0x1D), (std::vector<std::uint16_t>{0}));
    EXPECT_EQ(store.count(), 25);
    EXPECT_TRUE(sorted(store));
    const Texts expected = {
        "open",
        "line0:          Initialisierung der Schnittstelle",
        "line0:          Datenübertragung bitte warten",
        "line1:          lese Gebührensatz Nr.: 0",
        "line0:          Datenübertragung bitte warten",
        "line1:          lese Gebührensatz Nr.: 10",
        "line0:          Datenübertragung bitte warten",
        "line1:          lese Gebührensatz Nr.: 20",
        "line0:          Datenübertragung bitte warten",
        "line1:          lese Gebührensatz Nr.: 25",
        "line0:          Datenübertragung bitte warten",
        "line1:          lese Gebührensatz Nr.: 25",
        "close",
        "msg: 25 Gebührensätze empfangen ",
    };
    EXPECT_EQ(ui.log, expected);
}

TEST_F(TransferTest, ReadChargesBothBanksAndEmptyExchange) {
    serve(model);
    store.append_received_block(charge(7)); // a read that connects empties the store first
    EXPECT_FALSE(read_charges(link, store, "COM1").opens_list());
    EXPECT_EQ(ex.requests.size(), 1u + 2u + 1u);
    EXPECT_EQ(store.count(), 0);
    EXPECT_EQ(ui.messages_only(), Texts{" Gebührendatenspeicher leer "});

    model.bank[0] = charges(0, 3);
    model.bank[1] = charges(100, 11);
    ex.requests.clear();
    EXPECT_TRUE(read_charges(link, store, "COM1").opens_list());
    EXPECT_EQ(block_indexes(0x1D), (std::vector<std::uint16_t>{0, 10, 11}));
    EXPECT_EQ(store.count(), 14);
    EXPECT_TRUE(sorted(store));
}

TEST_F(TransferTest, APayloadShorterThanARecordIsRetriedLikeABadFrame) {
    // Ten stray bytes are no block: taken as the end of the bank, they let a delete empty what
    // was never read. Every attempt gets the fill run a bad frame gets.
    model.bank[0] = charges(0, 3);
    serve(model);
    auto whole = ex.answer;
    int short_replies = 1;
    ex.answer = [&](const Request& r) -> std::optional<Bytes> {
        if (r.bytes.size() == 6 && short_replies-- > 0) return frame(0x30, Bytes(10, 0x21));
        return whole(r);
    };
    EXPECT_EQ(read_charges(link, store, "COM1").outcome, Outcome::Done);
    EXPECT_EQ(block_indexes(0x0D), (std::vector<std::uint16_t>{0, 0, 3}));
    EXPECT_EQ(store.count(), 3);

    short_replies = 1000;
    ex.requests.clear();
    ui.log.clear();
    const ReadResult r = read_charges(link, store, "COM1");
    EXPECT_EQ(r.outcome, Outcome::Failed);
    EXPECT_EQ(block_indexes(0x0D), (std::vector<std::uint16_t>{0, 0, 0, 0, 0}));
    EXPECT_TRUE(block_indexes(0x1D).empty());
    EXPECT_EQ(store.count(), 0);
    EXPECT_TRUE(closing_sent());
    EXPECT_EQ(ui.messages_only(),
              (Texts{"CrC Fehler !", " Gebührendatenspeicher leer ", kIncomplete}));
}

TEST_F(TransferTest, BothBanksAreReadPastAThousand) {
    // A first bank that stopped at 1,000 left its tail and the whole second bank unread.
    for (std::size_t first : {1000u, 1005u}) {
        model.bank[0] = charges(0, first);
        model.bank[1] = charges(5000, 5);
        serve(model);
        ex.requests.clear();
        const ReadResult r = read_charges(link, store, "COM1");
        EXPECT_EQ(r.outcome, Outcome::Done);
        EXPECT_EQ(store.count(), first + 5);
        EXPECT_EQ(block_indexes(0x0D).back(), first) << "the first bank ends with its empty block";
        EXPECT_EQ(block_indexes(0x1D), (std::vector<std::uint16_t>{0, 5}));
        EXPECT_EQ(ui.messages_only().back(),
                  app::format(" %d Gebührensätze empfangen ", static_cast<int>(first + 5)));
    }
}

TEST_F(TransferTest, RecordsBeyondTheCapacityAreDropped) {
    model.per_block = 9;
    model.bank[0] = charges(0, 999);
    model.bank[1] = charges(999, 1008);
    serve(model);
    const ReadResult report = read_charges(link, store, "COM1");
    EXPECT_TRUE(report.opens_list());
    EXPECT_EQ(block_indexes(0x1D).back(), 999) << "the bank's index counts every record";
    ASSERT_EQ(store.count(), data::kChargeCapacity);
    EXPECT_EQ(report.dropped, 7u);
    EXPECT_EQ(report.outcome, Outcome::Incomplete);
    std::set<std::uint32_t> ids;
    for (std::size_t i = 0; i < store.count(); ++i)
        ids.insert(store.record(i).amount);
    EXPECT_EQ(ids.size(), 2000u);
    EXPECT_EQ(*ids.rbegin(), 1999u) << "the first 2,000 delivered are kept";
    EXPECT_TRUE(sorted(store));
    EXPECT_EQ(ui.messages_only(), (Texts{" 2000 Gebührensätze empfangen ", kIncomplete}));
}

TEST_F(TransferTest, FailedReadReportsLinkThenChecksumThenCount) {
    model.bank[0] = charges(0, 40);
    stop_answering_blocks_at = 2;
    serve(model);
    EXPECT_TRUE(read_charges(link, store, "COM1").opens_list());
    EXPECT_EQ(block_indexes(0x0D), (std::vector<std::uint16_t>{0, 10, 20, 20, 20, 20, 20}));
    EXPECT_EQ(ui.log, (Texts{"open", "msg:Fehler Gegenstelle antwortet nicht !", "msg:CrC Fehler !",
                             "close", "msg: 20 Gebührensätze empfangen ",
                             std::string("msg:") + kIncomplete}));
    const app::Message& crc = ui.messages.shown[1];
    EXPECT_EQ(crc.icon, app::Icon::Warning);
    EXPECT_EQ(crc.caption, std::optional<std::string>(""));
    EXPECT_TRUE(closing_sent());
    EXPECT_TRUE(sorted(store));
}

TEST_F(TransferTest, CancelAfterThreeBlocksKeepsThemAndCloses) {
    model.bank[0] = charges(0, 60);
    on_block = [this](const Request& r) {
        if (r.index() == 30) ui.cancel = true;
    };
    serve(model);
    EXPECT_TRUE(read_charges(link, store, "COM1").opens_list());
    EXPECT_EQ(store.count(), 30);
    EXPECT_TRUE(sorted(store));
    EXPECT_FALSE(closing_sent());
    EXPECT_FALSE(ex.is_open);
    EXPECT_EQ(ui.log, (Texts{"open", "close", "msg: 30 Gebührensätze empfangen ",
                             std::string("msg:") + kIncomplete}));
}

TEST_F(TransferTest, CancelWhileConnecting) {
    store.append_received_block(charge(7));
    ex.answer = [](const Request&) { return std::optional<Bytes>(); };
    ui.cancel_at_check = 2;
    EXPECT_FALSE(read_charges(link, store, "COM1").opens_list());
    EXPECT_EQ(store.count(), 1) << "nothing connected, nothing emptied";
    EXPECT_EQ(ex.requests.size(), 1u);
    EXPECT_FALSE(ex.is_open);
    EXPECT_EQ(ui.log, (Texts{"open", "close"}));
}

TEST_F(TransferTest, CancelWhileClosing) {
    model.bank[0] = charges(0, 4);
    serve(model);
    auto inner = ex.answer;
    ex.answer = [this, inner](const Request& r) -> std::optional<Bytes> {
        if (r.code() == code::Close) {
            ui.cancel = true;
            return std::nullopt;
        }
        return inner(r);
    };
    EXPECT_TRUE(read_charges(link, store, "COM1").opens_list());
    EXPECT_EQ(ex.requests.back().code(), code::Close) << "no second closing attempt";
    EXPECT_FALSE(ex.is_open);
    EXPECT_EQ(ui.log, (Texts{"open", "close", "msg: 4 Gebührensätze empfangen "}));
}

TEST_F(TransferTest, ReadCallsFirstBankOfEightyToItsEnd) {
    model.first_code = 0x0E;
    model.second_code = 0x1E;
    model.per_block = 14;
    for (int i = 0; i < 80; ++i)
        model.bank[0].push_back(call(static_cast<std::uint8_t>(23 - i % 24),
                                     static_cast<std::uint8_t>(i % 60),
                                     static_cast<std::uint8_t>(1 + i / 24)));
    serve(model);
    ui.log_lines = true;
    EXPECT_TRUE(read_calls(link, calls, "COM1").opens_list());
    // Read to its empty block like a charge bank: leaving it at 75 would leave the tail unread.
    EXPECT_EQ(block_indexes(0x0E), (std::vector<std::uint16_t>{0, 14, 28, 42, 56, 70, 80}));
    EXPECT_EQ(block_indexes(0x1E), (std::vector<std::uint16_t>{0}));
    EXPECT_EQ(calls.count(), 80);
    EXPECT_TRUE(sorted(calls));
    EXPECT_EQ(ui.lines[1], "          lese Anrufdatensatz Nr.: 80");
    EXPECT_EQ(ui.messages_only(), Texts{" 80 Anrufdatensätze empfangen "});
}

TEST_F(TransferTest, ReadCallsSortsAndOverflows) {
    model.first_code = 0x0E;
    model.second_code = 0x1E;
    model.bank[0] = {call(14, 5), call(9, 30), call(11, 0)};
    serve(model);
    EXPECT_TRUE(read_calls(link, calls, "COM1").opens_list());
    ASSERT_EQ(calls.count(), 3);
    EXPECT_EQ(calls.record(0).hour, 9);
    EXPECT_EQ(calls.record(2).hour, 14);

    model.per_block = 14;
    model.bank[0].assign(88, call(8, 0));
    model.bank[1].assign(84, call(9, 0));
    const ReadResult report = read_calls(link, calls, "COM1");
    EXPECT_TRUE(report.opens_list());
    EXPECT_EQ(calls.count(), data::kCallCapacity);
    EXPECT_EQ(report.dropped, 88u + 70u - 150u) << "the read stops at the block that overflowed";
    EXPECT_EQ(report.outcome, Outcome::Incomplete);
    const Texts shown = ui.messages_only();
    EXPECT_EQ(Texts(shown.end() - 2, shown.end()),
              (Texts{" 150 Anrufdatensätze empfangen ", kIncomplete}));
}

TEST_F(TransferTest, ReadCallsEmptyStillConnects) {
    model.first_code = 0x0E;
    model.second_code = 0x1E;
    serve(model);
    EXPECT_TRUE(read_calls(link, calls, "COM1").opens_list());
    EXPECT_EQ(ui.messages_only(), Texts{" Anrufliste leer "});

    ex.refuse_open = true;
    EXPECT_FALSE(read_calls(link, calls, "COM1").opens_list());
    EXPECT_EQ(ui.messages_only().back().substr(0, 19), "Connection failed.\n");
}

TEST_F(TransferTest, DeleteChargesDeclinedTouchesNothing) {
    store.append_received_block(charge(1));
    ui.messages.answers = {app::Answer::No};
    delete_charges(link, store, "COM1");
    EXPECT_EQ(ex.opens, 0);
    EXPECT_EQ(store.count(), 1);
    EXPECT_EQ(ui.log, (Texts{"msg:Alle Gebührendatensätze der\nTK-Anlage werden gelöcht !"}));
    const app::Message& q = ui.messages.shown[0];
    EXPECT_EQ(q.buttons, app::Buttons::YesNo);
    EXPECT_EQ(q.caption, std::optional<std::string>("Information"));
}

TEST_F(TransferTest, DeleteChargesOnTheWire) {
    store.append_received_block(charge(1));
    delete_charges(link, store, "COM1");
    EXPECT_EQ(ex.wire, cat({fill(255),
                            {0x05, 0x61, 0x00, 0x00, 0x45},
                            {0x05, 0x2D, 0x00, 0x00, 0x00},
                            {0x05, 0x3D, 0x00, 0x00, 0x00},
                            {0x05, 0x63, 0x00, 0x00, 0x00}}));
    EXPECT_EQ(store.count(), 0);
    EXPECT_EQ(ui.log, (Texts{"msg:Alle Gebührendatensätze der\nTK-Anlage werden gelöcht !", "open",
                             "msg:Gebührendaten gelöscht ", "close"}));
}

TEST_F(TransferTest, DeleteWhoseSecondStepTimesOut) {
    store.append_received_block(charge(1));
    ex.answer = [](const Request& r) {
        return r.code() == 0x3D ? std::optional<Bytes>() : std::optional<Bytes>(frame(r.code()));
    };
    delete_charges(link, store, "COM1");
    EXPECT_EQ(store.count(), 0);
    EXPECT_EQ(ui.messages_only(), (Texts{"Alle Gebührendatensätze der\nTK-Anlage werden gelöcht !",
                                         "Fehler Gegenstelle antwortet nicht !",
                                         "Fehler beim löschen der Gebührendaten"}));
    EXPECT_EQ(ui.log.back(), "msg:Fehler beim löschen der Gebührendaten");
    EXPECT_EQ(ui.log[ui.log.size() - 2], "close");
    EXPECT_TRUE(closing_sent());
}

TEST_F(TransferTest, DeleteWithoutConnection) {
    store.append_received_block(charge(1));
    ex.answer = [](const Request&) { return std::optional<Bytes>(); };
    delete_charges(link, store, "COM1");
    EXPECT_EQ(store.count(), 1);
    EXPECT_EQ(ui.messages_only(), (Texts{"Alle Gebührendatensätze der\nTK-Anlage werden gelöcht !",
                                         "Fehler Gegenstelle antwortet nicht !",
                                         "Fehler beim schließen der Schnittstelle",
                                         "Fehler beim löschen der Gebührendaten"}));
}

TEST_F(TransferTest, CancelledDeleteIsSilent) {
    calls.append_received_block(call(8, 0));
    ex.answer = [this](const Request& r) {
        if (r.code() == 0x2E) ui.cancel = true;
        return std::optional<Bytes>(frame(r.code()));
    };
    delete_calls(link, calls, "COM1");
    EXPECT_EQ(calls.count(), 0);
    EXPECT_FALSE(closing_sent());
    EXPECT_EQ(ui.log,
              (Texts{"msg:Alle Anrufdatensätze der\nTK-Anlage werden gelöcht !", "open", "close"}));
}

TEST_F(TransferTest, DeleteCallsTexts) {
    delete_calls(link, calls, "COM1");
    EXPECT_EQ(ex.requests[1].bytes, (Bytes{0x05, 0x2E, 0x00, 0x00, 0x00}));
    EXPECT_EQ(ex.requests[2].bytes, (Bytes{0x05, 0x3E, 0x00, 0x00, 0x00}));
    EXPECT_EQ(ui.messages_only().back(), "Anrufliste gelöscht ");

    ex.answer = [](const Request& r) {
        return r.code() == 0x2E ? std::optional<Bytes>(frame(0x69))
                                : std::optional<Bytes>(frame(r.code()));
    };
    delete_calls(link, calls, "COM1");
    EXPECT_EQ(ui.messages_only().back(), "Fehler beim Löschen der Anrufdaten");
    const app::Message& m = ui.messages.shown.back();
    EXPECT_EQ(m.icon, app::Icon::Error);
    EXPECT_FALSE(m.caption.has_value());
}

TEST_F(TransferTest, SpeedDialWrite) {
    write_speed_dial_target(link, "0891234567", 199, "COM1");
    ASSERT_EQ(ex.requests.size(), 3u);
    const Bytes& f = ex.requests[1].bytes;
    ASSERT_EQ(f.size(), 30u);
    EXPECT_EQ(f[1], 0x29);
    EXPECT_EQ(f[4], 199);
    EXPECT_EQ(std::string(f.begin() + 5, f.begin() + 15), "0891234567");
    EXPECT_TRUE(std::all_of(f.begin() + 15, f.end(), [](std::uint8_t b) { return b == 0; }));
    const Bytes payload(f.begin() + 4, f.end());
    EXPECT_EQ(f[2] | f[3] << 8, frame_checksum(payload));
    EXPECT_EQ(ui.log, (Texts{"open", "close"})) << "success is not announced";

    const auto p = speed_dial_payload(std::string(30, '9'), 3);
    EXPECT_EQ(p[24], '9');
    EXPECT_EQ(p[25], 0) << "the terminator always fits";
}

TEST_F(TransferTest, SpeedDialRefused) {
    ex.answer = [](const Request& r) {
        return std::optional<Bytes>(frame(r.code() == 0x29 ? 0x69 : r.code()));
    };
    write_speed_dial_target(link, "123", 0, "COM1");
    EXPECT_EQ(ui.messages_only(), (Texts{"Gegenstelle meldet CrC Fehler !",
                                         "Fehler beim schreiben des Kurzwahlzieles"}));
    EXPECT_TRUE(closing_sent());
}

TEST_F(TransferTest, CancelledSpeedDialIsSilent) {
    ex.answer = [this](const Request& r) -> std::optional<Bytes> {
        if (r.code() == 0x29) {
            ui.cancel = true;
            return std::nullopt;
        }
        return frame(r.code());
    };
    write_speed_dial_target(link, "123", 0, "COM1");
    EXPECT_EQ(ex.requests.size(), 2u) << "no retry and no closing command after a cancel";
    EXPECT_EQ(ui.log, (Texts{"open", "close"}));
}

TEST_F(TransferTest, NoProgressDialogNoTransfer) {
    ui.refuse_dialog = true;
    EXPECT_FALSE(read_charges(link, store, "COM1").opens_list());
    EXPECT_EQ(ex.opens, 0);
    EXPECT_EQ(ui.messages_only(), Texts{"Not enough memory."});
    EXPECT_EQ(ui.messages.shown[0].icon, app::Icon::Error);
    EXPECT_FALSE(ui.messages.shown[0].caption.has_value());
}

TEST_F(TransferTest, OneTransferAtATime) {
    model.bank[0] = charges(0, 5);
    bool inner_result = true;
    bool running_inside = false;
    on_block = [&](const Request&) {
        running_inside = transfer_running();
        data::ChargeStore other;
        inner_result = read_charges(link, other, "COM2").opens_list();
        delete_calls(link, calls, "COM2");
    };
    serve(model);
    EXPECT_FALSE(transfer_running());
    EXPECT_TRUE(read_charges(link, store, "COM1").opens_list());
    EXPECT_TRUE(running_inside);
    EXPECT_FALSE(inner_result);
    EXPECT_EQ(ex.opens, 1);
    EXPECT_FALSE(transfer_running());
    EXPECT_EQ(ui.messages_only(), Texts{" 5 Gebührensätze empfangen "});
}

// A reply that arrives after its deadline must never be taken for the answer to a later
// request: every read either brings exactly the exchange's records or ends in a failure.
TEST_F(TransferTest, LateRepliesAreNeverTakenForALaterRequest) {
    struct Point {
        std::size_t request; // 0: every reply
        std::int64_t delay_ms;
    };
    const std::vector<Point> points = {{3, 0},    {3, 2500}, {3, 3000},  {3, 3500}, {3, 5000},
                                       {3, 6000}, {3, 7500}, {3, 9000},  {2, 6000}, {5, 4000},
                                       {6, 6000}, {1, 5000}, {3, 25000}, {0, 2000}, {0, 2900},
                                       {0, 3100}, {0, 6000}};
    for (const Point& p : points) {
        SCOPED_TRACE("request " + std::to_string(p.request) + " delay " +
                     std::to_string(p.delay_ms));
        FakeClock c;
        FakeExchange line{c};
        FakeTransferUi u;
        Link l{line, u, c};
        BankModel m;
        m.bank[0] = charges(0, 30);
        line.answer = [&m](const Request& r) -> std::optional<Bytes> {
            return m.is_block_request(r) ? frame(0x30, m.block(r)) : frame(r.code());
        };
        line.reply_delay_ms = [p](std::size_t n) {
            return p.request == 0 || p.request == n ? p.delay_ms : 0;
        };
        u.open_progress_dialog();
        data::ChargeStore s;
        const ReadResult r = read_charges(l, s, "COM1");
        std::multiset<std::uint32_t> ids;
        for (std::size_t i = 0; i < s.count(); ++i)
            ids.insert(s.record(i).amount);
        EXPECT_EQ(std::set<std::uint32_t>(ids.begin(), ids.end()).size(), ids.size())
            << "a record stored twice";
        if (r.outcome == Outcome::Done) {
            EXPECT_EQ(ids.size(), 30u);
            EXPECT_EQ(ids.empty() ? 0 : *ids.rbegin(), 29u);
        } else {
            EXPECT_TRUE(r.outcome == Outcome::Failed || r.outcome == Outcome::NotConnected);
            const Texts shown = u.messages_only();
            EXPECT_TRUE(std::find(shown.begin(), shown.end(),
                                  "Fehler Gegenstelle antwortet nicht !") != shown.end());
        }
        EXPECT_EQ(line.discards, static_cast<int>(line.requests.size()))
            << "every request starts from an empty queue";
    }
}

TEST_F(TransferTest, ARetryWaitsForTheLineToGoQuiet) {
    model.bank[0] = charges(0, 30);
    serve(model);
    ex.reply_delay_ms = [](std::size_t n) { return n == 3 ? 5000 : 0; };
    std::vector<std::int64_t> sent_at;
    on_block = [&](const Request&) { sent_at.push_back(clock.ms); };
    EXPECT_EQ(read_charges(link, store, "COM1").outcome, Outcome::Done);
    EXPECT_EQ(block_indexes(0x0D), (std::vector<std::uint16_t>{0, 10, 10, 20, 30}));
    ASSERT_GE(sent_at.size(), 3u);
    // Deadline (3 s), the late reply (5 s after the request), then 4 s of silence.
    EXPECT_GE(sent_at[2] - sent_at[1], 5000 + kQuietMs);
    EXPECT_TRUE(ui.messages_only() == Texts{" 30 Gebührensätze empfangen "});
}

// The journal: a charge data file whose count follows every block, on the disk before the
// next request; a journal that fails stops the read there.
class JournalTest : public TransferTest {
protected:
    test::MemoryFileSystem fs;
    FileJournal charge_journal{fs, clock, "J", JournalKind::Charges};
    FileJournal call_journal{fs, clock, "J", JournalKind::Calls};
};

TEST_F(JournalTest, EveryBlockIsKeptBeforeTheNextRequest) {
    model.bank[0] = charges(0, 25);
    model.bank[1] = charges(100, 3);
    serve(model);
    std::vector<int> syncs_at_request;
    on_block = [&](const Request&) { syncs_at_request.push_back(fs.syncs); };
    const ReadResult r = read_charges(link, store, "COM1", &charge_journal);
    EXPECT_EQ(r.outcome, Outcome::Done);
    EXPECT_EQ(charge_journal.path(), "J/2026-12-07_103000.GDS");
    EXPECT_TRUE(fs.folders.count("J"));
    // Header, then two syncs (records, count) per block with records.
    EXPECT_EQ(syncs_at_request, (std::vector<int>{0, 3, 5, 7, 7, 9}));
    const std::string& file = fs.files.at(charge_journal.path());
    ASSERT_EQ(file.size(), data::kChargeImageHead + 28 * data::kChargeRecordSize);
    EXPECT_EQ(file.substr(0, 32), std::string(data::kChargeMagic, 32));
    EXPECT_EQ(static_cast<unsigned char>(file[32]), 28);
    // In the order received, before the store sorted them.
    Bytes received;
    for (const auto* bank : {&model.bank[0], &model.bank[1]})
        for (const Bytes& rec : *bank)
            received.insert(received.end(), rec.begin(), rec.end());
    EXPECT_EQ(file.substr(data::kChargeImageHead), std::string(received.begin(), received.end()));

    // A second read in the same second gets a journal of its own; calls are bare records.
    model.first_code = 0x0E;
    model.second_code = 0x1E;
    model.bank[0] = {call(9, 30), call(8, 0)};
    model.bank[1].clear();
    EXPECT_EQ(read_calls(link, calls, "COM1", &call_journal).outcome, Outcome::Done);
    EXPECT_EQ(call_journal.path(), "J/2026-12-07_103000.ANR");
    const Bytes both = cat({call(9, 30), call(8, 0)});
    EXPECT_EQ(fs.files.at(call_journal.path()), std::string(both.begin(), both.end()));
    FileJournal again{fs, clock, "J", JournalKind::Charges};
    model.first_code = 0x0D;
    model.second_code = 0x1D;
    model.bank[0] = charges(0, 1);
    read_charges(link, store, "COM1", &again);
    EXPECT_EQ(again.path(), "J/2026-12-07_103000_2.GDS");
}

// With dropping on, a confidential number reaches neither the journal nor the store; the
// record itself, its amount, and every other number do.
TEST_F(JournalTest, DroppedNumbersNeverReachTheJournal) {
    const data::ConfidentialNumbers secret = data::ConfidentialNumbers::parse("0891\n");
    const data::ChargeRecord hidden = test::charge(0x21, 2, 3, 4711, "08912345", 9, 0);
    const data::ChargeRecord kept = test::charge(0x22, 2, 4, 42, "0301", 9, 0);
    model.bank[0] = {test::bytes_of({hidden}), test::bytes_of({kept})};
    model.bank[1] = {test::bytes_of({hidden})};
    serve(model);
    EXPECT_EQ(read_charges(link, store, "COM1", &charge_journal, &secret).outcome, Outcome::Done);
    const std::string& file = fs.files.at(charge_journal.path());
    const data::NumberField packed = data::pack_number("08912345");
    EXPECT_EQ(file.find(std::string(packed.begin(), packed.begin() + 4)), std::string::npos);
    ASSERT_EQ(store.count(), 3u);
    std::uint64_t total = 0;
    for (std::size_t i = 0; i < store.count(); ++i) {
        total += store.record(i).amount;
        EXPECT_NE(data::number_text(store.record(i).number), "08912345");
    }
    EXPECT_EQ(total, 2 * 4711u + 42u);

    model.first_code = 0x0E;
    model.second_code = 0x1E;
    model.bank[0] = {test::bytes_of({test::call(0x22, 3, 5, "08911")}), call(8, 0)};
    model.bank[1].clear();
    EXPECT_EQ(read_calls(link, calls, "COM1", &call_journal, &secret).outcome, Outcome::Done);
    const std::string& call_file = fs.files.at(call_journal.path());
    data::CallRecord emptied = test::call(0x22, 3, 5, "");
    const test::Bytes expected = cat({test::bytes_of({emptied}), call(8, 0)});
    EXPECT_EQ(call_file, std::string(expected.begin(), expected.end()));
}

TEST_F(JournalTest, AJournalThatFailsStopsTheRead) {
    model.bank[0] = charges(0, 40);
    serve(model);
    fs.durable_writes_left = 3; // header, the first block and its count
    const ReadResult r = read_charges(link, store, "COM1", &charge_journal);
    EXPECT_EQ(r.outcome, Outcome::Incomplete);
    EXPECT_TRUE(r.journal_failed);
    EXPECT_TRUE(r.left_records());
    EXPECT_EQ(block_indexes(0x0D), (std::vector<std::uint16_t>{0, 10})) << "nothing more asked";
    EXPECT_TRUE(closing_sent());
    const std::string& file = fs.files.at(charge_journal.path());
    EXPECT_EQ(static_cast<unsigned char>(file[32]), 10) << "still a valid file of the first block";
    EXPECT_EQ(ui.messages_only(),
              (Texts{"Sicherungskopie (Journal) J/2026-12-07_103000.GDS kann nicht geschrieben "
                     "werden.\nDatenträger voll oder Ordner schreibgeschützt?\n"
                     "Datenübertragung abgebrochen!",
                     " 20 Gebührensätze empfangen ", kIncomplete}));

    // A journal whose header cannot be written is not left behind.
    fs.durable_writes_left = 0;
    FileJournal unstarted{fs, clock, "U", JournalKind::Charges};
    ex.requests.clear();
    EXPECT_EQ(read_charges(link, store, "COM1", &unstarted).outcome, Outcome::Incomplete);
    EXPECT_EQ(block_indexes(0x0D), (std::vector<std::uint16_t>{0})) << "stopped at the first block";
    EXPECT_TRUE(unstarted.path().empty());
    for (const auto& [name, bytes] : fs.files)
        EXPECT_NE(name.rfind("U/", 0), 0u) << name;
    fs.durable_writes_left.reset();

    // A folder that cannot be made: nothing is requested, the store keeps its records.
    fs.unwritable["K"] = true;
    FileJournal nowhere{fs, clock, "K", JournalKind::Calls};
    calls.append_received_block(call(7, 0));
    ex.requests.clear();
    const ReadResult none = read_calls(link, calls, "COM1", &nowhere);
    EXPECT_EQ(none.outcome, Outcome::Incomplete);
    EXPECT_FALSE(none.opens_list()) << "no call list opens";
    EXPECT_EQ(calls.count(), 1);
    EXPECT_TRUE(block_indexes(0x0E).empty());
    EXPECT_EQ(ui.messages_only().back(),
              "Sicherungskopie (Journal) K kann nicht geschrieben werden.\nDatenträger voll oder "
              "Ordner schreibgeschützt?\nDatenübertragung abgebrochen!");
}

// What each transfer came to, as both front ends act on it.
TEST_F(TransferTest, OutcomesOfDeletesAndSpeedDial) {
    EXPECT_EQ(delete_charges(link, store, "COM1"), Outcome::Done);
    ui.messages.answers = {app::Answer::No};
    EXPECT_EQ(delete_calls(link, calls, "COM1"), Outcome::Declined);
    EXPECT_EQ(write_speed_dial_target(link, "0891", 3, "COM1"), Outcome::Done);
    ex.answer = [](const Request& r) {
        return r.code() == 0x3D || r.code() == 0x29 ? std::optional<Bytes>(frame(0x69))
                                                    : std::optional<Bytes>(frame(r.code()));
    };
    EXPECT_EQ(delete_charges(link, store, "COM1"), Outcome::Failed);
    EXPECT_EQ(write_speed_dial_target(link, "0891", 3, "COM1"), Outcome::Failed);
    ex.refuse_open = true;
    EXPECT_EQ(delete_calls(link, calls, "COM1"), Outcome::NotConnected);
    EXPECT_EQ(write_speed_dial_target(link, "0891", 3, "COM1"), Outcome::NotConnected);
    EXPECT_EQ(read_calls(link, calls, "COM1").outcome, Outcome::NotConnected);
    ex.refuse_open = false;
    ui.refuse_dialog = true;
    EXPECT_EQ(read_charges(link, store, "COM1").outcome, Outcome::Busy);
}

TEST_F(TransferTest, DeleteAfterAnIncompleteReadWarnsFirst) {
    // The warning comes first, with No as the default; No ends it there.
    ui.messages.answers = {app::Answer::No};
    EXPECT_EQ(delete_charges(link, store, "COM1", DeleteQuestion::WarnUnreadThenAsk),
              Outcome::Declined);
    EXPECT_EQ(ex.opens, 0);
    ASSERT_EQ(ui.messages.shown.size(), 1u);
    const app::Message& w = ui.messages.shown[0];
    EXPECT_EQ(w.text, app::string_text(app::str::DeleteUnread));
    EXPECT_EQ(w.buttons, app::Buttons::YesNo);
    EXPECT_TRUE(w.default_no);
    EXPECT_EQ(w.icon, app::Icon::Warning);

    // Yes to the warning still leaves the usual question.
    ui.log.clear();
    ui.messages.answers = {app::Answer::Yes, app::Answer::No};
    EXPECT_EQ(delete_calls(link, calls, "COM1", DeleteQuestion::WarnUnreadThenAsk),
              Outcome::Declined);
    EXPECT_EQ(ui.messages_only().back(), "Alle Anrufdatensätze der\nTK-Anlage werden gelöcht !");

    // A verified unattended pull asks nothing.
    ui.log.clear();
    EXPECT_EQ(delete_charges(link, store, "COM1", DeleteQuestion::AlreadyConfirmed), Outcome::Done);
    EXPECT_EQ(ui.log, (Texts{"open", "msg:Gebührendaten gelöscht ", "close"}));
}

// The unattended pull: what it kept is asked for once more, and only then emptied; anything less
// leaves the exchange as it was.
class CollectTest : public TransferTest {
protected:
    void SetUp() override { echo_block_type = true; }
    void use_call_banks(std::size_t in_first, std::size_t per_block) {
        model.first_code = 0x0E;
        model.second_code = 0x1E;
        model.per_block = per_block;
        for (std::size_t i = 0; i < in_first; ++i)
            model.bank[0].push_back(call(static_cast<std::uint8_t>(i / 60 % 24),
                                         static_cast<std::uint8_t>(i % 60),
                                         static_cast<std::uint8_t>(1 + i / 1440)));
        serve(model);
    }
    KeepRecords keeper() {
        return [this] {
            requests_at_keep = ex.requests.size();
            if (on_keep) on_keep();
            return keep_succeeds;
        };
    }
    bool delete_sent() const {
        return std::any_of(ex.requests.begin(), ex.requests.end(),
                           [](const Request& r) { return r.code() == 0x3D || r.code() == 0x3E; });
    }
    // Block requests after the keep, as "code@index".
    Texts asked_after_keep() const {
        Texts v;
        for (std::size_t i = requests_at_keep; i < ex.requests.size(); ++i)
            v.push_back(app::format("%02X@%u", ex.requests[i].code(), ex.requests[i].index()));
        return v;
    }

    data::CallArchive archive;
    std::size_t requests_at_keep = 0;
    bool keep_succeeds = true;
    std::function<void()> on_keep;
};

TEST_F(CollectTest, CallsBeyondTheListAreAllKeptBeforeTheDelete) {
    use_call_banks(200, 5);
    const CollectResult r = collect_calls(link, archive, "COM1", nullptr, keeper());
    EXPECT_EQ(r.read.outcome, Outcome::Done);
    ASSERT_EQ(archive.count(), 200u);
    EXPECT_TRUE(sorted(archive));
    EXPECT_TRUE(r.kept);
    EXPECT_TRUE(r.confirmed);
    EXPECT_EQ(r.deleted, Outcome::Done);
    // Both banks once more, then the delete on a connection of its own.
    EXPECT_EQ(asked_after_keep(),
              (Texts{"0E@200", "1E@0", "63@0", "61@0", "2E@0", "3E@0", "63@0"}));
    EXPECT_EQ(ui.messages_only(),
              (Texts{"Anrufliste gelöscht ", " 200 Anrufdatensätze empfangen "}));

    // The call list itself holds 150: its read says what it left.
    const ReadResult list = read_calls(link, calls, "COM1");
    EXPECT_EQ(list.outcome, Outcome::Incomplete);
    EXPECT_EQ(calls.count(), data::kCallCapacity);
}

TEST_F(CollectTest, ABankBeyondTheBlockIndexIsNotEmptied) {
    // The index is 16 bits: one more request would ask for the bank's start again.
    use_call_banks(0, 14);
    model.bank[0].assign(65540, call(8, 0));
    const CollectResult r = collect_calls(link, archive, "COM1", nullptr, keeper());
    EXPECT_EQ(r.read.outcome, Outcome::Incomplete);
    EXPECT_FALSE(r.kept);
    EXPECT_FALSE(delete_sent());
    EXPECT_EQ(block_indexes(0x0E).back(), 65534u);
}

TEST_F(CollectTest, RepliesThatCannotBeTheRequestedBlockStopThePull) {
    struct Case {
        const char* what;
        std::function<Bytes(const Request&)> reply;
    };
    const Case cases[] = {
        {"another type", [](const Request&) { return frame(0x30, Bytes(23 * 2, 0x21)); }},
        {"less than a record", [](const Request& r) { return frame(r.code(), Bytes(22, 0x21)); }},
        {"another bank's type", [](const Request&) { return frame(0x1D); }},
    };
    for (const Case& c : cases) {
        for (const int bad : {1, 1000}) {
            SCOPED_TRACE(std::string(c.what) + (bad == 1 ? ", once" : ", always"));
            model.bank[0] = charges(0, 12);
            serve(model);
            auto good = ex.answer;
            int left = bad;
            ex.answer = [&](const Request& r) -> std::optional<Bytes> {
                if (r.code() == 0x0D && r.index() == 10 && left-- > 0) return c.reply(r);
                return good(r);
            };
            ex.requests.clear();
            ui.log.clear();
            const CollectResult got = collect_charges(link, store, "COM1", nullptr, keeper());
            if (bad == 1) {
                EXPECT_EQ(got.read.outcome, Outcome::Done);
                EXPECT_EQ(store.count(), 12);
                EXPECT_EQ(got.deleted, Outcome::Done);
            } else {
                EXPECT_EQ(got.read.outcome, Outcome::Failed);
                EXPECT_FALSE(got.kept);
                EXPECT_FALSE(delete_sent());
                EXPECT_EQ(block_indexes(0x0D), (std::vector<std::uint16_t>{0, 10, 10, 10, 10, 10}));
                EXPECT_EQ(ui.messages_only().back(), kIncomplete);
            }
        }
    }
}

TEST_F(CollectTest, ABankThatDoesNotEndWhereTheReadEndedIsNotEmptied) {
    // A corrupted index answered with an empty block ended the first bank at 10 of 30; and a
    // call that came in while the records were kept. Either way the exchange holds unread records.
    for (const bool arrives_later : {false, true}) {
        SCOPED_TRACE(arrives_later ? "a record arrives" : "an index was corrupted");
        model.bank[0] = charges(0, arrives_later ? 10 : 30);
        model.bank[1].clear();
        serve(model);
        auto good = ex.answer;
        bool corrupted = false;
        ex.answer = [&](const Request& r) -> std::optional<Bytes> {
            if (!arrives_later && r.code() == 0x0D && r.index() == 10 && !corrupted) {
                corrupted = true;
                return frame(0x0D);
            }
            return good(r);
        };
        on_keep = [&] {
            if (arrives_later) model.bank[1] = charges(500, 1);
        };
        ex.requests.clear();
        ui.log.clear();
        const CollectResult got = collect_charges(link, store, "COM1", nullptr, keeper());
        EXPECT_TRUE(got.kept);
        EXPECT_EQ(store.count(), 10);
        EXPECT_FALSE(got.confirmed);
        EXPECT_EQ(got.read.outcome, Outcome::Incomplete);
        EXPECT_FALSE(delete_sent());
        EXPECT_EQ(ex.requests.back().code(), code::Close);
        EXPECT_EQ(ui.messages_only(), (Texts{" 10 Gebührensätze empfangen ", kIncomplete}));
    }
}

TEST_F(CollectTest, NothingIsDeletedUnlessKeptAndNotCancelled) {
    model.bank[0] = charges(0, 4);
    serve(model);
    // A cancel while the records are being kept.
    on_keep = [this] { ui.cancel = true; };
    CollectResult got = collect_charges(link, store, "COM1", nullptr, keeper());
    EXPECT_EQ(got.read.outcome, Outcome::Cancelled);
    EXPECT_TRUE(asked_after_keep().empty()) << "not even the closing command";
    EXPECT_FALSE(got.delete_attempted());

    on_keep = nullptr;
    keep_succeeds = false;
    ex.requests.clear();
    got = collect_charges(link, store, "COM1", nullptr, keeper());
    EXPECT_EQ(got.read.outcome, Outcome::Done);
    EXPECT_FALSE(got.kept);
    EXPECT_EQ(asked_after_keep(), Texts{"63@0"});

    // Nothing read, nothing kept, nothing emptied.
    model.bank[0].clear();
    keep_succeeds = true;
    requests_at_keep = 0;
    ex.requests.clear();
    got = collect_charges(link, store, "COM1", nullptr, keeper());
    EXPECT_EQ(got.read.outcome, Outcome::Done);
    EXPECT_FALSE(got.kept);
    EXPECT_FALSE(delete_sent());
    EXPECT_EQ(requests_at_keep, 0u) << "keep not called";

    // A delete that fails says so after the dialog is gone.
    model.bank[0] = charges(0, 4);
    auto good = ex.answer;
    ex.answer = [&](const Request& r) {
        return r.code() == 0x3D ? std::optional<Bytes>(frame(0x69)) : good(r);
    };
    ui.log.clear();
    got = collect_charges(link, store, "COM1", nullptr, keeper());
    EXPECT_EQ(got.deleted, Outcome::Failed);
    const auto closed = std::find(ui.log.begin(), ui.log.end(), "close");
    ASSERT_NE(closed, ui.log.end());
    EXPECT_EQ(*(closed + 1), "msg:Fehler beim löschen der Gebührendaten");
}

} // namespace
} // namespace kalmo::link

namespace kalmo::link {
namespace {

// The collection into the archive folder: the files hold what was read before anything is
// emptied, and a folder or a file that cannot be written leaves the exchange alone.
class ArchiveCollectTest : public CollectTest {
protected:
    Collection collect() {
        CollectRequest request;
        request.folder = "C:\\A";
        request.stamp = {2026, 12, 7, 10, 30, 5};
        request.calls = false;
        return collect_into_archive(link, fs, "COM1", request, store, archive);
    }
    test::MemoryFileSystem fs;
};

TEST_F(ArchiveCollectTest, KeepsTheChargesAndTheirExportThenEmpties) {
    model.bank[0] = charges(0, 12);
    serve(model);
    fs.files["C:\\A\\2026-12-07_103005.GDS"] = "an earlier collection in the same second";
    const Collection c = collect();
    EXPECT_EQ(c.shortfall(), Shortfall::None);
    EXPECT_EQ(c.charges.path, "C:\\A\\2026-12-07_103005_2.GDS");
    const auto image = store.save_image();
    EXPECT_EQ(fs.files[c.charges.path], std::string(image.begin(), image.end()));
    EXPECT_TRUE(fs.files.count("C:\\A\\2026-12-07_103005_2.ASC"));
    EXPECT_EQ(c.charges.count, 12u);
    EXPECT_TRUE(c.charges.emptied());
    EXPECT_TRUE(delete_sent());
    EXPECT_FALSE(c.calls.attempted);
}

TEST_F(ArchiveCollectTest, AnUnwritableFolderOrFileEmptiesNothing) {
    model.bank[0] = charges(0, 12);
    serve(model);
    fs.unwritable["C:\\A"] = true;
    Collection c = collect();
    EXPECT_EQ(c.shortfall(), Shortfall::FolderNotMade);
    EXPECT_TRUE(ex.requests.empty());

    fs.unwritable.clear();
    fs.unwritable["C:\\A\\2026-12-07_103005.GDS"] = true;
    c = collect();
    EXPECT_EQ(c.shortfall(), Shortfall::NotKept);
    EXPECT_FALSE(delete_sent());
    EXPECT_NE(collection_message(c).text.find("nicht geleert"), std::string::npos);
}

} // namespace
} // namespace kalmo::link
