#pragma once
// Collecting: the safe pull-and-empty of the exchange into the archive folder, shared by the
// console's `collect` and the window's "Gebührendaten abholen". Each kind of record is read
// completely, kept in a file of its own that is read back, and only then emptied in the
// exchange; the calls are taken only once the charges came through whole.
#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "core/app/ui.h"
#include "core/data/calls.h"
#include "core/data/charge.h"
#include "core/data/confidential.h"
#include "core/link/transfers.h"

namespace kalmo::link {

// Why a kind of record was not emptied in the exchange.
enum class Shortfall {
    None,           // emptied, or there was nothing to empty
    FolderNotMade,  // the archive folder could not be created: nothing was read
    NotReached,     // the port or the connection could not be opened
    Cancelled,      // the user cancelled (before the calls, too)
    ReadIncomplete, // not every record was read, or a bank no longer ended where the read did
    NotKept,        // the archive file could not be written or did not read back equal
    NotDeleted,     // kept, but the delete in the exchange failed
};

struct CollectedKind {
    bool attempted = false;
    CollectResult got;
    std::size_t count = 0; // records read (and, when kept, in the file)
    std::string path;      // the archive file; empty while none was named
    Shortfall shortfall = Shortfall::None;
    bool kept() const { return got.kept; }
    bool emptied() const { return got.deleted == Outcome::Done; }
};

struct Collection {
    std::string folder;
    CollectedKind charges;
    CollectedKind calls;
    bool folder_made = false;
    // The first step that fell short, None when every step went through.
    Shortfall shortfall() const;
};

struct CollectRequest {
    std::string folder;
    app::LocalTime stamp; // names the files
    bool calls = true;    // also the call records, after the charges
    ReceiveJournal* charge_journal = nullptr;
    ReceiveJournal* call_journal = nullptr;
    const data::ConfidentialNumbers* drop = nullptr;
    // Called once the charges are through (emptied or empty); false ends the collection there.
    std::function<bool(const CollectedKind&)> after_charges;
};

// The charge file goes in as a charge data file with its export beside it, the calls as their
// 17-byte records back to back; a name that exists already is never reused.
Collection collect_into_archive(Link& link, app::FileSystem& fs, const std::string& port_name,
                                const CollectRequest& request, data::ChargeStore& charges,
                                data::CallArchive& calls);

// The window's final message: what was kept where, and whether the exchange was emptied, and
// if not, why.
app::Message collection_message(const Collection& c);

// The status bar's reminder once the newest file in the archive folder is more than 31 days
// old; nothing when it is younger or there is none.
std::optional<std::string> collection_reminder(const std::optional<app::LocalTime>& newest,
                                               app::Clock& clock);

} // namespace kalmo::link
