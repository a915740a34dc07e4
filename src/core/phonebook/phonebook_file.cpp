#include "core/phonebook/phonebook_file.h"

#include <algorithm>

#include "core/app/strings.h"
#include "core/app/text.h"
#include "core/app/utf8.h"

namespace kalmo::phonebook {

using app::Buttons;
using app::Icon;
using app::Message;

namespace {

constexpr std::string_view kHeader = "[Telefonbuch]";
constexpr std::string_view kEnd = "[Ende Telefonbuch]";
constexpr std::string_view kProjectTag = "[Project ";
// Lines are read in pieces of at most this many bytes, each piece taken as a line of its own.
constexpr std::size_t kLinePiece = 254;

void show_error(app::MessageUi& ui, std::string text) {
    ui.show(Message{std::move(text), std::nullopt, Buttons::Ok, Icon::Error});
}

// The text-mode view of the file: CR LF reads as LF.
std::string text_mode(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
        out += bytes[i];
    }
    return out;
}

// The next line of at most kLinePiece bytes, with its line end when it has one.
std::string_view next_line(std::string_view text, std::size_t& pos) {
    const std::size_t rest = std::min(kLinePiece, text.size() - pos);
    std::size_t len = rest;
    const std::size_t nl = text.substr(pos, rest).find('\n');
    if (nl != std::string_view::npos) len = nl + 1;
    const std::string_view line = text.substr(pos, len);
    pos += len;
    return line;
}

// atoi on the project number: blanks, an optional sign, digits to the first non-digit.
long project_number(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long v = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        if (v < 100000) v = v * 10 + (text[i] - '0');
    return negative ? -v : v;
}

void read_project_header(Phonebook& book, std::string_view line, std::int8_t& current) {
    const long project = project_number(line.substr(kProjectTag.size()));
    if (project < 1 || project > static_cast<long>(kProjectCount)) return;
    current = static_cast<std::int8_t>(project);
    if (line.size() <= 10) return;
    const std::size_t semi = line.find(';', 10);
    if (semi == std::string_view::npos) return;
    // The name ends at ']' or, when that is missing, at the line end.
    std::string_view name = line.substr(semi + 1);
    name = name.substr(0, name.find_first_of("]\n"));
    book.set_project_name(static_cast<unsigned>(project), name);
}

// "0" before a non-empty code field, which the file stores without its prefix digit.
std::string code_field(std::string_view field, std::size_t max) {
    if (field.empty()) return std::string();
    // Built by append: GCC 12 warns falsely (-Wrestrict) on "0" + std::string at -O2.
    std::string code(1, '0');
    code.append(field);
    return stored_text(code, max);
}

Entry entry_from_line(std::string_view line, std::int8_t project) {
    std::string_view fields[4];
    std::size_t start = 0;
    for (std::string_view& field : fields) {
        const std::size_t semi = line.find(';', start);
        field = line.substr(start, semi - start);
        start = semi + 1;
    }
    Entry e;
    e.name = stored_text(fields[0], kNameMax);
    e.country_code = code_field(fields[1], kCountryCodeMax);
    e.area_code = code_field(fields[2], kAreaCodeMax);
    e.number = stored_text(fields[3], kNumberMax);
    e.project = project;
    return e;
}

} // namespace

std::uint16_t parse_phonebook_text(Phonebook& book, std::string_view bytes,
                                   const std::string& file_name, app::MessageUi& ui) {
    book.clear();
    const std::string text = text_mode(bytes);
    std::size_t pos = 0;
    if (text.empty()) return 0;
    if (next_line(text, pos).substr(0, kHeader.size()) != kHeader) {
        show_error(ui, app::format("Error %s ist keine Telefonbuchdatei.",
                                   app::shown_path(file_name).c_str()));
        return 0;
    }
    std::int8_t current = 0;
    std::uint16_t line_number = 1;
    unsigned bad_lines = 0;
    while (pos < text.size()) {
        const std::string_view piece = next_line(text, pos);
        ++line_number;
        // The line is a C string: a zero byte ends it.
        const std::string_view line = piece.substr(0, piece.find('\0'));
        if (!line.empty() && line[0] == '-') continue;
        if (line.substr(0, kProjectTag.size()) == kProjectTag) {
            read_project_header(book, line, current);
            continue;
        }
        if (!line.empty() && line[0] == '[') {
            current = 0;
            continue;
        }
        const std::string shown(line);
        if (std::count(line.begin(), line.end(), ';') < 4) {
            // A junk file must not bury the user under one box per line: the first few are
            // named, the rest counted in one message at the end.
            if (++bad_lines > kNamedBadLines) continue;
            if (line_number == 0xFFFF)
                show_error(ui, app::format("Fehlerhafter Eintrag im Telefonbuch\nZeilennummer "
                                           "unbestimmt\n\nEintrag: %s\nignoriert!",
                                           shown.c_str()));
            else
                show_error(ui, app::format("Fehlerhafter Eintrag im Telefonbuch\nZeilennummer "
                                           "%d\n\nEintrag: %s\nignoriert!",
                                           int{line_number}, shown.c_str()));
            continue;
        }
        if (book.count() == kCapacity) {
            // The table is full: keep the first 1,000 and say where the file was left.
            show_error(ui, app::format("Telefonbuch voll\nZeilennummer %d\n\nEintrag: %s\nDieser "
                                       "und alle weiteren Einträge ignoriert!",
                                       int{line_number}, shown.c_str()));
            break;
        }
        book.add(entry_from_line(line, current));
    }
    if (bad_lines > kNamedBadLines)
        show_error(
            ui, app::format(app::string_text(app::str::MoreBadLines), bad_lines - kNamedBadLines));
    return static_cast<std::uint16_t>(book.count());
}

std::uint16_t read_phonebook_file(Phonebook& book, app::FileSystem& fs, app::MessageUi& ui) {
    const auto bytes = fs.read(book.file_name, kPhonebookFileMaxBytes);
    if (!bytes) {
        show_error(
            ui, app::format("Error kann %s nicht öffnen", app::shown_path(book.file_name).c_str()));
        book.file_name.clear();
        return 0;
    }
    const std::uint16_t read = parse_phonebook_text(
        book, std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()),
        book.file_name, ui);
    if (read == 0) {
        app::show_string(ui, app::str::NoEntryFound, app::str::Error, Buttons::Ok, Icon::Warning);
        book.file_name.clear();
    }
    book.sort(kSortByName);
    return read;
}

std::string load_phonebook_at_start(Phonebook& book, const std::string& name, app::FileSystem& fs,
                                    app::MessageUi& ui) {
    book.clear();
    book.file_name = name;
    if (!name.empty() && read_phonebook_file(book, fs, ui) == 0) book.file_name.clear();
    return book.file_name;
}

std::string phonebook_file_content(const Phonebook& book) {
    std::string out;
    out.reserve(64 * (book.count() + 2));
    out += kHeader;
    out += "\r\n";
    int previous = kFreeSlot;
    for (std::size_t i = 0; i < book.count(); ++i) {
        const Entry& e = book.at(i);
        if (e.project != 0 && e.project != previous) {
            out += app::format("[Project %02d;%s]\r\n", int{e.project},
                               book.project_name(static_cast<unsigned>(e.project)).c_str());
            previous = e.project;
        }
        // A line that begins with '-' or '[' would read back as a comment or a section; the
        // reader trims leading blanks from the name, so one blank keeps such a name intact.
        if (!e.name.empty() && (e.name[0] == '-' || e.name[0] == '[')) out += ' ';
        out += e.name;
        out += ';';
        out += code_tail(e.country_code);
        out += ';';
        out += code_tail(e.area_code);
        out += ';';
        out += e.number;
        out += ";\r\n";
    }
    out += kEnd;
    out += "\r\n";
    return out;
}

WriteResult write_phonebook_file(Phonebook& book, app::FileSystem& fs, app::MessageUi& ui) {
    if (book.count() == 0) {
        app::show_string(ui, app::str::PhonebookEmpty, app::str::Error, Buttons::Ok, Icon::Error);
        return WriteResult::Empty;
    }
    if (fs.exists(book.file_name)) {
        const Message ask{app::format("Das File %s. existiert bereits überschreiben ?",
                                      app::shown_path(book.file_name).c_str()),
                          std::string("Information"), Buttons::YesNo, Icon::Information};
        if (ui.show(ask) != app::Answer::Yes) return WriteResult::Declined;
    }
    book.sort(kSortByProject);
    if (!fs.write_replacing(book.file_name, phonebook_file_content(book))) {
        show_error(ui, app::format("Error writing %s.", app::shown_path(book.file_name).c_str()));
        return WriteResult::Failed;
    }
    return WriteResult::Written;
}

} // namespace kalmo::phonebook
