// Opening every list of the program with 2,000 lines under Wine: the time from the command (a
// menu choice or a button) to the dialog that shows, filled and answering its messages. Run by
// hand with a display:
//   DISPLAY=:N bash scripts/wine-run.sh build/windows/bench/bench_lists.exe [LINES [ROUNDS]]
// Every call of the charge file goes from subscriber 21 to one of LINES customers, so the system
// charge list and the subscriber's statistics have LINES lines; the first 1,000 customers (as
// many as a phonebook holds) are in the phonebook, in project 1, and so in the project list and
// the editor.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "../tests/win32/temp_dir.h"
#include "win32/resource.h"
#include "core/data/charge.h"
#include "driver.h"

using namespace kalmo;
using namespace kalmo::gui;
using Clock = std::chrono::steady_clock;

namespace {

void pack_number(const std::string& digits, data::NumberField& field) {
    field.fill(0xFF);
    for (std::size_t i = 0; i < digits.size() && i / 2 < field.size(); ++i) {
        const auto nibble = static_cast<std::uint8_t>(digits[i] - '0');
        std::uint8_t& byte = field[i / 2];
        byte = i % 2 == 0 ? static_cast<std::uint8_t>((nibble << 4) | 0x0F)
                          : static_cast<std::uint8_t>((byte & 0xF0) | nibble);
    }
}

// The customer numbers, as area code 89 and the number behind it.
std::string customer(int n) {
    return "1234" + std::to_string(10 + n);
}

std::string charge_file(int count) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    auto store = std::make_unique<data::ChargeStore>();
    store->set_count(static_cast<std::uint16_t>(count));
    for (int i = 0; i < count; ++i) {
        data::ChargeRecord r;
        r.subscriber = 0x21;
        r.month = static_cast<std::uint8_t>(now.wMonth);
        r.day = static_cast<std::uint8_t>(1 + i * 28 / count);
        r.hour = static_cast<std::uint8_t>(8 + i % 10);
        r.minute = static_cast<std::uint8_t>(i % 60);
        r.duration = static_cast<std::uint16_t>(i * 37 % 36000);
        r.amount = static_cast<std::uint32_t>(i * 7919 % 1000000);
        pack_number("089" + customer(i % count), r.number);
        store->set_record(static_cast<std::size_t>(i), r);
    }
    store->set_filter_range_from_records();
    const auto image = store->save_image();
    return std::string(image.begin(), image.end());
}

std::string phonebook_file(int count) {
    std::string book = "[Telefonbuch]\r\n[Project 01;Großkunden Süd]\r\n";
    for (int n = 0; n < count; ++n)
        book += "Müller Großhandel Nr " + std::to_string(n) + ";;89;" + customer(n) + ";\r\n";
    return book + "[Ende Telefonbuch]\r\n";
}

double ms_since(Clock::time_point t) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

// Starts `act` and waits, looking every millisecond, for the dialog with `caption` to be
// visible with its list filled and to answer a message: by then it has painted or is about to.
// The time in milliseconds and the list's line count; a negative time when it did not come.
struct Opened {
    HWND dialog = nullptr;
    double ms = -1;
    long lines = 0;
};

Opened open_list(const Program& p, const std::function<void()>& act, const char* caption,
                 int list_id) {
    Opened o;
    const auto start = Clock::now();
    act();
    while (ms_since(start) < kPatience) {
        if (!o.dialog) o.dialog = p.dialog(caption, 0);
        if (o.dialog && IsWindowVisible(o.dialog)) {
            o.lines =
                static_cast<long>(SendMessageW(GetDlgItem(o.dialog, list_id), LB_GETCOUNT, 0, 0));
            DWORD_PTR result = 0;
            if (o.lines > 0 &&
                SendMessageTimeoutW(o.dialog, WM_NULL, 0, 0, SMTO_NORMAL, kPatience, &result)) {
                o.ms = ms_since(start);
                return o;
            }
        }
        Sleep(1);
    }
    return o;
}

struct Row {
    explicit Row(const char* n) : name(n) {}
    const char* name;
    std::vector<double> ms;
    long lines = 0;
};

void record(Row& row, const Opened& o) {
    row.ms.push_back(o.ms);
    row.lines = o.lines;
}

int fail(const char* what) {
    std::fprintf(stderr, "bench_lists: %s\n", what);
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    const int lines = argc > 1 ? std::atoi(argv[1]) : 2000;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    test::TempDir dir;
    const std::string gds = dir.file("Bench.GDS");
    const std::string book = dir.file("KUNDEN.TLB");
    if (!write_file(gds, charge_file(lines)) ||
        !write_file(book, phonebook_file(std::min(lines, 1000))) ||
        !write_file(dir.file("Kalmo32.ini"),
                    "[Files]\r\nTelbook=" + book + "\r\nGebFile=\r\n[Toolbar]\r\nShowBar=0\r\n"))
        return fail("cannot write the charge, phonebook or settings file");
    Program p(dir.path());
    if (!p.main()) return fail("the program did not start");
    if (!open_charge_file(p, gds)) return fail("no Open dialog, or it stayed");

    Row charges{"system charge list"}, sums{"subscriber sums"}, statistics{"subscriber statistics"},
        project{"project list"}, editor{"phonebook editor"};
    for (int round = 0; round < rounds; ++round) {
        const Opened list = open_list(
            p, [&] { p.command(IDM_CHARGE_EVALUATION); }, "Anlageneinzelgebührensummen",
            IDC_CHARGE_LIST);
        if (list.ms < 0) return fail("no charge list");
        record(charges, list);
        const Opened s = open_list(
            p, [&] { click(list.dialog, IDC_SUBSCRIBER_SUMS); }, "Anlagen Teilnehmergebührensummen",
            IDC_SUMS_LIST);
        if (s.ms < 0) return fail("no subscriber sums");
        record(sums, s);
        PostMessageA(GetDlgItem(s.dialog, IDC_SUMS_LIST), LB_SETCURSEL, 0, 0);
        const Opened st = open_list(
            p, [&] { click(s.dialog, IDC_SUBSCRIBER_STATISTICS); },
            "Teilnehmereinzelgebührensummen", IDC_STATISTICS_LIST);
        if (st.ms < 0) return fail("no subscriber statistics");
        record(statistics, st);
        if (!dismiss(st.dialog, IDOK) || !dismiss(s.dialog, IDOK) || !dismiss(list.dialog, IDOK))
            return fail("a list stayed open");

        HWND select = p.open(IDM_PROJECT_EVALUATION, "Projekte definieren");
        if (!select) return fail("no project choice");
        wait_for([&] { return IsWindowEnabled(GetDlgItem(select, IDC_PROJECT_BUTTON_1)); });
        const Opened pr = open_list(
            p, [&] { click(select, IDC_PROJECT_BUTTON_1); }, "Projektgebührenerfassung",
            IDC_PROJECT_LIST);
        if (pr.ms < 0) return fail("no project list");
        record(project, pr);
        if (!dismiss(pr.dialog, IDOK) || !dismiss(select, IDOK))
            return fail("the project list stayed open");

        const Opened ed = open_list(
            p, [&] { p.command(IDM_PHONEBOOK_EDIT); }, "Telefonbuch editieren", IDC_PB_LIST);
        if (ed.ms < 0) return fail("no phonebook editor");
        record(editor, ed);
        if (!dismiss(ed.dialog, IDOK)) return fail("the phonebook editor stayed open");
    }

    std::printf("%-22s %6s  ms from the command to the filled dialog, per round\n", "list",
                "lines");
    for (Row* row : {&charges, &sums, &statistics, &project, &editor}) {
        std::printf("%-22s %6ld ", row->name, row->lines);
        for (double ms : row->ms)
            std::printf(" %7.0f", ms);
        std::printf("\n");
    }
    p.close();
    return 0;
}
