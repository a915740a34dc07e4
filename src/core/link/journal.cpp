#include "core/link/journal.h"

#include <array>
#include <cstring>

#include "core/app/text.h"
#include "core/data/calls.h"
#include "core/data/charge.h"

namespace kalmo::link {

std::string journal_file_name(const app::LocalTime& t, JournalKind kind, int number) {
    std::string name = app::format("%04d-%02d-%02d_%02d%02d%02d", t.year, t.month, t.day, t.hour,
                                   t.minute, t.second);
    if (number > 1) name += app::format("_%d", number);
    return name + (kind == JournalKind::Charges ? ".GDS" : ".ANR");
}

bool FileJournal::start() {
    started_ = clock_.now();
    records_ = 0;
    file_.reset();
    path_.clear();
    broken_ = false;
    return fs_.make_directories(folder_);
}

bool FileJournal::create() {
    // Two reads within one second must not meet in one file.
    for (int number = 1; number < 100 && !file_; ++number) {
        path_ = app::join_path(folder_, journal_file_name(started_, kind_, number));
        file_ = fs_.create_new(path_);
    }
    if (!file_) {
        path_.clear();
        return false;
    }
    if (kind_ == JournalKind::Calls) return true;
    // A charge data file holding no record yet.
    std::array<std::uint8_t, data::kChargeImageHead> head{};
    std::memcpy(head.data(), data::kChargeMagic, data::kChargeHeaderSize);
    if (file_->write_at(0, head) && file_->sync()) return true;
    // A journal that could not be started holds nothing; left behind, it would look like the
    // journal of a read that brought nothing.
    file_.reset();
    fs_.discard_new(path_);
    path_.clear();
    return false;
}

bool FileJournal::keep(std::span<const std::uint8_t> records) {
    if (broken_) return false;
    const bool charges = kind_ == JournalKind::Charges;
    const std::size_t size = charges ? data::kChargeRecordSize : data::kCallRecordSize;
    const std::size_t head = charges ? data::kChargeImageHead : 0;
    const std::size_t n = records.size() / size;
    bool ok =
        (file_ || create()) && file_->write_at(head + records_ * size, records) && file_->sync();
    if (ok && charges) {
        // The count last, once the records it counts are on the disk: a crash in between leaves
        // a valid file with the records before this block.
        const std::size_t count = records_ + n;
        const std::uint8_t le[2] = {static_cast<std::uint8_t>(count),
                                    static_cast<std::uint8_t>(count >> 8)};
        ok = file_->write_at(data::kChargeHeaderSize, le) && file_->sync();
    }
    if (!ok) {
        broken_ = true;
        return false;
    }
    records_ += n;
    return true;
}

} // namespace kalmo::link
