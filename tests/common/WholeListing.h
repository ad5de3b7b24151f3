// The listing a whole rebuild gives for some inputs, made with the core's own
// builder and formatter: what the window's listing must equal after any change.
#pragma once

#include <cstdint>
#include <string>

#include "sysex/HexListing.h"
#include "sysex/SysexBuilder.h"

struct ListingInputs {
    TuningFormat format;
    ScaleOffsets offsets;
    uint32_t parts;
};

inline std::string wholeListing(const ListingInputs& inputs) {
    ScaleDataBytes data;
    uint8_t buffer[kSysexBufferSize];
    uint32_t length = 0;
    if (!buildSysexList(inputs.format, inputs.offsets, inputs.parts, data, buffer, length)) return {};
    return formatHexListing(buffer, length);
}
