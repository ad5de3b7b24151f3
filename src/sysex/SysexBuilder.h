// Builds the System Exclusive messages that retune the twelve pitch classes.
// Pure code: values in, bytes out; the dialog read-out sits in front of it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "midi/SysexMessages.h"  // rolandChecksum, gsPartBlock

// The value is also the index of the dialect list and of the MidiFormat key.
// Any other value of the underlying type is representable and yields nothing.
enum class TuningFormat : int32_t { GS = 0, XG = 1, GM2 = 2 };

// Offsets in cents for C, C#, ..., B. An empty entry is an edit that held no
// number; it counts as 0. Values outside -64..63 are clamped by the builder.
using ScaleOffsets = std::array<std::optional<int32_t>, 12>;

// The twelve data bytes (offset + 64) of the last build, C first.
using ScaleDataBytes = std::array<uint8_t, 12>;

constexpr std::size_t kSysexBufferSize = 10240;
constexpr std::size_t kGsMessageSize = kGsScaleTuningSize;
constexpr std::size_t kXgMessageSize = kXgScaleTuningSize;
constexpr std::size_t kGm2MessageSize = kMtsScaleOctave1ByteSize;
// XG with all sixteen parts: 16 * 12 * 9 bytes.
constexpr std::size_t kLargestSysexList = 1728;

// offset + 64 clamped to 00..7F; no number gives 40.
uint8_t offsetToDataByte(std::optional<int32_t> offset);

// Writes the data bytes of `offsets` into `scaleDataBytes` (always, even for an
// unknown format), then the messages of `format` for every selected part or
// channel (bit n = part or channel n + 1; bits 16..31 ignored) into `buffer`,
// which must hold kLargestSysexList bytes, and their byte count into `length`.
// Returns false for an unknown format and then leaves buffer and length alone.
bool buildSysexList(TuningFormat format, const ScaleOffsets& offsets,
                    uint32_t selection, ScaleDataBytes& scaleDataBytes,
                    uint8_t* buffer, uint32_t& length);
