// What a receiver holds after the SysEx messages sent to it. Live sending
// sends only the messages of a new listing that would change it. Pure code,
// no device.
#pragma once

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

// One message of a SysEx list: bytes [offset, offset + size) of the list.
struct SysexSpan {
    uint32_t offset = 0;
    uint32_t size = 0;
};

// The whole messages of `list` as the listing's grammar cuts them
// (midi/MessageSplit.h), in order, with the channel messages after the SysEx
// of a key-based GM2 form grouped: the run of channel messages of one channel
// that follow each other counts as one message, sent and judged whole.
std::vector<SysexSpan> splitSysexList(const uint8_t* list, std::size_t length);

// True for a span of channel messages, which a device takes one by one as
// short messages.
bool isChannelRun(const uint8_t* message);

// The tuning dialects a receiver may accept side by side. They all retune the
// same notes, so a message of one may replace what another set. The MIDI
// Tuning Standard retunes channels (scale/octave) or the keys of tuning
// programs that channels select (single-note changes, bulk dumps); a
// receiver may keep both in one table, so they count as two dialects.
enum class TuningDialect : uint8_t { None, Gs, Xg, Mts, MtsKeys };

// One setting of a receiver. Two writes with equal slots set the same
// thing; equal values set it alike.
enum class SlotKind : uint8_t {
    GsAddress,         // device, address of a GS data set
    XgAddress,         // device, address of an XG parameter change
    MtsChannelScale,   // channel: its scale/octave tuning, whatever form set it
    MtsKey,            // tuning program and key
    MtsDumpName,       // tuning program
    MtsProgramSelect,  // channel
    CoarseTuning,      // channel: registered parameter 2, whatever the dialect
};

struct Slot {
    SlotKind kind;
    uint8_t device = 0;
    uint32_t number = 0;  // the address, the channel, or program << 7 | key
    bool operator==(const Slot& other) const {
        return kind == other.kind && device == other.device && number == other.number;
    }
};

struct SlotHash {
    std::size_t operator()(const Slot& slot) const {
        return std::hash<uint64_t>()(uint64_t{static_cast<uint8_t>(slot.kind)} << 40 | uint64_t{slot.device} << 32 |
                                     slot.number);
    }
};

// The bytes a slot is set to, kept in a string: most are short enough to
// need no allocation of their own, and live sending plans on every keystroke.
using SlotValue = std::string;

struct SlotWrite {
    Slot slot;
    SlotValue value;
};

// What one message writes. A message that names no slot (an empty channel
// map, a message of no known kind) is a setting of its own: it changes the
// receiver unless that very message was sent.
struct ReceiverWrites {
    TuningDialect dialect = TuningDialect::None;
    std::vector<SlotWrite> writes;
    bool ownSetting() const { return writes.empty(); }
};

// The settings `message` (one whole SysEx message) writes in a receiver:
//  - GS (Roland DT1): the block its address starts (header and address,
//    8 bytes), set to the whole message: a part's scale tuning;
//  - XG (Yamaha parameter change): the parameter of its header, part and
//    address (7 bytes): one note of a part's scale tuning;
//  - MTS scale/octave tuning, 1-byte form (F0 7E dd 08 08 ff gg hh, twelve
//    data bytes, F7) and 2-byte form (08 09, twelve pairs): the scale tuning
//    of each channel in its map, set to the device ID, the form and the data;
//  - MTS single-note tuning change (F0 7F dd 08 02 tt ll, ll keys) and bulk
//    dump (F0 7E dd 08 01 tt, name, 128 keys, checksum): each key of tuning
//    program tt, set to the device ID, the form and its three bytes (7F 7F
//    7F changes nothing), and for the dump the program's name;
//  - a run of channel messages that selects a tuning program (registered
//    parameter 3): the selection of its channel, set to the run; one that
//    sets the coarse tuning (registered parameter 2): that of its channel,
//    set to its data byte, in no tuning dialect;
//  - any other message: a setting of its own.
// What a message is comes from the one recogniser (midi/SysexMessages.h);
// every form a sender adds is decoded here, so that the state below knows
// what each message replaces.
ReceiverWrites receiverWrites(const uint8_t* message, std::size_t size);

class SysexDeviceState {
public:
    // The messages of `list` that would change what the receiver holds, in
    // list order: those that write a slot it holds another value in, or one
    // whose value is unknown. Each message is judged after the list's
    // earlier ones, as the receiver takes them.
    std::vector<SysexSpan> changedMessages(const uint8_t* list, std::size_t length) const;
    // The receiver finished `message`: its slots hold the message's values.
    // A message of another tuning dialect than the one held makes the slots
    // of the held dialect unknown: on a receiver that accepts both, the new
    // dialect may have replaced their tuning. An MTS scale/octave message
    // makes the channels outside its map that held other values unknown.
    void recordSent(const uint8_t* message, std::size_t size);
    // Bit n: channel n + 1 holds a coarse tuning other than none that `list`
    // does not set: a tuning without an A4 shift would leave it there.
    uint16_t coarseTuningsLeft(const uint8_t* list, std::size_t length) const;
    // Nothing is known about what the receiver holds.
    void clear() {
        held_.clear();
        ownSettings_.clear();
        coarseTunings_.clear();
        dialect_ = TuningDialect::None;
    }

private:
    bool wouldChange(const ReceiverWrites& writes, const uint8_t* message, std::size_t size) const;
    void record(ReceiverWrites&& writes, const uint8_t* message, std::size_t size);

    std::unordered_map<Slot, SlotValue, SlotHash> held_;  // every slot of dialect_ whose value is known
    std::set<SlotValue> ownSettings_;  // the messages sent that set a setting of their own
    // A channel's coarse tuning stays whatever tuning dialect retunes it.
    std::unordered_map<Slot, SlotValue, SlotHash> coarseTunings_;
    TuningDialect dialect_ = TuningDialect::None;  // the tuning dialect held_ holds
};
