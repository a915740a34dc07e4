#include "core/phonebook/phonebook.h"

#include <algorithm>
#include <climits>
#include <cstdint>

#include "core/app/text.h"

namespace kalmo::phonebook {

std::string_view code_tail(std::string_view code) {
    return code.size() < 2 ? std::string_view() : code.substr(1);
}

std::size_t wildcard_length(std::string_view number) {
    const std::size_t star = number.find('*');
    return star == std::string_view::npos ? 0 : number.size() - star;
}

std::string stored_text(std::string_view text, std::size_t max) {
    std::string s = app::cut(app::trimmed(text), max);
    app::trim_text(s);
    return s;
}

void fit_to_storage(Entry& entry) {
    entry.name = app::cut(entry.name, kNameMax);
    entry.country_code = app::cut(entry.country_code, kCountryCodeMax);
    entry.area_code = app::cut(entry.area_code, kAreaCodeMax);
    entry.number = app::cut(entry.number, kNumberMax);
}

Phonebook::Phonebook() : slots_(kCapacity), glances_(kCapacity) {
    list_.reserve(kCapacity);
    clear();
}

void Phonebook::clear() {
    list_.clear();
    for (Entry& slot : slots_)
        slot.project = kFreeSlot;
    for (std::string& name : project_names_)
        name.clear();
}

namespace {

bool is_space(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Leading digits after blanks; a text without digits is 0. The fields are short enough
// that the value cannot overflow.
long leading_value(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && is_space(text[i]))
        ++i;
    long v = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        v = v * 10 + (text[i] - '0');
    return v;
}

// The name key looks at one character only, signed, so bytes above 127 come first.
long name_key(const Entry& e) {
    std::size_t i = 0;
    while (i < e.name.size() && (e.name[i] == ' ' || static_cast<unsigned char>(e.name[i]) == 0xFF))
        ++i;
    const signed char c = i < e.name.size() ? static_cast<signed char>(e.name[i]) : 0;
    return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c;
}

long sort_value(const Entry& e, std::uint16_t key) {
    switch (key) {
    case kSortByName:
        return name_key(e);
    case kSortByCountryCode:
        return leading_value(code_tail(e.country_code));
    case kSortByAreaCode:
        return leading_value(code_tail(e.area_code));
    case kSortByNumber:
        return leading_value(std::string_view(e.number).substr(0, 6));
    default:
        return e.project;
    }
}

// A text made of up to three pieces, read as if they stood one after the other.
struct Joined {
    std::string_view a, b, c;
    char at(std::size_t i) const {
        if (i < a.size()) return a[i];
        i -= a.size();
        if (i < b.size()) return b[i];
        i -= b.size();
        return i < c.size() ? c[i] : '\0';
    }
};

// strncmp(d, t, n) == 0; a negative n compares the whole texts.
bool same_start(std::string_view d, const Joined& t, long n) {
    const std::size_t limit = n < 0 ? SIZE_MAX : static_cast<std::size_t>(n);
    for (std::size_t i = 0; i < limit; ++i) {
        const char x = i < d.size() ? d[i] : '\0';
        if (x != t.at(i)) return false;
        if (x == '\0') return true;
    }
    return true;
}

} // namespace

void Phonebook::sort(std::uint16_t key) {
    sort_key_ = key;
    if (key > kSortByProject) return;
    // Entries with equal keys keep their order: a sort by project keeps each project's
    // entries in the order of the sort before.
    std::vector<std::pair<long, std::uint16_t>> keyed;
    keyed.reserve(list_.size());
    for (std::uint16_t slot : list_)
        keyed.emplace_back(sort_value(slots_[slot], key), slot);
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto& x, const auto& y) { return x.first < y.first; });
    for (std::size_t i = 0; i < keyed.size(); ++i)
        list_[i] = keyed[i].second;
}

void Phonebook::store(std::size_t slot, Entry entry) {
    fit_to_storage(entry);
    if (entry.project == kFreeSlot) entry.project = 0;
    const std::string_view country = code_tail(entry.country_code);
    const std::string_view area = code_tail(entry.area_code);
    Glance& g = glances_[slot];
    g.national = Joined{area, entry.number, {}}.at(0);
    g.international = Joined{country, area, entry.number}.at(0);
    g.local = Joined{entry.number, {}, {}}.at(0);
    g.wildcard = static_cast<std::uint8_t>(wildcard_length(entry.number));
    slots_[slot] = std::move(entry);
}

void Phonebook::replace(std::size_t position, Entry entry) {
    store(list_[position], std::move(entry));
}

std::optional<std::uint16_t> Phonebook::add(Entry entry) {
    for (std::size_t slot = 0; slot < kCapacity; ++slot) {
        if (!slot_free(slot)) continue;
        store(slot, std::move(entry));
        list_.push_back(static_cast<std::uint16_t>(slot));
        return static_cast<std::uint16_t>(slot);
    }
    return std::nullopt;
}

void Phonebook::remove(std::size_t position) {
    slots_[list_[position]].project = kFreeSlot;
    list_.erase(list_.begin() + static_cast<std::ptrdiff_t>(position));
}

const std::string& Phonebook::project_name(unsigned project) const {
    static const std::string none;
    return project >= 1 && project <= kProjectCount ? project_names_[project - 1] : none;
}

void Phonebook::set_project_name(unsigned project, std::string_view name) {
    if (project >= 1 && project <= kProjectCount)
        project_names_[project - 1] = app::cut(name, kProjectNameMax);
}

std::uint8_t Phonebook::lookup(std::string& text) const {
    if (text.empty()) return 0;
    const std::string_view d(text);
    const bool trunk = d[0] == '0';
    const std::string_view after_zero = d.substr(1);
    const char first_after_zero = after_zero.empty() ? '\0' : after_zero[0];
    for (std::uint16_t slot : list_) {
        // A comparison over no characters always succeeds; any other needs the first
        // characters equal, which the glance tells without reading the entry.
        const Glance& g = glances_[slot];
        const long w = g.wildcard;
        const long n_trunk = static_cast<long>(d.size()) - 1 - w;
        const long n_local = static_cast<long>(d.size()) - w;
        const bool may_trunk = trunk && (n_trunk == 0 || first_after_zero == g.national ||
                                         first_after_zero == g.international);
        const bool may_local = n_local == 0 || d[0] == g.local;
        if (!may_trunk && !may_local) continue;

        const Entry& e = slots_[slot];
        const std::string_view country = code_tail(e.country_code);
        const std::string_view area = code_tail(e.area_code);
        const bool match =
            (may_trunk && (same_start(after_zero, Joined{area, e.number, {}}, n_trunk) ||
                           same_start(after_zero, Joined{country, area, e.number}, n_trunk))) ||
            (may_local && same_start(d, Joined{e.number, {}, {}}, n_local));
        if (!match) continue;

        const std::size_t wild = static_cast<std::size_t>(w);
        std::string result = app::cut(e.name, kNameMax);
        if (wild > 0 && result.size() + wild < 23) {
            // The digits that took the place of the '*'.
            result += '-';
            result += text.substr(text.size() - std::min(wild, text.size()));
        }
        text = std::move(result);
        return static_cast<std::uint8_t>(e.project);
    }
    return 0;
}

} // namespace kalmo::phonebook
