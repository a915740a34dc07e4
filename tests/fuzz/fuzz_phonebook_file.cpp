// Any byte string as a phonebook file: the table never takes more than its capacity, no field
// grows past its storage, and what was read is written and read back entry for entry.
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "core/fakes.h"
#include "core/phonebook/phonebook_file.h"

namespace {
using namespace kalmo;
using namespace kalmo::phonebook;

void check_fits(const Phonebook& book) {
    if (book.count() > kCapacity) std::abort();
    for (std::size_t i = 0; i < book.count(); ++i) {
        const Entry& e = book.at(i);
        if (e.name.size() > kNameMax || e.country_code.size() > kCountryCodeMax ||
            e.area_code.size() > kAreaCodeMax || e.number.size() > kNumberMax)
            std::abort();
        if (e.project < 0 || e.project > static_cast<int>(kProjectCount)) std::abort();
    }
    for (unsigned p = 1; p <= kProjectCount; ++p)
        if (book.project_name(p).size() > kProjectNameMax) std::abort();
}

// A code of one character has no tail: the file cannot keep it.
bool same_codes(const std::string& a, const std::string& b) {
    return a == b || (a.size() < 2 && b.empty());
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    test::MemoryFileSystem fs;
    test::RecordingUi ui;
    fs.files["in.tlb"] = std::string(reinterpret_cast<const char*>(data), size);
    auto book = std::make_unique<Phonebook>();
    book->file_name = "in.tlb";
    const std::uint16_t read = read_phonebook_file(*book, fs, ui);
    if (read != book->count()) std::abort();
    check_fits(*book);
    if (read == 0) return 0;

    std::string probe = "089123456";
    book->lookup(probe);

    book->file_name = "out.tlb";
    if (write_phonebook_file(*book, fs, ui) != WriteResult::Written) std::abort();
    auto back = std::make_unique<Phonebook>();
    back->file_name = "out.tlb";
    ui.shown.clear();
    if (read_phonebook_file(*back, fs, ui) != read || !ui.shown.empty()) std::abort();
    book->sort(kSortByName);
    for (std::size_t i = 0; i < book->count(); ++i) {
        const Entry& a = book->at(i);
        const Entry& b = back->at(i);
        if (a.name != b.name || a.number != b.number || a.project != b.project ||
            !same_codes(a.country_code, b.country_code) || !same_codes(a.area_code, b.area_code))
            std::abort();
        if (a.project != 0 && book->project_name(static_cast<unsigned>(a.project)) !=
                                  back->project_name(static_cast<unsigned>(b.project)))
            std::abort();
    }
    return 0;
}
