// Any byte string as a charge data file: the store never reaches past its slots and its
// count always matches the records that were in the file.
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "core/data/charge_file.h"
#include "core/fakes.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kalmo;
    test::MemoryFileSystem fs;
    test::RecordingUi ui;
    fs.files["in.gds"] = std::string(reinterpret_cast<const char*>(data), size);
    auto store = std::make_unique<data::ChargeStore>();
    if (data::load_charge_file(*store, "in.gds", fs, ui) == data::LoadResult::Loaded) {
        const std::size_t held =
            size >= 34 ? (std::min<std::size_t>(size, data::kChargeImageSize) - 34) / 23 : 0;
        if (store->count() > held || store->count() > data::kChargeCapacity) std::abort();
        data::export_content(*store);
        store->sort();
        data::save_charge_file(*store, "out.gds", fs, ui);
    }
    return 0;
}
