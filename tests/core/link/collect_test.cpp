// The window's account of a collection and the reminder: what the operator reads decides
// whether he trusts the exchange to be empty, so each way a collection can end is told apart.
#include "core/link/collect.h"

#include <gtest/gtest.h>

#include "core/app/strings.h"
#include "core/link/exchange_fake.h"

namespace kalmo::link {
namespace {

CollectedKind kind(Shortfall why, std::size_t count, bool kept, bool emptied, const char* path) {
    CollectedKind k;
    k.attempted = true;
    k.count = count;
    k.path = path;
    k.shortfall = why;
    k.got.kept = kept;
    k.got.deleted = emptied ? Outcome::Done : Outcome::Busy;
    return k;
}

Collection collection(CollectedKind charges, CollectedKind calls = {}) {
    Collection c;
    c.folder = "C:\\Kalmo\\Archiv";
    c.folder_made = true;
    c.charges = std::move(charges);
    c.calls = std::move(calls);
    return c;
}

TEST(CollectionMessage, SaysWhatWasKeptAndWhetherTheExchangeWasEmptied) {
    const char* gds = "C:\\Kalmo\\Archiv\\2026-12-07_103000.GDS";
    const char* anr = "C:\\Kalmo\\Archiv\\2026-12-07_103000.ANR";
    Collection no_folder;
    no_folder.folder = "X:\\Archiv";
    struct Case {
        const char* what;
        Collection c;
        std::string text;
        app::Icon icon;
    };
    const Case cases[] = {
        {"both emptied",
         collection(kind(Shortfall::None, 25, true, true, gds),
                    kind(Shortfall::None, 12, true, true, anr)),
         std::string("25 Gebührensätze gesichert in\n") + gds +
             "\n12 Anrufdatensätze gesichert in\n" + anr + "\nDie TK-Anlage wurde geleert.",
         app::Icon::Information},
        {"nothing there",
         collection(kind(Shortfall::None, 0, false, false, ""),
                    kind(Shortfall::None, 0, false, false, "")),
         "Keine Gebührensätze in der TK-Anlage.\nKeine Anrufdatensätze in der TK-Anlage.",
         app::Icon::Information},
        {"charges read incompletely",
         collection(kind(Shortfall::ReadIncomplete, 25, false, false, "")),
         "Die TK-Anlage wurde nicht geleert.\nNicht alle Datensätze wurden gelesen.",
         app::Icon::Warning},
        {"kept but not deleted", collection(kind(Shortfall::NotDeleted, 3, true, false, gds)),
         std::string("3 Gebührensätze gesichert in\n") + gds +
             "\nDie TK-Anlage wurde nicht geleert.\nDas Löschen in der TK-Anlage ist "
             "fehlgeschlagen.",
         app::Icon::Warning},
        {"charges emptied, calls unreachable",
         collection(kind(Shortfall::None, 5, true, true, gds),
                    kind(Shortfall::NotReached, 0, false, false, "")),
         std::string("5 Gebührensätze gesichert in\n") + gds +
             "\nDie Gebührensätze wurden in der TK-Anlage gelöscht, die Anrufdatensätze "
             "nicht.\nDie TK-Anlage war nicht erreichbar.",
         app::Icon::Warning},
        {"no folder", no_folder,
         "Die TK-Anlage wurde nicht geleert.\nDer Ordner X:\\Archiv kann nicht angelegt werden.",
         app::Icon::Warning},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const app::Message m = collection_message(c.c);
        EXPECT_EQ(m.text, c.text);
        EXPECT_EQ(m.icon, c.icon);
        EXPECT_EQ(m.caption, std::optional<std::string>("Gebührendaten abholen"));
    }
}

TEST(CollectionReminder, OnlyAfterMoreThanThirtyOneDays) {
    test::FakeClock clock;
    clock.time = {2027, 1, 10, 9, 0, 0};
    struct Case {
        std::optional<app::LocalTime> newest;
        std::optional<std::string> said;
    };
    const Case cases[] = {
        {std::nullopt, std::nullopt}, // never collected: nothing to remind of
        {app::LocalTime{2026, 12, 10, 23, 59, 0}, std::nullopt},
        {app::LocalTime{2026, 12, 9, 0, 0, 0}, "Letzte Abholung vor 32 Tagen"},
        {app::LocalTime{2026, 11, 26, 12, 0, 0}, "Letzte Abholung vor 45 Tagen"},
        {app::LocalTime{2024, 2, 29, 12, 0, 0}, "Letzte Abholung vor 1046 Tagen"},
        {app::LocalTime{2027, 3, 1, 0, 0, 0}, std::nullopt}, // a file from the future
    };
    for (const Case& c : cases)
        EXPECT_EQ(collection_reminder(c.newest, clock), c.said);
}

} // namespace
} // namespace kalmo::link
