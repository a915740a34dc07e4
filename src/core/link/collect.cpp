#include "core/app/utf8.h"
#include "core/link/collect.h"

#include "core/app/strings.h"
#include "core/app/text.h"
#include "core/data/charge_file.h"
#include "core/link/journal.h"

namespace kalmo::link {

namespace {

// A name in `folder` for this pull that no earlier file has: a second collection in the same
// second must not replace the first one's records.
std::string fresh_name(app::FileSystem& fs, const std::string& folder, const app::LocalTime& stamp,
                       JournalKind kind) {
    std::string path;
    for (int n = 1; n < 100; ++n) {
        path = app::join_path(folder, journal_file_name(stamp, kind, n));
        if (!fs.exists(path)) break;
    }
    return path;
}

// The file as it now stands on the disk equals what was received: only then may the exchange
// forget the records.
bool reads_back(app::FileSystem& fs, const std::string& path, std::string_view expected) {
    const auto bytes = fs.read(path, expected.size() + 1);
    return bytes && std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()) ==
                        expected;
}

Shortfall judge(const CollectedKind& k) {
    if (!k.got.read.connected()) return Shortfall::NotReached;
    if (k.got.read.outcome == Outcome::Cancelled) return Shortfall::Cancelled;
    if (k.got.read.outcome != Outcome::Done) return Shortfall::ReadIncomplete;
    // Nothing to keep and nothing deleted: a delete now could only take a record that came in
    // after the read.
    if (k.count == 0) return Shortfall::None;
    if (!k.got.kept) return Shortfall::NotKept;
    if (k.got.deleted != Outcome::Done) return Shortfall::NotDeleted;
    return Shortfall::None;
}

std::string reason(const Collection& c, Shortfall why, const CollectedKind& k) {
    switch (why) {
    case Shortfall::FolderNotMade:
        return app::format(app::string_text(app::str::CollectFolderNotMade),
                           app::shown_path(c.folder).c_str());
    case Shortfall::NotReached:
        return app::string_text(app::str::CollectNotReached);
    case Shortfall::Cancelled:
        return app::string_text(app::str::CollectCancelled);
    case Shortfall::ReadIncomplete:
        return app::string_text(app::str::CollectReadIncomplete);
    case Shortfall::NotKept:
        return app::format(app::string_text(app::str::CollectNotKept),
                           app::shown_path(k.path).c_str());
    case Shortfall::NotDeleted:
        return app::string_text(app::str::CollectNotDeleted);
    case Shortfall::None:
        break;
    }
    return {};
}

// "2026-12-07" as a count of days, for differences between dates.
long day_number(const app::LocalTime& t) {
    const long y = t.month <= 2 ? t.year - 1 : t.year;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long yoe = y - era * 400;
    const long mp = (t.month + 9) % 12;
    const long doy = (153 * mp + 2) / 5 + t.day - 1;
    const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe;
}

} // namespace

Shortfall Collection::shortfall() const {
    if (!folder_made) return Shortfall::FolderNotMade;
    if (charges.shortfall != Shortfall::None) return charges.shortfall;
    return calls.shortfall;
}

Collection collect_into_archive(Link& link, app::FileSystem& fs, const std::string& port_name,
                                const CollectRequest& request, data::ChargeStore& charges,
                                data::CallArchive& calls) {
    Collection c;
    c.folder = request.folder;
    c.folder_made = fs.make_directories(request.folder);
    if (!c.folder_made) {
        c.charges.shortfall = Shortfall::FolderNotMade;
        return c;
    }

    CollectedKind& ch = c.charges;
    ch.attempted = true;
    ch.got = collect_charges(
        link, charges, port_name, request.charge_journal,
        [&] {
            ch.path = fresh_name(fs, request.folder, request.stamp, JournalKind::Charges);
            if (data::save_charge_file(charges, ch.path, fs, link.ui()) != data::SaveResult::Saved)
                return false;
            const auto image = charges.save_image();
            return reads_back(fs, ch.path,
                              {reinterpret_cast<const char*>(image.data()), image.size()});
        },
        request.drop);
    ch.count = charges.count();
    ch.shortfall = judge(ch);
    const bool go_on = request.after_charges ? request.after_charges(ch) : true;
    if (!request.calls || ch.shortfall != Shortfall::None || !go_on) return c;

    CollectedKind& ca = c.calls;
    if (link.ui().cancelled()) {
        ca.shortfall = Shortfall::Cancelled;
        return c;
    }
    ca.attempted = true;
    ca.got = collect_calls(
        link, calls, port_name, request.call_journal,
        [&] {
            ca.path = fresh_name(fs, request.folder, request.stamp, JournalKind::Calls);
            const std::string bytes(reinterpret_cast<const char*>(calls.record_bytes(0)),
                                    calls.count() * data::kCallRecordSize);
            return fs.write_replacing(ca.path, bytes) && reads_back(fs, ca.path, bytes);
        },
        request.drop);
    ca.count = calls.count();
    ca.shortfall = judge(ca);
    return c;
}

app::Message collection_message(const Collection& c) {
    std::string text;
    auto line = [&text](const std::string& s) {
        if (!text.empty()) text += '\n';
        text += s;
    };
    auto tell = [&](const CollectedKind& k, unsigned kept_id, unsigned none_id) {
        if (k.kept())
            line(app::format(app::string_text(kept_id), static_cast<unsigned>(k.count),
                             app::shown_path(k.path).c_str()));
        else if (k.attempted && k.shortfall == Shortfall::None && k.count == 0)
            line(app::string_text(none_id));
    };
    tell(c.charges, app::str::CollectChargesKept, app::str::CollectNoCharges);
    tell(c.calls, app::str::CollectCallsKept, app::str::CollectNoCalls);

    const Shortfall why = c.shortfall();
    if (why == Shortfall::None) {
        if (c.charges.emptied() || c.calls.emptied())
            line(app::string_text(app::str::CollectEmptied));
    } else if (c.charges.emptied()) {
        // The charges are gone from the exchange: saying it was left alone would be untrue.
        line(app::format(app::string_text(app::str::CollectOnlyChargesEmptied),
                         reason(c, c.calls.shortfall, c.calls).c_str()));
    } else {
        const CollectedKind& failed = c.charges.shortfall != Shortfall::None ? c.charges : c.calls;
        line(app::format(app::string_text(app::str::CollectNotEmptied),
                         reason(c, why, failed).c_str()));
    }
    return app::Message{text, std::string(app::string_text(app::str::CollectCaption)),
                        app::Buttons::Ok,
                        why == Shortfall::None ? app::Icon::Information : app::Icon::Warning};
}

std::optional<std::string> collection_reminder(const std::optional<app::LocalTime>& newest,
                                               app::Clock& clock) {
    if (!newest) return std::nullopt;
    const long days = day_number(clock.now()) - day_number(*newest);
    if (days <= 31) return std::nullopt;
    return app::format(app::string_text(app::str::CollectReminder), static_cast<int>(days));
}

} // namespace kalmo::link
