#include "core/link/transfers.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "core/app/strings.h"
#include "core/app/text.h"

namespace kalmo::link {

namespace {

std::atomic<bool> g_running{false};

constexpr const char* kInformation = "Information";

void show(TransferUi& ui, const std::string& text, std::optional<std::string> caption,
          app::Icon icon) {
    ui.show(app::Message{text, std::move(caption), app::Buttons::Ok, icon});
}

bool open_progress(TransferUi& ui) {
    if (!ui.open_progress_dialog()) {
        show(ui, app::string_text(app::str::NotEnoughMemory), std::nullopt, app::Icon::Error);
        return false;
    }
    ui.set_progress_line(0, progress::Initialising);
    return true;
}

// What differs between reading the charges and reading the call list.
struct ReadKind {
    std::uint8_t bank1;
    std::uint8_t bank2;
    std::size_t record_size;
    // A bank that delivered this many records is over (0: only its empty block ends it).
    std::uint16_t bank_limit;
    const char* record_no;
    const char* received; // the final count
    const char* none;     // instead of it when nothing came
    bool opens_empty_list;
};

// A charge bank is read to its empty block: a first bank that stopped at a fixed count would
// leave records unread (and then deleted) whenever it holds more, and would skip the second bank.
constexpr ReadKind kChargeRead{code::ChargesBank1,
                               code::ChargesBank2,
                               data::kChargeRecordSize,
                               0,
                               progress::ChargeRecordNo,
                               " %d Gebührensätze empfangen ",
                               " Gebührendatenspeicher leer ",
                               false};
constexpr ReadKind kCallRead{code::CallsBank1,       code::CallsBank2,
                             data::kCallRecordSize,  kCallBankLimit,
                             progress::CallRecordNo, " %d Anrufdatensätze empfangen ",
                             " Anrufliste leer ",    true};

// A read starts from an empty store; the charge list then works out its from-year afresh.
void start_over(data::ChargeStore& store) {
    store.clear();
    store.filter.from_year = data::EvaluationFilter::kYearUnset;
}
void start_over(data::CallStore& store) {
    store.clear();
}

void show_journal_failure(TransferUi& ui, const ReceiveJournal& journal) {
    show(ui, app::format(app::string_text(app::str::JournalFailed), journal.name().c_str()),
         std::nullopt, app::Icon::Error);
}

// The block loop of both reads: what it came to, with `result.dropped` and
// `result.journal_failed` filled in.
template <typename Store>
Outcome read_banks(Link& link, Store& store, const ReadKind& kind, ReceiveJournal* journal,
                   ReadResult& result) {
    TransferUi& ui = link.ui();
    std::array<std::uint8_t, kMaxPayload> buffer{};
    std::uint8_t bank = kind.bank1;
    std::uint16_t received = 0;
    auto next_bank = [&] {
        if (bank == kind.bank2) return false;
        bank = kind.bank2;
        received = 0;
        return true;
    };
    while (!ui.cancelled()) {
        ui.set_progress_line(0, progress::PleaseWait);
        ui.set_progress_line(1, app::format(kind.record_no, static_cast<int>(store.count())));
        const std::uint16_t n = link.read_block(bank, received, buffer.data());
        if (n == kBlockFailed) {
            if (ui.cancelled()) return Outcome::Cancelled;
            show(ui, app::string_text(app::str::CrcError), std::string(), app::Icon::Warning);
            return Outcome::Failed;
        }
        if (n < kind.record_size) {
            // A payload without one whole record would leave the index where it is, and the
            // same block would be asked for again and again: such a reply ends its bank like
            // an empty block does. Its stray bytes are not a record and are not kept.
            if (!next_bank()) return Outcome::Done;
            continue;
        }
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
        received = static_cast<std::uint16_t>(received + n / kind.record_size);
        if (kind.bank_limit != 0 && received >= kind.bank_limit && !next_bank())
            return Outcome::Done;
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
                        ReceiveJournal* journal, const ReadKind& kind) {
    ReadResult result;
    const TransferGuard guard;
    if (!guard.acquired()) return result;
    TransferUi& ui = link.ui();
    if (!open_progress(ui)) return result;
    if (!begin_read(link, port_name, journal, result)) return result;
    start_over(store);
    result.outcome = read_banks(link, store, kind, journal, result);
    link.disconnect();
    const int count = store.count();
    store.sort();
    ui.close_progress_dialog();
    show(ui, count > 0 ? app::format(kind.received, count) : std::string(kind.none), kInformation,
         app::Icon::Information);
    warn_if_left(ui, result);
    result.opens_list = count > 0 || kind.opens_empty_list;
    return result;
}

struct DeleteKind {
    const char* question;
    std::uint8_t step1;
    std::uint8_t step2;
    const char* done;
    const char* failed;
};

constexpr DeleteKind kChargeDelete{
    "Alle Gebührendatensätze der\nTK-Anlage werden gelöcht !", code::DeleteCharges1,
    code::DeleteCharges2, "Gebührendaten gelöscht ", "Fehler beim löschen der Gebührendaten"};
constexpr DeleteKind kCallDelete{"Alle Anrufdatensätze der\nTK-Anlage werden gelöcht !",
                                 code::DeleteCalls1, code::DeleteCalls2, "Anrufliste gelöscht ",
                                 "Fehler beim Löschen der Anrufdaten"};

template <typename Store>
Outcome delete_records(Link& link, Store& store, const std::string& port_name,
                       const DeleteKind& kind, DeleteQuestion question) {
    TransferUi& ui = link.ui();
    if (question == DeleteQuestion::WarnUnreadThenAsk) {
        app::Message warning{app::string_text(app::str::DeleteUnread), kInformation,
                             app::Buttons::YesNo, app::Icon::Warning};
        warning.default_no = true;
        if (ui.show(warning) != app::Answer::Yes) return Outcome::Declined;
    }
    if (question != DeleteQuestion::AlreadyConfirmed) {
        const app::Answer answer = ui.show(
            app::Message{kind.question, kInformation, app::Buttons::YesNo, app::Icon::Information});
        if (answer != app::Answer::Yes) return Outcome::Declined;
    }
    if (!open_progress(ui)) return Outcome::Busy;
    bool ok = link.connect(port_name, code::OpenWrite);
    const bool connected = ok;
    if (ok) {
        link.send_command(kind.step1, 0x00);
        ok = link.receive_frame(false);
        if (ok) {
            link.send_command(kind.step2, 0x00);
            ok = link.receive_frame(false);
            if (ok) show(ui, kind.done, kInformation, app::Icon::Information);
        }
        store.clear();
    }
    link.disconnect();
    ui.close_progress_dialog();
    if (ui.cancelled()) return Outcome::Cancelled;
    if (!ok) show(ui, kind.failed, std::nullopt, app::Icon::Error);
    if (ok) return Outcome::Done;
    return connected ? Outcome::Failed : Outcome::NotConnected;
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
                        ReceiveJournal* journal) {
    return read_records(link, store, port_name, journal, kChargeRead);
}

ReadResult read_calls(Link& link, data::CallStore& store, const std::string& port_name,
                      ReceiveJournal* journal) {
    return read_records(link, store, port_name, journal, kCallRead);
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
            show(ui, "Fehler beim schreiben des Kurzwahlzieles", std::nullopt, app::Icon::Error);
        link.disconnect();
    }
    ui.close_progress_dialog();
    return ui.cancelled() ? Outcome::Cancelled : outcome;
}

} // namespace kalmo::link
