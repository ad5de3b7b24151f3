// Reads arbitrary bytes as a Scala scale; when they parse, maps the scale
// onto the pitch classes and fits it, and the fit must hold every note to
// the range the SysEx carries.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "tuning/ScalaScale.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const ScalaReadResult read =
        parseScala(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!read.ok()) {
        if (read.detail == ScalaDetail::None) std::abort();  // a refusal names what is wrong
        return 0;
    }
    const ScaleMapResult mapped = mapScaleToPitchClasses(read.scale);
    if (!mapped.ok()) return 0;
    const FitOptions options{static_cast<int>(size % 12), size % 2 ? ZeroNote::A : ZeroNote::Tonic,
                             440.0};
    const FitResult fit = fitOffsets(mapped.offsets, options);
    if (!fit.ok()) std::abort();
    for (const NoteFit& note : fit.fit.notes)
        if (note.sent < kLowestSentOffset || note.sent > kHighestSentOffset) std::abort();
    fitReportRows(fit.fit);
    return 0;
}
