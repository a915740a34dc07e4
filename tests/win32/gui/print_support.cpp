#include "print_support.h"

#include <algorithm>
#include <memory>
#include <sstream>

#include "core/app/ui.h"
#include "core/data/charge.h"
#include "driver.h"

namespace kalmo::gui {

namespace {

constexpr char kSpoolerKey[] = "Software\\Wine\\Printing\\Spooler";
constexpr char kPort[] = "KALMO:";

std::string unix_path(const std::string& windows_path) {
    using Convert = char*(CDECL*)(const wchar_t*);
    auto convert = reinterpret_cast<Convert>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!convert) return {};
    std::wstring wide(windows_path.begin(), windows_path.end());
    char* path = convert(wide.c_str());
    if (!path) return {};
    std::string result = path;
    HeapFree(GetProcessHeap(), 0, path);
    return result;
}

// Windows-1252 from the UTF-8 that pdftotext writes.
std::string ansi(const std::string& utf8) {
    std::wstring wide(utf8.size() + 1, L'\0');
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                      wide.data(), static_cast<int>(wide.size()));
    std::string out(static_cast<std::size_t>(n) * 2 + 1, '\0');
    const int m = WideCharToMultiByte(1252, 0, wide.data(), n, out.data(),
                                      static_cast<int>(out.size()), nullptr, nullptr);
    out.resize(static_cast<std::size_t>(m));
    // The text extraction reads the font's hyphen glyph as a soft hyphen.
    std::replace(out.begin(), out.end(), '\xAD', '-');
    return out;
}

} // namespace

std::string fold(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '\r') {
            if (!out.empty() && out.back() != ' ') out += ' ';
        } else {
            out += c;
        }
    }
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out;
}

PrintSpool::PrintSpool(bool raw) : raw_(raw) {
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, kSpoolerKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                    nullptr);
    char old[1024] = {};
    DWORD size = sizeof old - 1;
    had_old_ = RegQueryValueExA(key, kPort, nullptr, nullptr, reinterpret_cast<BYTE*>(old),
                                &size) == ERROR_SUCCESS;
    old_ = old;
    const std::string d = unix_path(dir_.path());
    // Raw: the PostScript as the printer driver wrote it, nothing else to wait for.
    const std::string command =
        raw ? "|f=\"" + d + "/job-$(date +%s%N)\"; cat > \"$f.part\" && mv \"$f.part\" \"$f.ps\""
            : "|f=\"" + d +
                  "/job-$(date +%s%N)\"; ps2pdf - \"$f.part\" && "
                  "pdftotext -layout \"$f.part\" \"$f.txt\" && pdfinfo \"$f.part\" > \"$f.info\" "
                  "&& "
                  "mv \"$f.part\" \"$f.pdf\"";
    ok_ = !d.empty() &&
          RegSetValueExA(key, kPort, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                         static_cast<DWORD>(command.size() + 1)) == ERROR_SUCCESS;
    RegCloseKey(key);
}

PrintSpool::~PrintSpool() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSpoolerKey, 0, KEY_ALL_ACCESS, &key) != 0) return;
    if (had_old_)
        RegSetValueExA(key, kPort, 0, REG_SZ, reinterpret_cast<const BYTE*>(old_.c_str()),
                       static_cast<DWORD>(old_.size() + 1));
    else
        RegDeleteValueA(key, kPort);
    RegCloseKey(key);
}

std::vector<std::string> PrintSpool::jobs() const {
    std::vector<std::string> names;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA(dir_.file(raw_ ? "job-*.ps" : "job-*.pdf").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        std::string name = fd.cFileName;
        names.push_back(name.substr(0, name.rfind('.')));
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    std::sort(names.begin(), names.end());
    return names;
}

bool PrintSpool::wait_job(std::size_t n, Job& job, int ms) const {
    if (!wait_for([&] { return jobs().size() >= n; }, ms)) return false;
    const std::string name = jobs()[n - 1];
    std::istringstream info(read_file(dir_.file(name + ".info")));
    for (std::string line; std::getline(info, line);)
        if (line.rfind("Page size:", 0) == 0) job.paper = line;
    job.pages.clear();
    std::istringstream text(ansi(read_file(dir_.file(name + ".txt"))));
    std::string page;
    while (std::getline(text, page, '\f')) {
        std::vector<std::string> lines;
        std::istringstream in(page);
        for (std::string line; std::getline(in, line);)
            if (!fold(line).empty()) lines.push_back(fold(line));
        if (!lines.empty()) job.pages.push_back(lines);
    }
    return true;
}

namespace {

app::LocalTime local_now() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

void pack_number(const std::string& digits, data::NumberField& field) {
    field.fill(0xFF);
    for (std::size_t i = 0; i < digits.size() && i / 2 < field.size(); ++i) {
        const auto nibble = static_cast<std::uint8_t>(digits[i] - '0');
        std::uint8_t& byte = field[i / 2];
        byte = i % 2 == 0 ? static_cast<std::uint8_t>((nibble << 4) | 0x0F)
                          : static_cast<std::uint8_t>((byte & 0xF0) | nibble);
    }
}

} // namespace

std::string charge_file(int count) {
    auto store = std::make_unique<data::ChargeStore>();
    const auto month = static_cast<std::uint8_t>(local_now().month);
    const std::uint8_t subscribers[] = {0x21, 0x05, 0x12, 0x45, 0x00};
    store->set_count(static_cast<std::uint16_t>(count));
    for (int i = 0; i < count; ++i) {
        data::ChargeRecord r;
        r.subscriber = subscribers[i % 5];
        r.month = month;
        r.day = static_cast<std::uint8_t>(1 + i * 28 / count);
        r.hour = static_cast<std::uint8_t>(8 + i % 10);
        r.minute = static_cast<std::uint8_t>(i % 60);
        r.duration = static_cast<std::uint16_t>(i * 37 % 36000);
        r.amount = static_cast<std::uint32_t>(i * 7919 % 1000000);
        pack_number(i % 3 == 0 ? "0891234" + std::to_string(10 + i % 30)
                               : "00431" + std::to_string(100000000 + i * 7777),
                    r.number);
        store->set_record(static_cast<std::size_t>(i), r);
    }
    store->set_filter_range_from_records();
    const auto image = store->save_image();
    return std::string(image.begin(), image.end());
}

std::string phonebook_file() {
    std::string book = "[Telefonbuch]\r\n[Project 01;Großkunden Süd]\r\n";
    for (int n = 10; n < 40; ++n)
        book +=
            "Müller Großhandel Nr " + std::to_string(n) + ";;89;1234" + std::to_string(n) + ";\r\n";
    return book + "[Ende Telefonbuch]\r\n";
}

} // namespace kalmo::gui
