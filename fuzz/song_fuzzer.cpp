// The song reader and writer on any bytes. A song read with nothing to
// insert and its old tuning kept must come back byte for byte. A song with a
// tuning written into it must read again, and read again as it was written.
// A refused song names what is wrong and writes nothing. A song retuned by
// pitch bends reads again.
#include <cstdint>
#include <algorithm>
#include <cstdlib>

#include "song/SongBends.h"
#include "song/SongTuning.h"

namespace {

// XG part 1 C, then the channel messages of a tuning program select.
const uint8_t kListing[] = {0xF0, 0x43, 0x10, 0x4C, 0x08, 0x00, 0x41, 0x46, 0xF7,
                            0xB0, 0x65, 0x00, 0xB0, 0x64, 0x03, 0xB0, 0x06, 0x01};

bool sameBytes(const std::vector<uint8_t>& bytes, const uint8_t* data, size_t size) {
    return bytes.size() == size && (size == 0 || std::equal(bytes.begin(), bytes.end(), data));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SongTuningOptions keep;
    keep.keepOldTuning = true;
    const SongTuningResult same = tuneSong(data, size, nullptr, 0, keep);
    if (!same.ok()) {
        if (same.error.kind == SmfError::None || !same.bytes.empty() || same.error.byteOffset > size) std::abort();
        return 0;
    }
    if (!sameBytes(same.bytes, data, size)) std::abort();

    // The tuning as pitch bends: the song it writes reads again. Every other
    // size is a keyboard tuning, keys up to 40 semitones from their own.
    SongBendOptions bends;
    bends.nearestKeys = size % 2 != 0;
    const std::size_t spread = bends.nearestKeys ? 8001 : 101;
    for (std::size_t key = 0; key < bends.keyCents.size(); ++key)
        bends.keyCents[key] = static_cast<double>((key * 7 + size) % spread) - static_cast<double>(spread / 2);
    bends.bendRange = static_cast<int>(size % (kMaxBendRange + 1));
    const SongBendResult bent = bendSong(data, size, bends);
    if (!bent.ok()) {
        if (bent.error.kind != SmfError::TimeTooLarge) std::abort();
    } else {
        const SongTuningResult read = tuneSong(bent.bytes.data(), bent.bytes.size(), nullptr, 0, keep);
        if (!read.ok() || !sameBytes(read.bytes, bent.bytes.data(), bent.bytes.size())) std::abort();
    }

    SongTuningOptions options;
    options.resetGapMs = size % (kMaxSongGapMs + 1);
    options.messageGapMs = size % 7;
    options.tunedChannels = 0xFFFF;
    const SongTuningResult tuned = tuneSong(data, size, kListing, sizeof kListing, options);
    if (!tuned.ok()) {
        if (tuned.error.kind != SmfError::TimeTooLarge) std::abort();
        return 0;
    }
    const SongTuningResult again = tuneSong(tuned.bytes.data(), tuned.bytes.size(), nullptr, 0, keep);
    if (!again.ok() || !sameBytes(again.bytes, tuned.bytes.data(), tuned.bytes.size())) std::abort();
    return 0;
}
