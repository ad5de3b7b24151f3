// The Standard MIDI File image of a SysEx list: format 0, one track, one
// SysEx event per message, End of Track after the last one.
#pragma once

#include <cstdint>

#include "output/ByteBuffer.h"

// `division`: its low 16 bits, ticks per quarter note or an SMPTE rate and
// ticks a frame; a high byte with bit 15 set that names no SMPTE rate (-24,
// -25, -29, -30) writes 0. `delta`: ticks between consecutive messages. The list is cut into its whole SysEx
// messages as midi/MessageSplit.h cuts a listing; a message cut short at the
// end is left out. Returns the byte count of `out`, or 0 when memory ran out.
uint32_t buildSysexSmf(const uint8_t* sysexList, uint32_t sysexLength, int32_t division,
                       int32_t delta, ByteBuffer& out);

// The same with channel messages (status byte first, as ChannelMessageList
// holds them) after the SysEx: one event per message, a channel's messages
// at one tick, `delta` ticks after the event before them. Running status
// shortens repeated status bytes.
uint32_t buildTuningSmf(const uint8_t* sysexList, uint32_t sysexLength,
                        const uint8_t* channelMessages, uint32_t channelLength, int32_t division,
                        int32_t delta, ByteBuffer& out);
