#pragma once
// The privacy switches as the operator sets them: the fields of the dialog "Datenschutz", what
// it says about "Vertraulich.txt", and cutting the numbers of an archive's older files, which
// the console's "anonymize" runs through the same code as the dialog's button.
#include <cstddef>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/app/settings.h"
#include "core/app/ui.h"
#include "core/data/anonymize.h"

namespace kalmo::app {

constexpr unsigned kMaxMaskedDigits = 6;
// A hundred years: more is a typing error, not a retention period.
constexpr unsigned kMaxCutMonths = 1200;

// A file found in an archive folder, with the day it was last written where that is known.
struct ArchiveEntry {
    std::string path;
    std::optional<LocalTime> modified;
};

// What lies below an archive folder: its files in a stable order, and how many folders (or
// names) could not be read. A folder that is not there counts as one that could not be read.
struct ArchiveListing {
    std::vector<ArchiveEntry> files;
    std::size_t unread = 0;
};

// Charge files ("*.GDS") and call files ("*.ANR"), the extension in any case.
std::optional<data::ArchiveKind> archive_kind(std::string_view path);

enum class ArchiveDue {
    Due,
    NotDue,
    Undated,       // neither the name nor the file system dates it
    NoArchiveFile, // neither a charge nor a call file
};
// Whether the file's read day (from its "YYYY-MM-DD_HHMMSS" name, else the day it was last
// written) lies more than `months` calendar months before `today`.
ArchiveDue archive_file_due(const ArchiveEntry& entry, const LocalTime& today, unsigned months);

struct ArchiveCut {
    std::size_t changed = 0; // files that change (or would), a charge file's export included
    std::size_t skipped = 0; // files left alone because they could not be read or dated
    // The report of the file whose write stopped the run; the files after it were not touched.
    std::optional<data::CutReport> stopped;
};

// Cuts every due file's numbers to their first `keep` digits, in the listing's order (`write`
// false: only counts). `each` sees every file that is not left out as not due.
ArchiveCut cut_archive(
    FileSystem& fs, std::span<const ArchiveEntry> files, const LocalTime& today, unsigned months,
    std::size_t keep, bool write,
    const std::function<void(const ArchiveEntry&, ArchiveDue, const data::CutReport*)>& each = {});

// The dialog's fields as the settings give them.
struct PrivacyFields {
    unsigned masked_digits = 0; // 0 to kMaxMaskedDigits, one entry of the list each
    bool drop_confidential = false;
    std::string cut_months; // as typed; blank means never
};
PrivacyFields privacy_fields(const Settings& settings);

// The number of months a field holds: blank is 0 (never); nothing for anything but a number up
// to kMaxCutMonths.
std::optional<unsigned> parse_cut_months(std::string_view text);

// `settings` with the fields taken over; nothing, after saying why, when a field is wrong.
std::optional<Settings> apply_privacy_fields(const Settings& settings, const PrivacyFields& fields,
                                             MessageUi& ui);

// What the program found in "Vertraulich.txt" at its start.
struct ConfidentialState {
    std::string path;
    bool present = false;
    bool readable = true;
    std::size_t entries = 0;
    std::size_t bad_lines = 0;
};
// The dialog's line about it: where it lives and whether it was read.
std::string confidential_hint(const ConfidentialState& state);

// The button that cuts the archive now: says how many files will change and asks, then cuts
// and says what came of it. Returns how many files were rewritten.
std::size_t cut_archive_now(FileSystem& fs, MessageUi& ui, const std::string& folder,
                            const ArchiveListing& listing, const LocalTime& today,
                            std::string_view months_field);

} // namespace kalmo::app
