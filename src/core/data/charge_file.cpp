#include "core/data/charge_file.h"

#include <cstring>

#include "core/app/strings.h"
#include "core/app/text.h"
#include "core/app/utf8.h"

namespace kalmo::data {

using app::Buttons;
using app::Icon;
using app::Message;

namespace {
void report(app::MessageUi& ui, const char* fmt, const std::string& path, Icon icon) {
    ui.show(
        Message{app::format(fmt, app::shown_path(path).c_str()), std::nullopt, Buttons::Ok, icon});
}
} // namespace

LoadResult load_charge_file(ChargeStore& store, const std::string& path, app::FileSystem& fs,
                            app::MessageUi& ui) {
    auto bytes = fs.read(path, kChargeImageSize);
    if (!bytes) {
        // A locked or vanished file must not look like a load that simply found nothing.
        report(ui, "Error reading %s.", path, Icon::Warning);
        return LoadResult::NotOpened;
    }
    if (bytes->empty()) {
        report(ui, "Error reading %s.", path, Icon::Warning);
        return LoadResult::Unreadable;
    }
    const std::size_t head = std::min(bytes->size(), kChargeHeaderSize);
    const std::string header(reinterpret_cast<const char*>(bytes->data()),
                             strnlen(reinterpret_cast<const char*>(bytes->data()), head));
    if (header != kChargeMagic) {
        report(ui, "Error %s ist keine Gebührendatei.", path, Icon::Error);
        return LoadResult::NotAChargeFile;
    }
    const unsigned claimed = bytes->size() >= kChargeImageHead ? stored_count(bytes->data()) : 0u;
    store.load_image(*bytes);
    store.set_filter_range_from_records();
    if (store.count() < claimed) {
        ui.show(
            Message{app::format(app::string_text(app::str::ChargeFileTruncated),
                                app::shown_path(path).c_str(), claimed, unsigned{store.count()}),
                    std::nullopt, Buttons::Ok, Icon::Warning});
        return LoadResult::Truncated;
    }
    return LoadResult::Loaded;
}

SaveResult save_charge_file(ChargeStore& store, const std::string& path, app::FileSystem& fs,
                            app::MessageUi& ui) {
    if (store.count() == 0) {
        app::show_string(ui, app::str::ChargeStoreEmpty, app::str::Error, Buttons::Ok, Icon::Error);
        return SaveResult::StoreEmpty;
    }
    if (app::equal_ignoring_case(export_file_name(path), path)) {
        ui.show(Message{
            app::format(app::string_text(app::str::ExportNameClash), app::shown_path(path).c_str()),
            std::string(app::string_text(app::str::Error)), Buttons::Ok, Icon::Error});
        return SaveResult::ExportNameClash;
    }
    if (fs.exists(path)) {
        const Message ask{app::format("Das File %s. existiert bereits überschreiben ?",
                                      app::shown_path(path).c_str()),
                          std::string("Information"), Buttons::YesNo, Icon::Information};
        if (ui.show(ask) != app::Answer::Yes) return SaveResult::Declined;
    }
    const auto image = store.save_image();
    const bool data_ok = fs.write_replacing(
        path, std::string_view(reinterpret_cast<const char*>(image.data()), image.size()));
    if (!data_ok) report(ui, "Error writing %s.", path, Icon::Error);
    // The export mirrors the store even when the data file failed.
    const bool export_ok = write_charge_export(store, path, fs, ui);
    if (!data_ok) return SaveResult::DataWriteFailed;
    return export_ok ? SaveResult::Saved : SaveResult::ExportWriteFailed;
}

std::string export_file_name(const std::string& data_path) {
    const std::size_t sep = data_path.find_last_of("\\/:");
    const std::size_t name_start = sep == std::string::npos ? 0 : sep + 1;
    const std::size_t dot = data_path.rfind('.');
    if (dot != std::string::npos && dot >= name_start) return data_path.substr(0, dot) + ".ASC";
    return data_path + ".ASC";
}

std::string export_content(const ChargeStore& store) {
    std::string out;
    for (std::size_t i = 0; i < store.count(); ++i) {
        const ChargeRecord r = store.record(i);
        if (r.empty()) continue;
        out += app::format("%X;%u;%u;%u;%u;%u;%s;%u;\n", unsigned{r.subscriber}, unsigned{r.day},
                           unsigned{r.month}, unsigned{r.hour}, unsigned{r.minute},
                           unsigned{r.duration}, number_text(r.number).c_str(),
                           static_cast<unsigned>(r.amount));
    }
    return out;
}

bool write_charge_export(const ChargeStore& store, const std::string& data_path,
                         app::FileSystem& fs, app::MessageUi& ui) {
    const std::string name = export_file_name(data_path);
    if (fs.write_replacing(name, export_content(store))) return true;
    report(ui, "Error writing %s.", name, Icon::Error);
    return false;
}

} // namespace kalmo::data
