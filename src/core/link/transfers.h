#pragma once
// The complete conversations with the exchange: read and delete the charge records, read and
// delete the call list, write one speed-dial target. Each shows the progress dialog, keeps the
// program alive while it waits, can be cancelled, and ends with a message that says what
// happened.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/data/calls.h"
#include "core/data/charge.h"
#include "core/link/protocol.h"

namespace kalmo::link {

// Progress texts (each begins with ten blanks).
namespace progress {
constexpr const char* Initialising = "          Initialisierung der Schnittstelle";
constexpr const char* PleaseWait = "          Datenübertragung bitte warten";
constexpr const char* ChargeRecordNo = "          lese Gebührensatz Nr.: %d";
constexpr const char* CallRecordNo = "          lese Anrufdatensatz Nr.: %d";
} // namespace progress

// A bank is read until it is empty or has delivered this many records.
constexpr std::uint16_t kChargeBankLimit = 1000;
constexpr std::uint16_t kCallBankLimit = 75;

// The stores, the link and the progress dialog exist once, and the program stays usable while
// a transfer waits: whatever would touch them (another transfer, a file load, an evaluation)
// asks transfer_running() first and is refused while it is true.
bool transfer_running();

// Held by a transfer for as long as it runs. acquired() is false when another one holds it.
class TransferGuard {
public:
    TransferGuard();
    ~TransferGuard();
    TransferGuard(const TransferGuard&) = delete;
    TransferGuard& operator=(const TransferGuard&) = delete;
    bool acquired() const { return acquired_; }

private:
    bool acquired_ = false;
};

// What a read brought beside the store's content.
struct ReadReport {
    bool connected = false;
    // Records the exchange delivered beyond the store's capacity; they are not stored.
    std::size_t dropped = 0;
};

// true when the charge store holds records afterwards (the charge evaluation opens then).
bool read_charges(Link& link, data::ChargeStore& store, const std::string& port_name,
                  ReadReport* report = nullptr);
// Asks first; the store is emptied once the connection was made, confirmed or not.
void delete_charges(Link& link, data::ChargeStore& store, const std::string& port_name);
// true whenever the connection was made (the call list opens then).
bool read_calls(Link& link, data::CallStore& store, const std::string& port_name,
                ReadReport* report = nullptr);
void delete_calls(Link& link, data::CallStore& store, const std::string& port_name);
// `index` is the speed-dial code minus 100 (0 to 199); `number_text` at most 24 characters.
void write_speed_dial_target(Link& link, const std::string& number_text, std::uint8_t index,
                             const std::string& port_name);

// The 26-byte payload of a speed-dial write: index, number text, zero bytes.
std::array<std::uint8_t, 26> speed_dial_payload(const std::string& number_text, std::uint8_t index);

} // namespace kalmo::link
