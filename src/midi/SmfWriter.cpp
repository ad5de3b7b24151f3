#include "midi/SmfWriter.h"

RiffRewrap rewrapRiff(uint32_t riffSize, std::size_t oldData, std::size_t oldDataEnd, std::size_t newData) {
    const std::size_t riffEnd = kChunkHeaderSize + static_cast<std::size_t>(riffSize);
    const bool oldPad = (oldData & 1) && oldDataEnd < riffEnd;
    const bool pads = !(oldData & 1) || oldPad;
    RiffRewrap rewrap;
    rewrap.oldPadded = oldData + (oldPad ? 1 : 0);
    rewrap.pad = (newData & 1) && pads;
    rewrap.dataSize = static_cast<uint32_t>(newData);
    rewrap.riffSize = static_cast<uint32_t>(riffSize + (newData + (rewrap.pad ? 1 : 0)) - rewrap.oldPadded);
    return rewrap;
}
