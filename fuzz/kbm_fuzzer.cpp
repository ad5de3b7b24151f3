// Reads arbitrary bytes as a Scala keyboard map; when they parse, tunes a
// 19-note scale by it and builds the bulk dump, which must be whole and keep
// every key within the bytes the form carries.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "tuning/KeyboardTuning.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const KeyboardMapReadResult read = parseKeyboardMap(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!read.ok()) {
        if (read.line == 0 && read.error != KeyboardMapError::FileTooLarge) std::abort();  // a refusal names its line
        return 0;
    }
    if (read.map.degrees.size() != static_cast<std::size_t>(read.map.mapSize)) std::abort();
    static const ScalaScale scale = [] {
        ScalaScale s;
        for (int k = 1; k <= 19; ++k) s.pitches.push_back({1200.0 * k / 19, false, 0, 1, 0});
        return s;
    }();
    const KeyboardTuningResult tuning = keyboardTuning(scale, read.map);
    if (!tuning.ok()) return 0;
    const std::optional<TuningListing> dump =
        buildKeyboardListing({MtsForm::BulkDump, 0, ""}, keyOffsets(tuning.tuning), 1);
    if (!dump || dump->sysexLength != kBulkDumpSize) std::abort();
    for (uint32_t i = 1; i + 1 < dump->sysexLength; ++i)
        if (dump->data()[i] > 0x7F) std::abort();
    return 0;
}
