#include "core/phonebook/editor.h"

#include "core/app/strings.h"
#include "core/app/text.h"
#include "core/phonebook/phonebook_file.h"

namespace kalmo::phonebook {

using app::Buttons;
using app::Icon;

std::string editor_line(const Phonebook& book, const Entry& entry) {
    return app::format(" %-26s | %-4s | %-5s | %-12s | %s ", entry.name.c_str(),
                       entry.country_code.c_str(), entry.area_code.c_str(), entry.number.c_str(),
                       book.project_name(static_cast<unsigned>(entry.project)).c_str());
}

namespace {

bool all_digits(std::string_view text) {
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

// Decimal digits followed by nothing but '*'; the digits may be absent.
bool valid_number(std::string_view text) {
    if (text.empty()) return false;
    std::size_t i = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9')
        ++i;
    while (i < text.size() && text[i] == '*')
        ++i;
    return i == text.size();
}

char first_char(std::string_view text) {
    return text.empty() ? '\0' : text[0];
}

} // namespace

bool Editor::fail(unsigned text_id) {
    app::show_string(ui_, text_id, app::str::Error, Buttons::Ok, Icon::Error);
    return false;
}

void Editor::prepare() {
    enable_state_ = 127;
    book_.changed = false;
}

Fill Editor::open() {
    selection_ = 0;
    return fill();
}

ShownEntry Editor::show_entry(const Entry& entry) {
    ShownEntry shown;
    shown.fields = EntryFields{entry.name, entry.number, entry.area_code, entry.country_code};
    shown.combo_items.emplace_back();
    combo_map_.clear();
    for (unsigned p = 1; p <= kProjectCount; ++p) {
        const std::string& name = book_.project_name(p);
        if (name.empty()) continue;
        shown.combo_items.push_back(name);
        combo_map_.push_back(static_cast<std::int8_t>(p));
        if (entry.project == static_cast<std::int8_t>(p))
            shown.combo_selection = static_cast<int>(shown.combo_items.size()) - 1;
    }
    return shown;
}

Fill Editor::fill() {
    Fill f;
    const std::size_t count = book_.count();
    if (count > 0 && selection_ < count) f.shown = show_entry(book_.at(selection_));
    f.lines.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        f.lines.push_back(editor_line(book_, book_.at(i)));
    const std::uint8_t present = count > 0 ? 1 : 0;
    if (present != enable_state_) {
        f.enable_entry_buttons = present == 1;
        enable_state_ = present;
    }
    f.selected_line = selection_ < count ? static_cast<int>(selection_) : -1;
    return f;
}

std::optional<ShownEntry> Editor::list_notification(int selected_line) {
    if (selected_line < 0 || static_cast<std::size_t>(selected_line) >= book_.count())
        return std::nullopt;
    return show_entry(book_.at(static_cast<std::size_t>(selected_line)));
}

Fill Editor::sort(SortKey key) {
    book_.sort(key);
    selection_ = 0;
    return fill();
}

std::optional<Entry> Editor::read_fields(const EntryFields& fields) {
    Entry e;
    // A name of blanks passes the emptiness test and is stored empty.
    if (fields.name.empty()) return fail(app::str::NameMissing), std::nullopt;
    e.name = app::trimmed(fields.name);
    // The file separates fields with ';' and lines at their ends: such a name would not read
    // back as it was written.
    if (e.name.find_first_of(std::string_view(";\r\n\0", 4)) != std::string::npos)
        return fail(app::str::NameInvalid), std::nullopt;
    e.name = stored_text(e.name, kNameMax);

    if (!valid_number(fields.number)) return fail(app::str::NumberInvalid), std::nullopt;
    e.number = app::cut(app::trimmed(fields.number), kNumberMax);

    // The file keeps only the part after a code's prefix digit and puts a '0' back: a code
    // typed without its '0' would come back changed, so it is refused.
    const auto code = [](const std::string& text, std::size_t max) -> std::optional<std::string> {
        if (!all_digits(text)) return std::nullopt;
        std::string c = app::trimmed(text);
        if (c.size() < 2) return std::string();
        if (c[0] != '0') return std::nullopt;
        return app::cut(c, max);
    };
    const auto country = code(fields.country_code, kCountryCodeMax);
    if (!country) return fail(app::str::CountryCodeInvalid), std::nullopt;
    e.country_code = *country;
    const auto area = code(fields.area_code, kAreaCodeMax);
    if (!area) return fail(app::str::AreaCodeInvalid), std::nullopt;
    e.area_code = *area;
    return e;
}

bool Editor::project_check(Entry& entry, int combo_selection) {
    entry.project = 0;
    if (combo_selection <= 0 || combo_selection > static_cast<int>(kProjectCount)) return true;
    const std::size_t item = static_cast<std::size_t>(combo_selection) - 1;
    if (item < combo_map_.size()) entry.project = combo_map_[item];
    if (entry.project == 0) return true;
    for (std::size_t i = 0; i < book_.count(); ++i) {
        const Entry& other = book_.at(i);
        if (other.project != 0 && other.project != entry.project && other.number == entry.number &&
            other.area_code == entry.area_code && other.country_code == entry.country_code)
            return fail(app::str::NumberInTwoProjects);
    }
    return true;
}

bool Editor::duplicate_check(const Entry& entry) {
    for (std::size_t i = 0; i < book_.count(); ++i) {
        const Entry& other = book_.at(i);
        if (other.name == entry.name && other.number == entry.number &&
            other.area_code == entry.area_code && other.country_code == entry.country_code)
            return fail(app::str::EntryExists);
    }
    return true;
}

std::optional<Fill> Editor::insert(const EntryFields& fields, int combo_selection) {
    auto entry = read_fields(fields);
    if (!entry || !project_check(*entry, combo_selection) || !duplicate_check(*entry))
        return std::nullopt;
    const auto slot = book_.add(*entry);
    if (!slot) return fail(app::str::PhonebookFull), std::nullopt;
    book_.changed = true;
    book_.sort(book_.sort_key());
    // The new entry's line is selected, wherever the sort put it.
    for (std::size_t i = 0; i < book_.count(); ++i)
        if (book_.slot_of(i) == *slot) selection_ = static_cast<std::uint16_t>(i);
    return fill();
}

std::optional<Fill> Editor::change(int selected_line, const EntryFields& fields,
                                   int combo_selection) {
    if (selected_line < 0 || static_cast<std::size_t>(selected_line) >= book_.count())
        return fail(app::str::NoEntryMarked), std::nullopt;
    selection_ = static_cast<std::uint16_t>(selected_line);
    auto entry = read_fields(fields);
    if (!entry || !project_check(*entry, combo_selection) || !duplicate_check(*entry))
        return std::nullopt;
    book_.changed = true;
    book_.replace(selection_, *entry);
    book_.sort(book_.sort_key());
    return fill();
}

Fill Editor::remove(int selected_line) {
    if (selected_line < 0 || static_cast<std::size_t>(selected_line) >= book_.count()) {
        selection_ = 0;
        return fill();
    }
    selection_ = static_cast<std::uint16_t>(selected_line);
    book_.changed = true;
    book_.remove(selection_);
    if (selection_ != 0) --selection_;
    return fill();
}

Fill Editor::convert(int selected_line, bool to_oem) {
    for (std::size_t i = 0; i < book_.count(); ++i) {
        Entry e = book_.at(i);
        const std::string name = app::trimmed(e.name);
        // The reader trims names; a converted name that now begins with a blank or 0xFF
        // (the OEM no-break space) would otherwise read back shorter.
        e.name = stored_text(to_oem ? code_page_.ansi_to_oem(name) : code_page_.oem_to_ansi(name),
                             kNameMax);
        book_.replace(i, std::move(e));
    }
    selection_ = selected_line < 0 || static_cast<std::size_t>(selected_line) >= book_.count()
                     ? 0
                     : static_cast<std::uint16_t>(selected_line);
    book_.changed = true;
    return fill();
}

Fill Editor::convert_to_oem(int selected_line) {
    return convert(selected_line, true);
}

Fill Editor::convert_to_ansi(int selected_line) {
    return convert(selected_line, false);
}

std::optional<int> Editor::search(std::string_view term_text) const {
    if (term_text.empty()) return std::nullopt;
    const std::string term = app::trimmed(app::cut(term_text, kSearchMax));
    const char initial = first_char(term);
    std::size_t i = 0;
    while (i < book_.count() && first_char(book_.at(i).name) != initial)
        ++i;
    for (; i < book_.count(); ++i) {
        const std::string& name = book_.at(i).name;
        if (name.compare(0, term.size(), term) == 0) return static_cast<int>(i);
        if (first_char(name) != initial) return std::nullopt;
    }
    return std::nullopt;
}

std::array<std::string, kProjectCount> project_name_fields(const Phonebook& book) {
    std::array<std::string, kProjectCount> fields;
    for (unsigned p = 1; p <= kProjectCount; ++p)
        fields[p - 1] = book.project_name(p);
    return fields;
}

void take_project_names(Phonebook& book, const std::array<std::string, kProjectCount>& fields,
                        app::MessageUi& ui) {
    for (unsigned p = 1; p <= kProjectCount; ++p) {
        // The table holds 13 characters; a longer name is cut before it is compared.
        const std::string name = stored_text(fields[p - 1], kProjectNameMax);
        if (name != book.project_name(p)) {
            book.set_project_name(p, name);
            book.changed = true;
        }
    }
    for (unsigned j = 1; j < kProjectCount; ++j) {
        for (unsigned i = j + 1; i <= kProjectCount; ++i) {
            if (book.project_name(j).empty() || book.project_name(i) != book.project_name(j))
                continue;
            app::show_string(ui, app::str::ProjectDuplicate, app::str::Error, Buttons::Ok,
                             Icon::Error);
            book.set_project_name(i, "");
        }
    }
}

void PhonebookCommands::ask_to_save() {
    if (!book.changed) return;
    if (app::show_string(ui, app::str::PhonebookChanged, app::str::Information, Buttons::YesNo,
                         Icon::Warning) == app::Answer::Yes)
        write_phonebook_file(book, fs, ui);
}

void PhonebookCommands::new_phonebook() {
    const std::string previous = book.file_name;
    book.file_name.clear();
    const auto chosen = host.choose_phonebook_file("Telefonbuch Neu", book.file_name);
    if (!chosen) {
        book.file_name = previous;
        return;
    }
    book.file_name = *chosen;
    book.set_sort_key(kSortByName);
    book.clear();
    host.enable_phonebook_menu();
    edit_project_names();
    edit_phonebook();
}

bool PhonebookCommands::open_phonebook() {
    const auto chosen = host.choose_phonebook_file("Telefonbuch Öffnen", book.file_name);
    if (!chosen) return false;
    book.file_name = *chosen;
    if (read_phonebook_file(book, fs, ui) == 0) return false;
    host.enable_phonebook_menu();
    edit_phonebook();
    return true;
}

void PhonebookCommands::edit_phonebook() {
    Editor editor(book, ui, code_page);
    editor.prepare();
    host.run_phonebook_editor(editor);
    ask_to_save();
}

void PhonebookCommands::edit_project_names() {
    book.changed = false;
    host.run_project_names_editor(book);
    ask_to_save();
}

} // namespace kalmo::phonebook
