#include "midiout/SysexDeviceState.h"

#include <initializer_list>
#include <optional>

#include "midi/ControlChanges.h"
#include "midi/MessageSplit.h"
#include "midi/StatusBytes.h"
#include "midi/SysexMessages.h"

namespace {

SlotValue valueOf(const uint8_t* bytes, std::size_t count) {
    return SlotValue(reinterpret_cast<const char*>(bytes), count);
}

SlotValue valueOf(std::initializer_list<uint8_t> bytes) { return valueOf(bytes.begin(), bytes.size()); }

uint32_t addressOf(const uint8_t* threeBytes) {
    return uint32_t{threeBytes[0]} << 16 | uint32_t{threeBytes[1]} << 8 | threeBytes[2];
}

void addMtsScaleOctave(const uint8_t* m, std::size_t size, ReceiverWrites& result) {
    // The value holds the device ID and the form (1-byte or 2-byte) with the
    // data: the same tuning in the other form is sent again.
    SlotValue value = valueOf({m[2], m[4]}) + valueOf(m + 8, size - 9);
    result.dialect = TuningDialect::Mts;
    const uint16_t map = mtsChannelMap(m + 5);
    for (uint8_t channel = 0; channel < 16; ++channel)
        if (map & (1u << channel)) result.writes.push_back({{SlotKind::MtsChannelScale, 0, channel}, value});
}

// The keys of tuning program tt, whatever message set them. The value holds
// the form, as the scale/octave value does: a receiver that ignores one form
// (FluidSynth takes no bulk dump) gets the keys again in the other.
void addMtsKeys(const uint8_t* m, const uint8_t* keys, std::size_t count, std::size_t stride, bool keyNumbered,
                ReceiverWrites& result) {
    const uint8_t program = m[5];
    result.dialect = TuningDialect::MtsKeys;
    for (std::size_t i = 0; i < count; ++i) {
        const uint8_t* entry = keys + i * stride;
        const uint32_t key = keyNumbered ? entry[0] : static_cast<uint32_t>(i);
        const uint8_t* tuning = keyNumbered ? entry + 1 : entry;
        if (isNoChange(tuning)) continue;
        result.writes.push_back(
            {{SlotKind::MtsKey, 0, uint32_t{program} << 7 | key}, valueOf({m[2], m[4], tuning[0], tuning[1], tuning[2]})});
    }
}

// The last data entry (MSB) of registered parameter `parameter` in the run.
std::optional<uint8_t> lastWrite(const uint8_t* run, std::size_t size, uint16_t parameter) {
    RegisteredParameters parameters;
    std::optional<uint8_t> value;
    forEachListedMessage(run, size, CutMessages::Drop, [&](const ListedMessage& message) {
        const uint8_t* m = run + message.offset;
        if (!isControlChange(m[0])) return;
        const auto write = parameters.control(m[0] & 0x0F, m[1], m[2]);
        if (write && write->parameter == parameter && !write->leastSignificant) value = write->value;
    });
    return value;
}

bool isCoarseTuning(const SlotWrite& write) { return write.slot.kind == SlotKind::CoarseTuning; }

}  // namespace

bool isChannelRun(const uint8_t* message) { return isChannelStatus(*message); }

std::vector<SysexSpan> splitSysexList(const uint8_t* list, std::size_t length) {
    std::vector<SysexSpan> messages;
    std::size_t runEnd = 0;
    forEachListedMessage(list, length, CutMessages::Drop, [&](const ListedMessage& message) {
        const uint8_t* at = list + message.offset;
        const bool continuesRun = !messages.empty() && isChannelRun(at) && message.offset == runEnd &&
                                  isChannelRun(list + messages.back().offset) &&
                                  (list[messages.back().offset] & 0x0F) == (at[0] & 0x0F);
        if (continuesRun)
            messages.back().size += static_cast<uint32_t>(message.size);
        else
            messages.push_back({static_cast<uint32_t>(message.offset), static_cast<uint32_t>(message.size)});
        runEnd = message.offset + message.size;
    });
    return messages;
}

ReceiverWrites receiverWrites(const uint8_t* message, std::size_t size) {
    ReceiverWrites result;
    if (isChannelRun(message)) {
        const uint32_t channel = message[0] & 0x0F;
        if (lastWrite(message, size, kRpnTuningProgram)) {
            result.dialect = TuningDialect::MtsKeys;
            result.writes.push_back({{SlotKind::MtsProgramSelect, 0, channel}, valueOf(message, size)});
        }
        if (const std::optional<uint8_t> coarse = lastWrite(message, size, kRpnCoarseTuning))
            result.writes.push_back({{SlotKind::CoarseTuning, 0, channel}, valueOf({*coarse})});
        return result;
    }
    const SysexFacts facts = recogniseSysex(message, size);
    switch (facts.kind) {
    case SysexKind::GsScaleTuning:
    case SysexKind::GsDataSet:
        result.dialect = TuningDialect::Gs;
        result.writes.push_back({{SlotKind::GsAddress, message[2], addressOf(message + 5)}, valueOf(message, size)});
        break;
    case SysexKind::XgScaleTuning:
    case SysexKind::XgParameterChange:
        result.dialect = TuningDialect::Xg;
        result.writes.push_back({{SlotKind::XgAddress, message[2], addressOf(message + 4)}, valueOf(message, size)});
        break;
    case SysexKind::MtsScaleOctave1Byte:
    case SysexKind::MtsScaleOctave2Byte:
        if (facts.wholeSize) addMtsScaleOctave(message, size, result);
        break;
    case SysexKind::MtsSingleNote:
        if (facts.wholeSize) addMtsKeys(message, message + 7, message[6], 4, true, result);
        break;
    case SysexKind::MtsBulkDump:
        if (!facts.wholeSize) break;
        addMtsKeys(message, message + 22, kMtsKeyCount, 3, false, result);
        result.writes.push_back({{SlotKind::MtsDumpName, 0, message[5]}, valueOf(message + 6, kMtsBulkDumpNameSize)});
        break;
    default: break;
    }
    if (result.ownSetting()) result.dialect = TuningDialect::None;
    return result;
}

bool SysexDeviceState::wouldChange(const ReceiverWrites& writes, const uint8_t* message, std::size_t size) const {
    if (writes.ownSetting()) return ownSettings_.count(valueOf(message, size)) == 0;
    // Slots of a dialect other than the one held are never held.
    for (const SlotWrite& write : writes.writes) {
        const auto& slots = isCoarseTuning(write) ? coarseTunings_ : held_;
        const auto held = slots.find(write.slot);
        if (held == slots.end() || held->second != write.value) return true;
    }
    return false;
}

void SysexDeviceState::record(ReceiverWrites&& writes, const uint8_t* message, std::size_t size) {
    if (writes.ownSetting()) {
        ownSettings_.insert(valueOf(message, size));
        return;
    }
    for (auto it = writes.writes.begin(); it != writes.writes.end();) {
        if (!isCoarseTuning(*it)) {
            ++it;
            continue;
        }
        coarseTunings_[it->slot] = std::move(it->value);
        it = writes.writes.erase(it);
    }
    if (writes.writes.empty()) return;
    if (writes.dialect != dialect_) {
        held_.clear();
        dialect_ = writes.dialect;
    }
    // A receiver may keep one scale for every channel (FluidSynth does): a
    // scale/octave message may have retuned the channels outside its map
    // too, so those that held other values are unknown from here on.
    if (writes.dialect == TuningDialect::Mts) {
        const SlotValue& value = writes.writes.front().value;
        for (auto it = held_.begin(); it != held_.end();)
            it = it->second != value ? held_.erase(it) : std::next(it);
    }
    for (SlotWrite& write : writes.writes) held_[write.slot] = std::move(write.value);
}

std::vector<SysexSpan> SysexDeviceState::changedMessages(const uint8_t* list, std::size_t length) const {
    std::vector<SysexSpan> changed = splitSysexList(list, length);
    // A later message of the list may set again what an earlier one changed,
    // so each is judged against the receiver as the earlier ones left it.
    SysexDeviceState receiver = *this;
    std::size_t kept = 0;
    for (const SysexSpan& span : changed) {
        const uint8_t* message = list + span.offset;
        ReceiverWrites writes = receiverWrites(message, span.size);
        if (receiver.wouldChange(writes, message, span.size)) {
            changed[kept++] = span;
            receiver.record(std::move(writes), message, span.size);
        }
    }
    changed.resize(kept);
    return changed;
}

void SysexDeviceState::recordSent(const uint8_t* message, std::size_t size) {
    record(receiverWrites(message, size), message, size);
}

uint16_t SysexDeviceState::coarseTuningsLeft(const uint8_t* list, std::size_t length) const {
    uint16_t left = 0;
    for (const auto& [slot, value] : coarseTunings_)
        if (value != valueOf({kCoarseTuningNone})) left |= static_cast<uint16_t>(1u << slot.number);
    // The common case, on every keystroke of live sending: no shift held.
    if (left == 0) return 0;
    for (const SysexSpan& span : splitSysexList(list, length)) {
        for (const SlotWrite& write : receiverWrites(list + span.offset, span.size).writes)
            if (isCoarseTuning(write)) left &= static_cast<uint16_t>(~(1u << write.slot.number));
    }
    return left;
}
