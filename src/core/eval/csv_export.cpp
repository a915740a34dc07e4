#include "core/app/utf8.h"
#include "core/eval/csv_export.h"

#include "core/app/strings.h"
#include "core/app/text.h"

namespace kalmo::eval::csv {

std::string proposed_export_name(std::string_view list_name, const app::LocalTime& today) {
    return app::format("%s %04d-%02d-%02d.csv", std::string(list_name).c_str(), today.year,
                       today.month, today.day);
}

ExportResult save_table(const Table& table, const std::string& path, app::FileSystem& fs,
                        app::MessageUi& ui) {
    if (fs.exists(path)) {
        app::Message ask{app::format(app::string_text(app::str::ListExportExists),
                                     app::shown_path(path).c_str()),
                         std::string(app::string_text(app::str::Information)), app::Buttons::YesNo,
                         app::Icon::Question, true};
        if (ui.show(ask) != app::Answer::Yes) return ExportResult::Declined;
    }
    if (fs.write_replacing(path, table.text())) return ExportResult::Written;
    ui.show(app::Message{
        app::format(app::string_text(app::str::ListExportFailed), app::shown_path(path).c_str()),
        std::string(app::string_text(app::str::Error)), app::Buttons::Ok, app::Icon::Error});
    return ExportResult::Failed;
}

} // namespace kalmo::eval::csv
