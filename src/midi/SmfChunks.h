// The chunk framing of a Standard MIDI File and of its RIFF RMID wrapper.
#pragma once

#include <cstdint>

constexpr uint32_t kChunkHeaderSize = 8;    // four letters, then a 32-bit length
constexpr uint32_t kHeaderChunkSize = 14;   // "MThd", 6, format, tracks, division
constexpr uint32_t kRiffFormHeaderSize = 12;  // "RIFF", its size, "RMID"
