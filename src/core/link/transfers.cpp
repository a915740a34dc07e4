#include "core/link/transfers.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "core/app/strings.h"
#include "core/app/text.h"
#include "core/app/utf8.h"

namespace kalmo::link {

namespace {

std::atomic<bool> g_running{false};

std::string information() {
    return app::string_text(app::str::Information);
}

const char* string_of(unsigned id) {
    return app::string_text(id);
}

void show(TransferUi& ui, const std::string& text, std::optional<std::string> caption,
          app::Icon icon) {
    ui.show(app::Message{text, std::move(caption), app::Buttons::Ok, icon});
}

bool open_progress(TransferUi& ui) {
    if (!ui.open_progress_dialog()) {
        show(ui, app::string_text(app::str::NotEnoughMemory), std::nullopt, app::Icon::Error);
        return false;
    }
    ui.set_progress_line(0, app::string_text(app::str::ProgressInitialising));
    return true;
}

// What differs between reading the charges and reading the call list. Both read each bank to
// its empty block, as long as the store has room: a bank left at a fixed count would leave
// records unread (and, after a delete, lost) whenever it holds more.
struct ReadKind {
    std::uint8_t bank1;
    std::uint8_t bank2;
    std::size_t record_size;
    std::size_t number_at; // the number field within a record
    // String-table ids.
    unsigned record_no;
    unsigned received; // the final count
    unsigned none;     // instead of it when nothing came
    bool opens_empty_list;
};

constexpr ReadKind kChargeRead{code::ChargesBank1,
                               code::ChargesBank2,
                               data::kChargeRecordSize,
                               data::charge_at::Number,
                               app::str::ProgressChargeRecordNo,
                               app::str::ChargesReceived,
                               app::str::NoChargesReceived,
                               false};
constexpr ReadKind kCallRead{code::CallsBank1,
                             code::CallsBank2,
                             data::kCallRecordSize,
                             data::call_at::Number,
                             app::str::ProgressCallRecordNo,
                             app::str::CallsReceived,
                             app::str::NoCallsReceived,
                             true};

// How far a read came in each bank: the index of the block after its last record.
struct BankEnds {
    std::uint16_t end[2] = {0, 0};
};

// A read starts from an empty store; the charge list then works out its from-year afresh.
void start_over(data::ChargeStore& store) {
    store.clear();
    store.filter.from_year = data::EvaluationFilter::kYearUnset;
}
void start_over(data::CallStore& store) {
    store.clear();
}
void start_over(data::CallArchive& store) {
    store.clear();
}

void show_journal_failure(TransferUi& ui, const ReceiveJournal& journal) {
    show(ui,
         app::format(app::string_text(app::str::JournalFailed),
                     app::shown_path(journal.name()).c_str()),
         std::nullopt, app::Icon::Error);
}

// One block of a bank, retried like a bad frame while the reply cannot be the block asked for:
// a payload with less than one whole record (the exchange sends whole records), or, when
// `strict`, a frame of another type than the request's code. Such a reply taken at face value
// would end the bank early. The payload length, or kBlockFailed.
std::uint16_t read_checked_block(Link& link, std::uint8_t bank, std::uint16_t index,
                                 std::size_t record_size, bool strict, std::uint8_t* buffer) {
    for (int attempt = 1; attempt <= kAttempts; ++attempt) {
        const std::uint16_t n = link.read_block(bank, index, buffer);
        if (n == kBlockFailed) return n;
        const bool short_reply = n > 0 && n < record_size;
        const bool other_type = strict && link.frame()[1] != bank;
        if (!short_reply && !other_type) return n;
        if (link.ui().cancelled()) return kBlockFailed;
        // As after a bad frame: fill bytes so the exchange finds the next frame, and a quiet
        // line before the request goes out again.
        link.send_fill(kFillRun);
        link.await_quiet();
    }
    return kBlockFailed;
}

// The block loop of both reads: what it came to, with `result.dropped` and
// `result.journal_failed` filled in, and where each bank ended.
template <typename Store>
Outcome read_banks(Link& link, Store& store, const ReadKind& kind, ReceiveJournal* journal,
                   const data::ConfidentialNumbers* drop, bool strict, ReadResult& result,
                   BankEnds& ends) {
    TransferUi& ui = link.ui();
    std::array<std::uint8_t, kMaxPayload> buffer{};
    int bank = 0;
    while (!ui.cancelled()) {
        const std::uint8_t code = bank == 0 ? kind.bank1 : kind.bank2;
        std::uint16_t& received = ends.end[bank];
        ui.set_progress_line(0, app::string_text(app::str::ProgressPleaseWait));
        ui.set_progress_line(
            1, app::format(string_of(kind.record_no), static_cast<int>(store.count())));
        const std::uint16_t n =
            read_checked_block(link, code, received, kind.record_size, strict, buffer.data());
        if (n == kBlockFailed) {
            if (ui.cancelled()) return Outcome::Cancelled;
            show(ui, app::string_text(app::str::CrcError), std::string(), app::Icon::Warning);
            return Outcome::Failed;
        }
        if (n == 0) {
            if (bank == 1) return Outcome::Done;
            bank = 1;
            continue;
        }
        // Here, once, so that neither the store nor the journal ever holds such a number.
        if (drop) drop->drop_numbers({buffer.data(), n}, kind.record_size, kind.number_at);
        const std::size_t before = store.count();
        result.dropped += store.append_received_block({buffer.data(), n});
        const std::size_t kept = store.count() - before;
        // On disk before anything more is asked for.
        if (journal && kept > 0 && !journal->keep({buffer.data(), kept * kind.record_size})) {
            result.journal_failed = true;
            show_journal_failure(ui, *journal);
            return Outcome::Incomplete;
        }
        // The store is full and the exchange holds more: they stay there, unread.
        if (result.dropped > 0) return Outcome::Incomplete;
        const std::size_t next = received + n / kind.record_size;
        // Past what a 16-bit block index reaches, the next request would ask for the bank's
        // start again.
        if (next > 0xFFFF) return Outcome::Incomplete;
        received = static_cast<std::uint16_t>(next);
    }
    return Outcome::Cancelled;
}

// Connects and starts the journal; the read ends here unless both worked.
bool begin_read(Link& link, const std::string& port_name, ReceiveJournal* journal,
                ReadResult& result) {
    TransferUi& ui = link.ui();
    if (!link.connect(port_name, code::OpenRead)) {
        ui.close_progress_dialog();
        result.outcome = ui.cancelled() ? Outcome::Cancelled : Outcome::NotConnected;
        return false;
    }
    if (journal && !journal->start()) {
        // Nothing is requested that could not be kept.
        show_journal_failure(ui, *journal);
        link.disconnect();
        ui.close_progress_dialog();
        result.outcome = Outcome::Incomplete;
        result.journal_failed = true;
        return false;
    }
    return true;
}

// Said after the final count of a read that left records behind: the count alone looks like
// a complete read, and the next step an operator takes is emptying the exchange.
void warn_if_left(TransferUi& ui, const ReadResult& result) {
    if (result.left_records())
        app::show_string(ui, app::str::ReadIncomplete, app::str::Information, app::Buttons::Ok,
                         app::Icon::Warning);
}

template <typename Store>
ReadResult read_records(Link& link, Store& store, const std::string& port_name,
                        ReceiveJournal* journal, const data::ConfidentialNumbers* drop,
                        const ReadKind& kind) {
    ReadResult result;
    const TransferGuard guard;
    if (!guard.acquired()) return result;
    TransferUi& ui = link.ui();
    if (!open_progress(ui)) return result;
    if (!begin_read(link, port_name, journal, result)) return result;
    start_over(store);
    BankEnds ends;
    result.outcome = read_banks(link, store, kind, journal, drop, false, result, ends);
    link.disconnect();
    const int count = store.count();
    store.sort();
    ui.close_progress_dialog();
    show(ui, count > 0 ? app::format(string_of(kind.received), count) : string_of(kind.none),
         information(), app::Icon::Information);
    warn_if_left(ui, result);
    result.list_follows = count > 0 || kind.opens_empty_list;
    return result;
}

// The texts are string-table ids.
struct DeleteKind {
    unsigned question;
    std::uint8_t step1;
    std::uint8_t step2;
    unsigned done;
    unsigned failed;
};

constexpr DeleteKind kChargeDelete{app::str::DeleteChargesQuestion, code::DeleteCharges1,
                                   code::DeleteCharges2, app::str::ChargesDeleted,
                                   app::str::DeleteChargesFailed};
constexpr DeleteKind kCallDelete{app::str::DeleteCallsQuestion, code::DeleteCalls1,
                                 code::DeleteCalls2, app::str::CallsDeleted,
                                 app::str::DeleteCallsFailed};

// Both steps of a delete on a connection of its own, inside an open progress dialog.
Outcome delete_in_exchange(Link& link, const std::string& port_name, const DeleteKind& kind) {
    TransferUi& ui = link.ui();
    bool ok = link.connect(port_name, code::OpenWrite);
    const bool connected = ok;
    if (ok) {
        link.send_command(kind.step1, 0x00);
        ok = link.receive_frame(false);
        if (ok) {
            link.send_command(kind.step2, 0x00);
            ok = link.receive_frame(false);
            if (ok) show(ui, string_of(kind.done), information(), app::Icon::Information);
        }
    }
    link.disconnect();
    if (ui.cancelled()) return Outcome::Cancelled;
    if (ok) return Outcome::Done;
    return connected ? Outcome::Failed : Outcome::NotConnected;
}

// Said once the progress dialog is gone.
void show_delete_failure(TransferUi& ui, Outcome outcome, const DeleteKind& kind) {
    if (outcome == Outcome::Failed || outcome == Outcome::NotConnected)
        show(ui, string_of(kind.failed), std::nullopt, app::Icon::Error);
}

// Each bank answers the request for the block after its last record with an empty block once
// more. A corrupted index answered with an empty block (block requests carry no checksum)
// ended a bank early; records that came in since the read would be deleted unread.
bool banks_still_end(Link& link, const ReadKind& kind, const BankEnds& ends) {
    std::array<std::uint8_t, kMaxPayload> buffer{};
    for (int bank = 0; bank < 2; ++bank) {
        const std::uint8_t code = bank == 0 ? kind.bank1 : kind.bank2;
        if (read_checked_block(link, code, ends.end[bank], kind.record_size, true, buffer.data()) !=
            0)
            return false;
    }
    return true;
}

template <typename Store>
CollectResult collect_records(Link& link, Store& store, const std::string& port_name,
                              ReceiveJournal* journal, const KeepRecords& keep,
                              const data::ConfidentialNumbers* drop, const ReadKind& kind,
                              const DeleteKind& deletion) {
    CollectResult result;
    const TransferGuard guard;
    if (!guard.acquired()) return result;
    TransferUi& ui = link.ui();
    // One progress dialog from the first request to the delete: its cancel flag is never
    // cleared in between, so a cancel while the records are kept still stops the delete.
    if (!open_progress(ui)) return result;
    if (!begin_read(link, port_name, journal, result.read)) return result;
    start_over(store);
    BankEnds ends;
    result.read.outcome = read_banks(link, store, kind, journal, drop, true, result.read, ends);
    const bool complete = result.read.outcome == Outcome::Done;
    if (complete) store.sort();
    // The read's connection stays open while the records are kept, so that the banks can be
    // asked once more right before the delete and the window it cannot close stays short.
    if (complete && store.count() > 0) {
        result.kept = keep();
        if (result.kept && !ui.cancelled()) {
            result.confirmed = banks_still_end(link, kind, ends);
            if (!result.confirmed && !ui.cancelled()) result.read.outcome = Outcome::Incomplete;
        }
    }
    if (ui.cancelled()) result.read.outcome = Outcome::Cancelled;
    link.disconnect();
    if (result.confirmed && !ui.cancelled())
        result.deleted = delete_in_exchange(link, port_name, deletion);
    ui.close_progress_dialog();
    show_delete_failure(ui, result.deleted, deletion);
    const int count = static_cast<int>(store.count());
    show(ui, count > 0 ? app::format(string_of(kind.received), count) : string_of(kind.none),
         information(), app::Icon::Information);
    warn_if_left(ui, result.read);
    return result;
}

template <typename Store>
Outcome delete_records(Link& link, Store& store, const std::string& port_name,
                       const DeleteKind& kind, DeleteQuestion question) {
    TransferUi& ui = link.ui();
    if (question == DeleteQuestion::WarnUnreadThenAsk) {
        app::Message warning{app::string_text(app::str::DeleteUnread), information(),
                             app::Buttons::YesNo, app::Icon::Warning};
        warning.default_no = true;
        if (ui.show(warning) != app::Answer::Yes) return Outcome::Declined;
    }
    if (question != DeleteQuestion::AlreadyConfirmed) {
        const app::Answer answer = ui.show(app::Message{
            string_of(kind.question), information(), app::Buttons::YesNo, app::Icon::Information});
        if (answer != app::Answer::Yes) return Outcome::Declined;
    }
    if (!open_progress(ui)) return Outcome::Busy;
    const Outcome outcome = delete_in_exchange(link, port_name, kind);
    if (outcome != Outcome::NotConnected) store.clear();
    ui.close_progress_dialog();
    show_delete_failure(ui, outcome, kind);
    return outcome;
}

} // namespace

bool transfer_running() {
    return g_running;
}

TransferGuard::TransferGuard() {
    bool free = false;
    acquired_ = g_running.compare_exchange_strong(free, true);
}

TransferGuard::~TransferGuard() {
    if (acquired_) g_running = false;
}

ReadResult read_charges(Link& link, data::ChargeStore& store, const std::string& port_name,
                        ReceiveJournal* journal, const data::ConfidentialNumbers* drop) {
    return read_records(link, store, port_name, journal, drop, kChargeRead);
}

ReadResult read_calls(Link& link, data::CallStore& store, const std::string& port_name,
                      ReceiveJournal* journal, const data::ConfidentialNumbers* drop) {
    return read_records(link, store, port_name, journal, drop, kCallRead);
}

CollectResult collect_charges(Link& link, data::ChargeStore& store, const std::string& port_name,
                              ReceiveJournal* journal, const KeepRecords& keep,
                              const data::ConfidentialNumbers* drop) {
    return collect_records(link, store, port_name, journal, keep, drop, kChargeRead, kChargeDelete);
}

CollectResult collect_calls(Link& link, data::CallArchive& store, const std::string& port_name,
                            ReceiveJournal* journal, const KeepRecords& keep,
                            const data::ConfidentialNumbers* drop) {
    return collect_records(link, store, port_name, journal, keep, drop, kCallRead, kCallDelete);
}

Outcome delete_charges(Link& link, data::ChargeStore& store, const std::string& port_name,
                       DeleteQuestion question) {
    const TransferGuard guard;
    if (!guard.acquired()) return Outcome::Busy;
    return delete_records(link, store, port_name, kChargeDelete, question);
}

Outcome delete_calls(Link& link, data::CallStore& store, const std::string& port_name,
                     DeleteQuestion question) {
    const TransferGuard guard;
    if (!guard.acquired()) return Outcome::Busy;
    return delete_records(link, store, port_name, kCallDelete, question);
}

std::array<std::uint8_t, 26> speed_dial_payload(const std::string& number_text,
                                                std::uint8_t index) {
    std::array<std::uint8_t, 26> payload{};
    payload[0] = index;
    // At most 24 characters, so the terminating zero always fits.
    std::memcpy(&payload[1], number_text.data(), std::min<std::size_t>(number_text.size(), 24));
    return payload;
}

Outcome write_speed_dial_target(Link& link, const std::string& number_text, std::uint8_t index,
                                const std::string& port_name) {
    const TransferGuard guard;
    if (!guard.acquired()) return Outcome::Busy;
    TransferUi& ui = link.ui();
    if (!open_progress(ui)) return Outcome::Busy;
    Outcome outcome = Outcome::NotConnected;
    if (link.connect(port_name, code::OpenWrite)) {
        const auto payload = speed_dial_payload(number_text, index);
        outcome = link.write_block(code::SpeedDial, payload) ? Outcome::Done : Outcome::Failed;
        if (outcome == Outcome::Failed && !ui.cancelled())
            show(ui, app::string_text(app::str::SpeedDialWriteFailed), std::nullopt,
                 app::Icon::Error);
        link.disconnect();
    }
    ui.close_progress_dialog();
    return ui.cancelled() ? Outcome::Cancelled : outcome;
}

} // namespace kalmo::link
