// Two uses of each input. The first bytes choose a dialect, a part set and
// twelve offsets; the SysEx list built from them must read back, as .syx,
// .txt and .mid, to the same dialect, offsets and parts. Then the raw bytes
// are read as each kind of file, which must not misbehave.
#include <cstdint>
#include <cstdlib>

#include "output/SysexSmf.h"
#include "sysex/HexListing.h"
#include "sysex/SysexBuilder.h"
#include "tuning/TuningFileReader.h"

namespace {

void checkReadBack(const TuningReadResult& result, TuningFormat format, const ScaleOffsets& offsets,
                   uint32_t parts) {
    if (!result.ok() || result.format != format || result.parts != parts ||
        !result.warnings.empty())
        std::abort();
    for (int k = 0; k < 12; ++k)
        if (result.offsets[k] != *offsets[k]) std::abort();
}

void roundTrip(const uint8_t* data, size_t size) {
    if (size < 15) return;
    const auto format = static_cast<TuningFormat>(data[0] % 3);
    const uint32_t parts = uint32_t{data[1]} << 8 | data[2];
    if (parts == 0) return;
    ScaleOffsets offsets;
    for (int k = 0; k < 12; ++k) offsets[k] = static_cast<int32_t>(data[3 + k] & 0x7F) - 64;

    ScaleDataBytes scaleData;
    uint8_t list[kSysexBufferSize];
    uint32_t length = 0;
    if (!buildSysexList(format, offsets, parts, scaleData, list, length)) std::abort();
    checkReadBack(readTuningFile(TuningFileKind::Syx, list, length), format, offsets, parts);
    const std::string text = formatHexListing(list, length);
    checkReadBack(readTuningFile(TuningFileKind::Txt,
                                 reinterpret_cast<const uint8_t*>(text.data()), text.size()),
                  format, offsets, parts);
    ByteBuffer midi;
    if (buildSysexSmf(list, length, 480, data[0], midi) == 0) std::abort();
    checkReadBack(readTuningFile(TuningFileKind::Mid, midi.data(), midi.size()), format, offsets,
                  parts);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    roundTrip(data, size);
    for (TuningFileKind kind : {TuningFileKind::Syx, TuningFileKind::Txt, TuningFileKind::Mid}) {
        const TuningReadResult result = readTuningFile(kind, data, size);
        // Only the key-based forms may name no part: their channels come
        // from program selects, which a file need not hold.
        if (result.ok() && result.parts == 0 && result.group != TuningGroup::Gm2Keys) std::abort();
        if (result.error == TuningReadError::DamagedMidiFile &&
            (result.midiFault.ok() || result.midiFault.byteOffset > size))
            std::abort();
    }
    return 0;
}
