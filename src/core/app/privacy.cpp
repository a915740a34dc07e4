#include "core/app/utf8.h"
#include "core/app/privacy.h"

#include "core/app/strings.h"
#include "core/app/text.h"
#include "core/eval/report.h"

namespace kalmo::app {

namespace {
bool ends_with_extension(std::string_view path, std::string_view upper) {
    if (path.size() < upper.size() + 1) return false;
    const std::string_view tail = path.substr(path.size() - upper.size() - 1);
    return tail[0] == '.' && equal_ignoring_case(tail.substr(1), upper);
}

unsigned count(std::size_t n) {
    return static_cast<unsigned>(n);
}

Message formatted(std::string text, Buttons buttons, Icon icon) {
    Message m;
    m.text = std::move(text);
    m.caption = string_text(str::Information);
    m.buttons = buttons;
    m.icon = icon;
    return m;
}

// A result with the files that were left alone behind it: they keep their numbers, and the
// operator has to know that the archive is not as cut as he asked.
Message with_skipped(std::string text, std::size_t skipped, Icon icon) {
    if (skipped != 0) {
        text += "\n";
        text += format(string_text(str::CutSkipped), count(skipped));
        icon = Icon::Warning;
    }
    return formatted(std::move(text), Buttons::Ok, icon);
}
} // namespace

std::optional<data::ArchiveKind> archive_kind(std::string_view path) {
    if (ends_with_extension(path, "GDS")) return data::ArchiveKind::Charges;
    if (ends_with_extension(path, "ANR")) return data::ArchiveKind::Calls;
    return std::nullopt;
}

ArchiveDue archive_file_due(const ArchiveEntry& entry, const LocalTime& today, unsigned months) {
    const auto kind = archive_kind(entry.path);
    if (!kind) return ArchiveDue::NoArchiveFile;
    LocalTime day;
    if (const auto named = eval::report::read_date_from_name(
            entry.path, *kind == data::ArchiveKind::Calls ? "ANR" : "GDS")) {
        day = {named->year, named->month, named->day};
    } else if (entry.modified) {
        day = *entry.modified;
    } else {
        return ArchiveDue::Undated;
    }
    return data::older_than(day, today, static_cast<int>(months)) ? ArchiveDue::Due
                                                                  : ArchiveDue::NotDue;
}

ArchiveCut cut_archive(
    FileSystem& fs, std::span<const ArchiveEntry> files, const LocalTime& today, unsigned months,
    std::size_t keep, bool write,
    const std::function<void(const ArchiveEntry&, ArchiveDue, const data::CutReport*)>& each) {
    ArchiveCut run;
    for (const ArchiveEntry& entry : files) {
        const ArchiveDue due = archive_file_due(entry, today, months);
        if (due == ArchiveDue::NotDue) continue;
        if (due != ArchiveDue::Due) {
            ++run.skipped;
            if (each) each(entry, due, nullptr);
            continue;
        }
        const data::CutReport cut =
            data::cut_archive_file(fs, entry.path, *archive_kind(entry.path), keep, write);
        if (each) each(entry, due, &cut);
        switch (cut.result) {
        case data::CutResult::Unchanged:
            break;
        case data::CutResult::WouldChange:
        case data::CutResult::Rewritten:
            run.changed += cut.changed.size();
            break;
        case data::CutResult::Unreadable:
        case data::CutResult::NotChargeData:
            ++run.skipped;
            break;
        case data::CutResult::WriteFailed:
        case data::CutResult::CheckFailed:
            // Whatever fails to write here would fail for the next file too. The files of this
            // one that were written before the failure count as changed.
            for (const std::string& file : cut.changed) {
                if (file == cut.failed) break;
                ++run.changed;
            }
            run.stopped = cut;
            return run;
        }
    }
    return run;
}

PrivacyFields privacy_fields(const Settings& settings) {
    PrivacyFields f;
    f.masked_digits = settings.masked_digits <= kMaxMaskedDigits ? settings.masked_digits : 0;
    f.drop_confidential = settings.drop_confidential;
    if (settings.archive_cut_months != 0) f.cut_months = format("%u", settings.archive_cut_months);
    return f;
}

std::optional<unsigned> parse_cut_months(std::string_view text) {
    const std::string t = trimmed(text);
    if (t.empty()) return 0u;
    if (t.size() > 4 || t.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
    const unsigned months = decimal_u16(t);
    if (months > kMaxCutMonths) return std::nullopt;
    return months;
}

std::optional<Settings> apply_privacy_fields(const Settings& settings, const PrivacyFields& fields,
                                             MessageUi& ui) {
    const auto months = parse_cut_months(fields.cut_months);
    if (!months) {
        show_string(ui, str::CutMonthsInvalid, str::Error, Buttons::Ok, Icon::Error);
        return std::nullopt;
    }
    Settings s = settings;
    s.masked_digits = fields.masked_digits <= kMaxMaskedDigits ? fields.masked_digits : 0;
    s.drop_confidential = fields.drop_confidential;
    s.archive_cut_months = *months;
    return s;
}

std::string confidential_hint(const ConfidentialState& state) {
    const std::string shown = shown_path(state.path);
    const char* path = shown.c_str();
    if (!state.present) return format(string_text(str::ConfidentialMissingHint), path);
    if (!state.readable) return format(string_text(str::ConfidentialUnreadableHint), path);
    std::string hint = format(string_text(str::ConfidentialReadHint), path, count(state.entries));
    if (state.bad_lines != 0)
        hint += format(string_text(str::ConfidentialBadLinesHint), count(state.bad_lines));
    return hint;
}

std::size_t cut_archive_now(FileSystem& fs, MessageUi& ui, const std::string& folder,
                            const ArchiveListing& listing, const LocalTime& today,
                            std::string_view months_field) {
    const auto months = parse_cut_months(months_field);
    if (!months) {
        show_string(ui, str::CutMonthsInvalid, str::Error, Buttons::Ok, Icon::Error);
        return 0;
    }
    if (*months == 0) {
        show_string(ui, str::CutNoMonths, str::Information, Buttons::Ok, Icon::Information);
        return 0;
    }
    const ArchiveCut plan = cut_archive(fs, listing.files, today, *months, 0, false);
    const std::size_t unread = listing.unread + plan.skipped;
    if (plan.changed == 0) {
        ui.show(
            with_skipped(format(string_text(str::CutNothing), shown_path(folder).c_str(), *months),
                         unread, Icon::Information));
        return 0;
    }
    Message question = formatted(format(string_text(str::CutQuestion), shown_path(folder).c_str(),
                                        count(plan.changed), *months),
                                 Buttons::YesNo, Icon::Question);
    // The numbers are gone for good once cut: only a deliberate Yes may do it.
    question.default_no = true;
    if (ui.show(question) != Answer::Yes) return 0;

    const ArchiveCut done = cut_archive(fs, listing.files, today, *months, 0, true);
    if (done.stopped) {
        const unsigned text = done.stopped->result == data::CutResult::WriteFailed
                                  ? str::CutWriteFailed
                                  : str::CutCheckFailed;
        ui.show(formatted(format(string_text(text), shown_path(done.stopped->failed).c_str(),
                                 count(done.changed)),
                          Buttons::Ok, Icon::Error));
        return done.changed;
    }
    ui.show(with_skipped(format(string_text(str::CutDone), count(done.changed)),
                         listing.unread + done.skipped, Icon::Information));
    return done.changed;
}

} // namespace kalmo::app
