// The Standard MIDI File image of a SysEx list: format 0, one track, one
// SysEx event per message, End of Track after the last one.
#pragma once

#include <cstdint>

#include "output/ByteBuffer.h"

// `division`: ticks per quarter note (its low 16 bits are used); `delta`:
// ticks between consecutive messages. Messages are cut after each F7; bytes
// after the last F7 are ignored. Returns the byte count of `out`, or 0 when
// memory ran out.
uint32_t buildSysexSmf(const uint8_t* sysexList, uint32_t sysexLength, int32_t division,
                       int32_t delta, ByteBuffer& out);
