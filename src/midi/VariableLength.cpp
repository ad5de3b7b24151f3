#include "midi/VariableLength.h"

VariableLengthRead decodeVariableLength(const uint8_t* at, const uint8_t* end) {
    VariableLengthRead read;
    for (std::size_t i = 0; i < kMaxVariableLengthBytes; ++i) {
        if (at + i >= end) return read;
        read.value = read.value << 7 | (at[i] & 0x7F);
        if (!(at[i] & 0x80)) {
            read.status = VariableLengthStatus::Read;
            read.length = i + 1;
            return read;
        }
    }
    read.status = VariableLengthStatus::TooLong;
    return read;
}
