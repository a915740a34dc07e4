#include "transfers_gui.h"

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

#include "resource.h"
#include "core/app/shell.h"
#include "core/app/strings.h"
#include "core/link/collect.h"
#include "core/link/journal.h"
#include "core/link/protocol.h"
#include "core/link/transfers.h"
#include "dialog.h"
#include "message_ui.h"
#include "platform/serial.h"

namespace kalmo::win32 {

namespace {

// The button, Enter, Esc and the Close box all cancel.
class ProgressDialog : public Dialog {
public:
    ProgressDialog() : Dialog("V24AbortDlgBox") {}
    std::atomic<bool> cancelled{false};

private:
    bool on_command(int, int) override {
        cancelled = true;
        return true;
    }
};

// What the transfer's thread asks of the window's thread; each request is sent, so the
// transfer goes on only once it has been carried out.
enum Request : UINT { OpenDialog = WM_APP + 1, SetLine, CloseDialog, ShowMessage };

// A transfer on a thread of its own. The window's thread keeps the progress dialog, shows the
// messages and stays responsive; the transfer's thread talks to the exchange and asks the
// window's thread for everything the user sees. The owner is out of reach until the transfer
// is over, as under any modal dialog.
class TransferThread : public link::TransferUi {
public:
    explicit TransferThread(HWND owner) : owner_(owner) {}

    // Runs `work` on the transfer's thread and returns when it is over.
    void run(const std::function<void(link::TransferUi&)>& work);

    // Called on the transfer's thread.
    app::Answer show(const app::Message& message) override {
        return static_cast<app::Answer>(ask(ShowMessage, 0, &message));
    }
    bool open_progress_dialog() override {
        sent_[0].reset();
        sent_[1].reset();
        return ask(OpenDialog) != 0;
    }
    void close_progress_dialog() override { ask(CloseDialog); }
    void set_progress_line(int line, const std::string& text) override {
        // The first line is set to the same text before every block: no need to ask again.
        if ((line != 0 && line != 1) || sent_[line] == text) return;
        sent_[line] = text;
        ask(SetLine, static_cast<WPARAM>(line), &text);
    }
    bool cancelled() const override { return dialog_.cancelled; }

private:
    LRESULT ask(Request request, WPARAM wp = 0, const void* lp = nullptr) {
        return SendMessageA(mailbox_, request, wp, reinterpret_cast<LPARAM>(lp));
    }
    // On the window's thread.
    LRESULT answer(UINT request, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK mailbox_procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    static const char* mailbox_class();

    HWND owner_;
    HWND mailbox_ = nullptr;
    ProgressDialog dialog_;
    std::optional<std::string> sent_[2];
    Win32MessageUi boxes_;
};

const char* TransferThread::mailbox_class() {
    static const char* const name = [] {
        WNDCLASSA c{};
        c.lpfnWndProc = mailbox_procedure;
        c.hInstance = GetModuleHandleA(nullptr);
        c.lpszClassName = "KalmoTransferMailbox";
        RegisterClassA(&c);
        return c.lpszClassName;
    }();
    return name;
}

LRESULT CALLBACK TransferThread::mailbox_procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE)
        SetWindowLongPtrA(
            hwnd, GWLP_USERDATA,
            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams));
    auto* self = reinterpret_cast<TransferThread*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self && msg >= OpenDialog && msg <= ShowMessage) return self->answer(msg, wp, lp);
    return DefWindowProcA(hwnd, msg, wp, lp);
}

LRESULT TransferThread::answer(UINT request, WPARAM wp, LPARAM lp) {
    switch (request) {
    case OpenDialog:
        dialog_.cancelled = false;
        // The core says "Not enough memory." when this fails.
        if (!dialog_.create_modeless(owner_)) return FALSE;
        ShowWindow(dialog_.hwnd(), SW_SHOWNORMAL);
        EnableWindow(dialog_.hwnd(), TRUE);
        return TRUE;
    case SetLine:
        SetDlgItemTextA(dialog_.hwnd(), IDC_PROGRESS_LINE0 + static_cast<int>(wp),
                        reinterpret_cast<const std::string*>(lp)->c_str());
        return 0;
    case CloseDialog:
        dialog_.destroy();
        return 0;
    case ShowMessage:
        // Over the progress dialog while it is there, so the box comes before it.
        return static_cast<LRESULT>(
            boxes_.show(*reinterpret_cast<const app::Message*>(lp), dialog_.hwnd()));
    default:
        return 0;
    }
}

void TransferThread::run(const std::function<void(link::TransferUi&)>& work) {
    mailbox_ = CreateWindowExA(0, mailbox_class(), "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               GetModuleHandleA(nullptr), this);
    HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!mailbox_ || !done) {
        if (mailbox_) DestroyWindow(mailbox_);
        if (done) CloseHandle(done);
        boxes_.show(app::Message{app::string_text(app::str::NotEnoughMemory), std::nullopt,
                                 app::Buttons::Ok, app::Icon::Error});
        return;
    }
    EnableWindow(owner_, FALSE);
    std::thread transfer([&] {
        work(*this);
        SetEvent(done);
    });
    // The progress dialog's own loop, as a modal dialog has one, until the transfer is over.
    // The transfer's requests are answered inside it, and its boxes run loops of their own.
    bool quit = false;
    int quit_code = 0;
    while (MsgWaitForMultipleObjects(1, &done, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                // Not this loop's to take: the main loop gets it once the transfer is over,
                // which the cancel makes soon.
                quit = true;
                quit_code = static_cast<int>(msg.wParam);
                dialog_.cancelled = true;
                continue;
            }
            HWND keys = dialog_.hwnd();
            if (keys && IsDialogMessageA(keys, &msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    transfer.join();
    CloseHandle(done);
    DestroyWindow(mailbox_);
    dialog_.destroy();
    EnableWindow(owner_, TRUE);
    SetActiveWindow(owner_);
    if (quit) PostQuitMessage(quit_code);
}

// A delete after a read that left records in the exchange (or could not keep them) warns
// first: those records would be gone for good.
link::DeleteQuestion delete_question(bool unread) {
    return unread ? link::DeleteQuestion::WarnUnreadThenAsk : link::DeleteQuestion::Ask;
}

// A read journals what comes in; a connected read tells whether it left records behind.
template <typename Store, typename Read>
bool read_into(link::Link& line, Store& store, Read read, link::JournalKind kind, const Program& a,
               const std::string& port_name, bool& unread) {
    link::FileJournal journal(*a.fs, *a.clock, app::journal_folder_beside(a.path), kind);
    const auto result = read(line, store, port_name, &journal,
                             a.settings.drop_confidential ? &a.confidential : nullptr);
    if (result.connected()) unread = result.left_records();
    return result.opens_list();
}

// The collection's final message tells the counts and the deletes, so their boxes along the way
// ("… empfangen", "… gelöscht") would only have to be clicked away; warnings and errors still
// show when they happen.
class CollectUi : public link::TransferUi {
public:
    explicit CollectUi(link::TransferUi& ui) : ui_(ui) {}
    app::Answer show(const app::Message& message) override {
        if (message.icon == app::Icon::Information && message.buttons == app::Buttons::Ok)
            return app::Answer::Ok;
        return ui_.show(message);
    }
    bool open_progress_dialog() override { return ui_.open_progress_dialog(); }
    void close_progress_dialog() override { ui_.close_progress_dialog(); }
    void set_progress_line(int line, const std::string& text) override {
        ui_.set_progress_line(line, text);
    }
    bool cancelled() const override { return ui_.cancelled(); }

private:
    link::TransferUi& ui_;
};

// Runs `transfer` on its own thread with a link over a port of its own.
void run_on_thread(HWND owner, const Program& a,
                   const std::function<void(link::Link&, const std::string&)>& transfer) {
    const std::string port_name = platform::serial_device(a.settings.port_name());
    TransferThread thread(owner);
    thread.run([&](link::TransferUi& ui) {
        auto port = platform::make_serial_port();
        link::Link line(*port, ui, *a.clock);
        transfer(line, port_name);
    });
}

} // namespace

NextList run_transfer(HWND main, Program& a, unsigned command) {
    NextList next = NextList::None;
    run_on_thread(main, a, [&](link::Link& line, const std::string& port_name) {
        switch (command) {
        case IDM_READ_CHARGES:
            if (read_into(line, *a.charges, link::read_charges, link::JournalKind::Charges, a,
                          port_name, a.charges_unread))
                next = NextList::ChargeEvaluation;
            break;
        case IDM_READ_CALLS:
            if (read_into(line, *a.calls, link::read_calls, link::JournalKind::Calls, a, port_name,
                          a.calls_unread))
                next = NextList::CallList;
            break;
        case IDM_DELETE_CHARGES:
            if (link::delete_charges(line, *a.charges, port_name,
                                     delete_question(a.charges_unread)) == link::Outcome::Done)
                a.charges_unread = false;
            break;
        case IDM_DELETE_CALLS:
            if (link::delete_calls(line, *a.calls, port_name, delete_question(a.calls_unread)) ==
                link::Outcome::Done)
                a.calls_unread = false;
            break;
        default:
            break;
        }
    });
    return next;
}

NextList run_collect(HWND main, Program& a) {
    NextList next = NextList::None;
    const std::string port_name = platform::serial_device(a.settings.port_name());
    TransferThread thread(main);
    thread.run([&](link::TransferUi& ui) {
        CollectUi quiet(ui);
        auto port = platform::make_serial_port();
        link::Link line(*port, quiet, *a.clock);
        const std::string journals = app::journal_folder_beside(a.path);
        link::FileJournal charge_journal(*a.fs, *a.clock, journals, link::JournalKind::Charges);
        link::FileJournal call_journal(*a.fs, *a.clock, journals, link::JournalKind::Calls);
        // Larger than the call list: a bank may hold more than the list shows, and every one of
        // them must be kept before the bank is emptied.
        auto calls = std::make_unique<data::CallArchive>();
        link::CollectRequest request;
        request.folder = app::archive_folder_beside(a.settings, a.path);
        request.stamp = a.clock->now();
        request.calls = a.settings.collect_calls;
        request.charge_journal = &charge_journal;
        request.call_journal = &call_journal;
        request.drop = a.settings.drop_confidential ? &a.confidential : nullptr;
        const link::Collection c =
            link::collect_into_archive(line, *a.fs, port_name, request, *a.charges, *calls);
        if (c.charges.got.read.connected()) a.charges_unread = c.charges.got.read.left_records();
        ui.show(link::collection_message(c));
        if (c.charges.kept() && c.charges.count > 0) next = NextList::ChargeEvaluation;
    });
    return next;
}

void write_speed_dial(HWND owner, const Program& a, const std::string& number_text,
                      std::uint8_t index) {
    // The speed-dial dialog (and the call list below it) stay out of reach until the write is
    // over: a second OK would end the dialog while the write still runs.
    run_on_thread(owner, a, [&](link::Link& line, const std::string& port_name) {
        link::write_speed_dial_target(line, number_text, index, port_name);
    });
}

} // namespace kalmo::win32
