#pragma once
// The charge data file (*.GDS) and the semicolon export file (.ASC) written beside it.
#include <string>

#include "core/app/ui.h"
#include "core/data/charge.h"

namespace kalmo::data {

// Truncated: the header claimed more records than the file holds; those it holds are loaded.
enum class LoadResult { Loaded, Truncated, NotOpened, Unreadable, NotAChargeFile };

inline bool records_loaded(LoadResult r) {
    return r == LoadResult::Loaded || r == LoadResult::Truncated;
}

// Replaces the store's header, count and records by the file's. A file that cannot be opened,
// an empty one or one with another magic is reported and leaves the store as it was (the
// records in memory may be the only copy). A file that holds fewer records than its header
// claims is loaded as far as it goes, and the user is told how many are missing. The filter's
// years and minimum stay; its months and days follow the loaded records.
LoadResult load_charge_file(ChargeStore& store, const std::string& path, app::FileSystem& fs,
                            app::MessageUi& ui);

enum class SaveResult {
    Saved,
    StoreEmpty,
    ExportNameClash,
    Declined,
    DataWriteFailed,
    ExportWriteFailed
};

// Writes the data file (asking before it replaces an existing one), then the export file. A
// data file named like its own export (*.ASC) is refused before anything is written: the
// export would replace the data just saved.
SaveResult save_charge_file(ChargeStore& store, const std::string& path, app::FileSystem& fs,
                            app::MessageUi& ui);

// The export file's name: the data file's name cut before the last "." of its file name part,
// then ".ASC".
std::string export_file_name(const std::string& data_path);

// One line "%X;%u;%u;%u;%u;%u;%s;%u;\n" per non-empty record, in store order.
std::string export_content(const ChargeStore& store);

// Writes the export file for the data file `data_path`; reports a failed write.
bool write_charge_export(const ChargeStore& store, const std::string& data_path,
                         app::FileSystem& fs, app::MessageUi& ui);

} // namespace kalmo::data
