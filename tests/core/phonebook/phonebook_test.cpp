#include <gtest/gtest.h>

#include "core/phonebook/phonebook.h"

using namespace kalmo::phonebook;

namespace {
Entry entry(std::string name, std::string country, std::string area, std::string number,
            std::int8_t project = 0) {
    return Entry{std::move(name), std::move(country), std::move(area), std::move(number), project};
}

std::string looked_up(const Phonebook& book, std::string text, int* project = nullptr) {
    const int p = book.lookup(text);
    if (project) *project = p;
    return text;
}

std::vector<std::string> names(const Phonebook& book) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < book.count(); ++i)
        out.push_back(book.at(i).name);
    return out;
}
} // namespace

TEST(PhonebookLookup, BaeckereiMatchesLocalNationalInternationalAndLeadingParts) {
    Phonebook book;
    book.add(entry("Bäckerei", "0049", "089", "123456", 2));
    for (const char* dialled : {"123456", "089123456", "004989123456", "0891234"}) {
        int project = -1;
        EXPECT_EQ(looked_up(book, dialled, &project), "Bäckerei") << dialled;
        EXPECT_EQ(project, 2);
    }
    int project = -1;
    EXPECT_EQ(looked_up(book, "0891234567", &project), "0891234567");
    EXPECT_EQ(project, 0);
    EXPECT_EQ(looked_up(book, "1234567"), "1234567");
    EXPECT_EQ(looked_up(book, ""), "");
}

TEST(PhonebookLookup, WildcardDigitsAreAppendedToTheName) {
    Phonebook book;
    book.add(entry("Firma", "", "089", "1234**", 3));
    int project = -1;
    EXPECT_EQ(looked_up(book, "089123456", &project), "Firma-56");
    EXPECT_EQ(project, 3);
    // Only one digit after 1234: the last two dialled digits are appended whatever they are.
    EXPECT_EQ(looked_up(book, "08912345"), "Firma-45");
    EXPECT_EQ(looked_up(book, "123499"), "Firma-99");
    // Longer than the entry's form beyond the wildcard digits.
    EXPECT_EQ(looked_up(book, "0891234567"), "0891234567");
    // The '*' never equals a dialled digit.
    EXPECT_EQ(looked_up(book, "12345"), "Firma-45");
    // Only the dialled digits before the last two are compared.
    EXPECT_EQ(looked_up(book, "0891235"), "Firma-35");
    EXPECT_EQ(looked_up(book, "0881234"), "0881234");
}

TEST(PhonebookLookup, SuffixOnlyWhenTheNameLeavesRoomForIt) {
    Phonebook book;
    book.add(entry(std::string(22, 'A'), "", "", "77*"));
    book.add(entry(std::string(21, 'B'), "", "", "88*"));
    book.add(entry(std::string(24, 'C'), "", "", "99"));
    EXPECT_EQ(looked_up(book, "775"), std::string(22, 'A'));
    EXPECT_EQ(looked_up(book, "886"), std::string(21, 'B') + "-6");
    EXPECT_EQ(looked_up(book, "99"), std::string(24, 'C'));
}

TEST(PhonebookLookup, NationalFormWithoutAreaCodeAndTheLoneZero) {
    Phonebook book;
    book.add(entry("Ohne", "", "", "123456", 1));
    book.add(entry("Zweiter", "", "", "999"));
    EXPECT_EQ(looked_up(book, "0123456"), "Ohne");
    // The national comparison runs over no characters: the first entry wins.
    EXPECT_EQ(looked_up(book, "0"), "Ohne");

    Phonebook starred;
    starred.add(entry("Stern", "", "", "5**"));
    starred.add(entry("Plain", "", "", "777"));
    EXPECT_EQ(looked_up(starred, "0"), "Plain");
}

TEST(PhonebookLookup, FirstMatchInListOrderWinsAndSortingChangesIt) {
    Phonebook book;
    book.add(entry("Zentrale", "", "089", "12"));
    book.add(entry("Amt", "", "", "1234"));
    EXPECT_EQ(looked_up(book, "12"), "Zentrale");
    book.sort(kSortByName);
    EXPECT_EQ(looked_up(book, "12"), "Amt");
}

TEST(PhonebookLookup, FollowsEntriesThatWereReplaced) {
    Phonebook book;
    book.add(entry("Alt", "", "089", "4711"));
    book.replace(0, entry("Neu", "0043", "01", "5**", 6));
    EXPECT_EQ(looked_up(book, "0894711"), "0894711");
    EXPECT_EQ(looked_up(book, "4711"), "4711");
    int project = 0;
    EXPECT_EQ(looked_up(book, "0043150012", &project), "0043150012");
    EXPECT_EQ(looked_up(book, "00431501", &project), "Neu-01");
    EXPECT_EQ(project, 6);
    EXPECT_EQ(looked_up(book, "01512"), "Neu-12");
}

TEST(PhonebookLookup, AreaCodeWithoutItsZeroTakesPartAsItsTail) {
    Phonebook book;
    book.add(entry("Kurz", "", "89", "4711"));
    EXPECT_EQ(code_tail("89"), "9");
    EXPECT_EQ(looked_up(book, "094711"), "Kurz");
    EXPECT_EQ(looked_up(book, "0894711"), "0894711");
}

TEST(PhonebookSort, NameKeyIsTheFirstCharacterAsSignedByteIgnoringCase) {
    Phonebook book;
    book.add(entry("Zoo", "", "", "1"));
    book.add(entry("bahnhof", "", "", "2"));
    book.add(entry("Ärzte", "", "", "3"));
    book.add(entry("Bank", "", "", "4"));
    book.add(entry("1und1", "", "", "5"));
    book.add(entry("Übersee", "", "", "6"));
    book.add(entry("Anton", "", "", "7"));
    book.sort(kSortByName);
    EXPECT_EQ(names(book), (std::vector<std::string>{"Ärzte", "Übersee", "1und1", "Anton",
                                                     "bahnhof", "Bank", "Zoo"}));
    EXPECT_EQ(book.sort_key(), kSortByName);

    // Same initial: the earlier order stays, whichever it was.
    Phonebook other;
    other.add(entry("Bank", "", "", "4"));
    other.add(entry("bahnhof", "", "", "2"));
    other.sort(kSortByName);
    EXPECT_EQ(names(other), (std::vector<std::string>{"Bank", "bahnhof"}));
}

TEST(PhonebookSort, NumericKeysCompareValuesAndProjectSortKeepsNameOrder) {
    Phonebook book;
    book.add(entry("A", "0049", "089", "100", 2));
    book.add(entry("B", "00431", "040", "99", 1));
    book.add(entry("C", "", "0", "1234567", 2));
    book.add(entry("D", "01", "030", "123457*", 1));
    book.sort(kSortByNumber);
    // 1234567 compares as 123456, below 123457.
    EXPECT_EQ(names(book), (std::vector<std::string>{"B", "A", "C", "D"}));
    book.sort(kSortByCountryCode);
    EXPECT_EQ(names(book), (std::vector<std::string>{"C", "D", "A", "B"}));
    book.sort(kSortByAreaCode);
    EXPECT_EQ(names(book), (std::vector<std::string>{"C", "D", "B", "A"}));
    book.sort(kSortByName);
    book.sort(kSortByProject);
    EXPECT_EQ(names(book), (std::vector<std::string>{"B", "D", "A", "C"}));
    EXPECT_EQ(book.sort_key(), kSortByProject);

    book.sort(7);
    EXPECT_EQ(book.sort_key(), 7);
    EXPECT_EQ(names(book), (std::vector<std::string>{"B", "D", "A", "C"}));
}

TEST(PhonebookTable, SlotsAreReusedLowestFirstAndTheListKeepsItsOrder) {
    Phonebook book;
    for (int i = 0; i < 4; ++i)
        book.add(entry("N" + std::to_string(i), "", "", std::to_string(i)));
    book.remove(1);
    book.remove(1);
    EXPECT_EQ(names(book), (std::vector<std::string>{"N0", "N3"}));
    EXPECT_EQ(book.add(entry("Neu", "", "", "9")), 1);
    EXPECT_EQ(names(book), (std::vector<std::string>{"N0", "N3", "Neu"}));
    EXPECT_TRUE(book.slot_free(2));
    EXPECT_FALSE(book.slot_free(1));
}

TEST(PhonebookTable, FullTableRefusesAndClearEmptiesEverything) {
    Phonebook book;
    for (std::size_t i = 0; i < kCapacity; ++i)
        ASSERT_TRUE(book.add(entry("X", "", "", std::to_string(i))));
    EXPECT_FALSE(book.add(entry("Y", "", "", "1")));
    EXPECT_EQ(book.count(), kCapacity);
    book.set_project_name(3, "Kunde");
    book.clear();
    EXPECT_EQ(book.count(), 0u);
    EXPECT_EQ(book.project_name(3), "");
    EXPECT_EQ(book.add(entry("Y", "", "", "1")), 0);
}

TEST(PhonebookTable, TextsAreCutToTheirStorage) {
    Phonebook book;
    book.add(entry(std::string(30, 'n'), "0123456", "012345678", "1234567890123", 127));
    const Entry& e = book.at(0);
    EXPECT_EQ(e.name, std::string(24, 'n'));
    EXPECT_EQ(e.country_code, "01234");
    EXPECT_EQ(e.area_code, "0123456");
    EXPECT_EQ(e.number, "12345678901");
    EXPECT_EQ(e.project, 0); // the free-slot mark is never an entry's project
    book.set_project_name(1, "Ein sehr langer Projektname");
    EXPECT_EQ(book.project_name(1), "Ein sehr lang");
    EXPECT_EQ(book.project_name(0), "");
    EXPECT_EQ(book.project_name(11), "");
}
