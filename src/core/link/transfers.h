#pragma once
// The complete conversations with the exchange: read and delete the charge records, read and
// delete the call list, write one speed-dial target. Each shows the progress dialog, keeps the
// program alive while it waits, can be cancelled, and ends with a message that says what
// happened.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "core/data/calls.h"
#include "core/data/charge.h"
#include "core/data/confidential.h"
#include "core/link/protocol.h"

namespace kalmo::link {

// Progress texts (each begins with ten blanks).

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

// What a transfer came to; both front ends act on this, never on the texts they were shown.
enum class Outcome {
    Done,         // everything asked for happened (a read: every record is in the store)
    Declined,     // the user answered No to the question before it
    NotConnected, // the port or the connection could not be opened
    Failed,       // the exchange stopped answering or answered wrongly
    Cancelled,    // the user cancelled
    Busy,         // another transfer runs, or no progress dialog could be made
    Incomplete,   // a read that left records in the exchange: the store or the journal was
                  // full, or a bank did not end where the read ended
};

// Keeps every block of records a read receives on stable storage before the next one is
// requested, so that a crash or a kill in the middle of a read loses nothing.
class ReceiveJournal {
public:
    virtual ~ReceiveJournal() = default;
    // Called once the connection is made, before anything is requested; false stops the read.
    virtual bool start() = 0;
    // The records of one block, exactly as the store took them; durable once it returns true.
    virtual bool keep(std::span<const std::uint8_t> records) = 0;
    // The journal's name for the failure message.
    virtual std::string name() const = 0;
};

struct ReadResult {
    Outcome outcome = Outcome::Busy;
    // Records the exchange delivered beyond the store's capacity; they are not stored.
    std::size_t dropped = 0;
    // The journal could not be started or written: the read stopped there.
    bool journal_failed = false;
    // What the menu command opens next: the charge evaluation when records arrived, the call
    // list whenever the connection was made.
    bool list_follows = false;
    bool connected() const { return outcome != Outcome::NotConnected && outcome != Outcome::Busy; }
    // Records may still be in the exchange that are not in the store.
    bool left_records() const { return connected() && outcome != Outcome::Done; }
    bool opens_list() const { return list_follows; }
};

// `drop`: the number field of every record that matches one of these is emptied as its block
// arrives, before the store, the journal or any file holds it (the setting "NichtSpeichern").
ReadResult read_charges(Link& link, data::ChargeStore& store, const std::string& port_name,
                        ReceiveJournal* journal = nullptr,
                        const data::ConfidentialNumbers* drop = nullptr);
ReadResult read_calls(Link& link, data::CallStore& store, const std::string& port_name,
                      ReceiveJournal* journal = nullptr,
                      const data::ConfidentialNumbers* drop = nullptr);

// The unattended pull-and-empty of one kind of record. Only what is kept can be deleted, and the
// delete commands empty whole banks, so the read must be complete beyond doubt: every reply is
// checked (whole records, the type of the block asked for, else retried as a bad frame), and
// once the records are kept each bank is asked again for the block after its last record. Only
// when both answer empty does a second connection send the delete, at once: a record that
// arrives between that answer and the delete is lost, and the protocol offers no way to
// delete less than a bank. A cancel at any point before the delete stops it.
struct CollectResult {
    ReadResult read;
    bool kept = false;               // `keep` was called and succeeded
    bool confirmed = false;          // both banks answered empty once more after the keep
    Outcome deleted = Outcome::Busy; // Done: the exchange was emptied of this kind
    bool delete_attempted() const { return deleted != Outcome::Busy; }
};

// Writes the records the store then holds (sorted) where they survive the program; false when
// that failed. Called with the read's connection still open.
using KeepRecords = std::function<bool()>;

CollectResult collect_charges(Link& link, data::ChargeStore& store, const std::string& port_name,
                              ReceiveJournal* journal, const KeepRecords& keep,
                              const data::ConfidentialNumbers* drop = nullptr);
CollectResult collect_calls(Link& link, data::CallArchive& store, const std::string& port_name,
                            ReceiveJournal* journal, const KeepRecords& keep,
                            const data::ConfidentialNumbers* drop = nullptr);

// How a delete asks before it empties the exchange.
enum class DeleteQuestion {
    Ask,               // the question, Yes/No
    WarnUnreadThenAsk, // first a warning that unread records would be lost (default No)
    AlreadyConfirmed,  // no question (an unattended pull-and-empty that verified its copy)
};

// The store is emptied once the connection was made, confirmed or not.
Outcome delete_charges(Link& link, data::ChargeStore& store, const std::string& port_name,
                       DeleteQuestion question = DeleteQuestion::Ask);
Outcome delete_calls(Link& link, data::CallStore& store, const std::string& port_name,
                     DeleteQuestion question = DeleteQuestion::Ask);
// `index` is the speed-dial code minus 100 (0 to 199); `number_text` at most 24 characters.
Outcome write_speed_dial_target(Link& link, const std::string& number_text, std::uint8_t index,
                                const std::string& port_name);

// The 26-byte payload of a speed-dial write: index, number text, zero bytes.
std::array<std::uint8_t, 26> speed_dial_payload(const std::string& number_text, std::uint8_t index);

} // namespace kalmo::link
