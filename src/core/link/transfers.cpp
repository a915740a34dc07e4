#include "core/link/transfers.h"

#include <algorithm>
#include <cstring>

#include "core/app/strings.h"
#include "core/app/text.h"

namespace kalmo::link {

namespace {

bool g_running = false;

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
    std::uint16_t bank_limit;
    const char* record_no;
    // A bank that reached the limit is over; the charges leave the whole loop then, the calls
    // go on with the second bank.
    bool limit_switches_bank;
};

constexpr ReadKind kChargeRead{code::ChargesBank1,       code::ChargesBank2,
                               data::kChargeRecordSize,  kChargeBankLimit,
                               progress::ChargeRecordNo, false};
constexpr ReadKind kCallRead{code::CallsBank1, code::CallsBank2,       data::kCallRecordSize,
                             kCallBankLimit,   progress::CallRecordNo, true};

// The block loop of both reads. Returns the records dropped for lack of room.
template <typename Store> std::size_t read_banks(Link& link, Store& store, const ReadKind& kind) {
    TransferUi& ui = link.ui();
    std::array<std::uint8_t, kMaxPayload> buffer{};
    std::uint8_t bank = kind.bank1;
    std::uint16_t received = 0;
    std::size_t dropped = 0;
    auto next_bank = [&] {
        if (bank == kind.bank2) return false;
        bank = kind.bank2;
        received = 0;
        return true;
    };
    while (received < kind.bank_limit && !ui.cancelled()) {
        ui.set_progress_line(0, progress::PleaseWait);
        ui.set_progress_line(1, app::format(kind.record_no, static_cast<int>(store.count())));
        const std::uint16_t n = link.read_block(bank, received, buffer.data());
        if (n == kBlockFailed) {
            if (!ui.cancelled())
                show(ui, app::string_text(app::str::CrcError), std::string(), app::Icon::Warning);
            break;
        }
        if (n < kind.record_size) {
            // A payload without one whole record would leave the index where it is, and the
            // same block would be asked for again and again: such a reply ends its bank like
            // an empty block does. Its stray bytes are not a record and are not kept.
            if (!next_bank()) break;
            continue;
        }
        dropped += store.append_received_block({buffer.data(), n});
        received = static_cast<std::uint16_t>(received + n / kind.record_size);
        if (kind.limit_switches_bank && received >= kind.bank_limit && !next_bank()) break;
    }
    return dropped;
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
void delete_records(Link& link, Store& store, const std::string& port_name,
                    const DeleteKind& kind) {
    TransferUi& ui = link.ui();
    const app::Answer answer = ui.show(
        app::Message{kind.question, kInformation, app::Buttons::YesNo, app::Icon::Information});
    if (answer != app::Answer::Yes) return;
    if (!open_progress(ui)) return;
    bool ok = link.connect(port_name, code::OpenWrite);
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
    if (!ok && !ui.cancelled()) show(ui, kind.failed, std::nullopt, app::Icon::Error);
}

} // namespace

bool transfer_running() {
    return g_running;
}

TransferGuard::TransferGuard() {
    if (!g_running) {
        g_running = true;
        acquired_ = true;
    }
}

TransferGuard::~TransferGuard() {
    if (acquired_) g_running = false;
}

bool read_charges(Link& link, data::ChargeStore& store, const std::string& port_name,
                  ReadReport* report) {
    const TransferGuard guard;
    if (!guard.acquired()) return false;
    TransferUi& ui = link.ui();
    if (!open_progress(ui)) return false;
    if (!link.connect(port_name, code::OpenRead)) {
        ui.close_progress_dialog();
        return false;
    }
    store.clear();
    store.filter.from_year = data::EvaluationFilter::kYearUnset;
    const std::size_t dropped = read_banks(link, store, kChargeRead);
    link.disconnect();
    const int count = store.count();
    const std::string final_text = count > 0 ? app::format(" %d Gebührensätze empfangen ", count)
                                             : std::string(" Gebührendatenspeicher leer ");
    if (count > 0) store.sort();
    ui.close_progress_dialog();
    show(ui, final_text, kInformation, app::Icon::Information);
    if (report) *report = ReadReport{true, dropped};
    return count > 0;
}

bool read_calls(Link& link, data::CallStore& store, const std::string& port_name,
                ReadReport* report) {
    const TransferGuard guard;
    if (!guard.acquired()) return false;
    TransferUi& ui = link.ui();
    if (!open_progress(ui)) return false;
    if (!link.connect(port_name, code::OpenRead)) {
        ui.close_progress_dialog();
        return false;
    }
    store.clear();
    const std::size_t dropped = read_banks(link, store, kCallRead);
    link.disconnect();
    ui.close_progress_dialog();
    const int count = store.count();
    show(ui,
         count > 0 ? app::format(" %d Anrufdatensätze empfangen ", count)
                   : std::string(" Anrufliste leer "),
         kInformation, app::Icon::Information);
    store.sort();
    if (report) *report = ReadReport{true, dropped};
    return true;
}

void delete_charges(Link& link, data::ChargeStore& store, const std::string& port_name) {
    const TransferGuard guard;
    if (!guard.acquired()) return;
    delete_records(link, store, port_name, kChargeDelete);
}

void delete_calls(Link& link, data::CallStore& store, const std::string& port_name) {
    const TransferGuard guard;
    if (!guard.acquired()) return;
    delete_records(link, store, port_name, kCallDelete);
}

std::array<std::uint8_t, 26> speed_dial_payload(const std::string& number_text,
                                                std::uint8_t index) {
    std::array<std::uint8_t, 26> payload{};
    payload[0] = index;
    // At most 24 characters, so the terminating zero always fits.
    std::memcpy(&payload[1], number_text.data(), std::min<std::size_t>(number_text.size(), 24));
    return payload;
}

void write_speed_dial_target(Link& link, const std::string& number_text, std::uint8_t index,
                             const std::string& port_name) {
    const TransferGuard guard;
    if (!guard.acquired()) return;
    TransferUi& ui = link.ui();
    if (!open_progress(ui)) return;
    if (link.connect(port_name, code::OpenWrite)) {
        const auto payload = speed_dial_payload(number_text, index);
        if (!link.write_block(code::SpeedDial, payload) && !ui.cancelled())
            show(ui, "Fehler beim schreiben des Kurzwahlzieles", std::nullopt, app::Icon::Error);
        link.disconnect();
    }
    ui.close_progress_dialog();
}

} // namespace kalmo::link
