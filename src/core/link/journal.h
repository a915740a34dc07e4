#pragma once
// The journal of a read: every block of records, on stable storage before the next block is
// requested. A charge journal is a charge data file at every moment (its count follows each
// block), so "&Öffnen" opens it; a call journal holds the 17-byte call records back to back,
// nothing else. Journals are never overwritten or deleted by the program.
#include <cstdint>
#include <memory>
#include <string>

#include "core/app/ui.h"
#include "core/link/transfers.h"

namespace kalmo::link {

enum class JournalKind { Charges, Calls };

// "YYYY-MM-DD_HHMMSS.GDS" (charges) or ".ANR" (calls) for a read started at `t`; a second
// journal in the same second gets "_2", "_3" ... before the extension.
std::string journal_file_name(const app::LocalTime& t, JournalKind kind, int number = 1);

class FileJournal : public ReceiveJournal {
public:
    FileJournal(app::FileSystem& fs, app::Clock& clock, std::string folder, JournalKind kind)
        : fs_(fs), clock_(clock), folder_(std::move(folder)), kind_(kind) {}

    // Makes the folder and fixes the file's name by the time of the read. The file itself is
    // made with the first records, so a read that brings none leaves nothing behind.
    bool start() override;
    bool keep(std::span<const std::uint8_t> records) override;
    std::string name() const override { return path_.empty() ? folder_ : path_; }

    // The journal file, empty while nothing was kept.
    const std::string& path() const { return path_; }
    std::size_t records() const { return records_; }

private:
    bool create();

    app::FileSystem& fs_;
    app::Clock& clock_;
    std::string folder_;
    JournalKind kind_;
    app::LocalTime started_{};
    std::unique_ptr<app::DurableFile> file_;
    std::string path_;
    std::size_t records_ = 0;
    bool broken_ = false;
};

} // namespace kalmo::link
