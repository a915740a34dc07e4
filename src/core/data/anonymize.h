#pragma once
// An archive that forgets whom was called: charge and call files rewritten with every number
// cut to its first digits, while subscribers, dates, durations and amounts stay, so that every
// total over the archive stays the same to the Pfennig.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/app/ui.h"
#include "core/data/call_fields.h"

namespace kalmo::data {

// The number field holding only the first `keep` characters of its number; a private call
// stays one. Whatever stood behind the end of the number goes too: it may hold old digits.
NumberField cut_number(const NumberField& field, std::size_t keep);

// A charge data file's bytes with the number of every record it holds cut; the header and
// any bytes that are no whole record stay. Nothing when the bytes are no charge data file.
std::optional<std::vector<std::uint8_t>> cut_charge_file(std::span<const std::uint8_t> bytes,
                                                         std::size_t keep);
// A call file's bytes (call records back to back) with every whole record's number cut.
std::vector<std::uint8_t> cut_call_file(std::span<const std::uint8_t> bytes, std::size_t keep);
// A charge export's text with the number of every line cut; lines of another form stay.
std::string cut_export(std::string_view text, std::size_t keep);

// Whether the day `date` lies more than `months` calendar months before `today` (a month back
// from the 31st is the last day of the shorter month).
bool older_than(const app::LocalTime& date, const app::LocalTime& today, int months);

enum class ArchiveKind { Charges, Calls };

enum class CutResult {
    Unchanged,     // every number was short enough already
    WouldChange,   // a dry run found numbers to cut
    Rewritten,     // every file of it now holds the cut numbers
    Unreadable,    // nothing was changed
    NotChargeData, // nothing was changed
    WriteFailed,   // the file named in `failed` is as it was
    CheckFailed    // the file named in `failed` did not read back as written; the old bytes were
                   // written back (`restored`)
};

struct CutReport {
    CutResult result = CutResult::Unchanged;
    std::vector<std::string> changed; // the files that change (or would), in writing order
    std::string failed;
    bool restored = false;
};

// Cuts the numbers of one archive file: a charge file together with its export beside it, the
// data file first. Each file is replaced whole through the durable save and read back; a
// failure leaves every file either as it was or fully rewritten. `write` false: only find out.
CutReport cut_archive_file(app::FileSystem& fs, const std::string& path, ArchiveKind kind,
                           std::size_t keep, bool write);

} // namespace kalmo::data
