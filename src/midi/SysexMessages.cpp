#include "midi/SysexMessages.h"

#include <initializer_list>

#include "midi/StatusBytes.h"

namespace {

constexpr uint8_t kRoland = 0x41;
constexpr uint8_t kYamaha = 0x43;
constexpr uint8_t kNonRealTime = 0x7E;
constexpr uint8_t kRealTime = 0x7F;
constexpr uint8_t kGsModel = 0x42;
constexpr uint8_t kGsDataSet = 0x12;
constexpr uint8_t kXgModel = 0x4C;
constexpr uint8_t kMtsSubId = 0x08;
constexpr uint8_t kGeneralMidiSubId = 0x09;
constexpr int kAnyDataByte = -1;

// The bytes of one message, numbered from its F0 as the standards number
// them; the F0 itself need not be stored.
class Message {
public:
    Message(const uint8_t* afterF0, std::size_t size) : afterF0_(afterF0), size_(size) {}
    std::size_t size() const { return size_; }
    // i >= 1: the F0 itself is never asked for.
    uint8_t operator[](std::size_t i) const { return afterF0_[i - 1]; }
    const uint8_t* at(std::size_t i) const { return afterF0_ + i - 1; }  // i >= 1
    bool terminated() const { return size_ >= 2 && afterF0_[size_ - 2] == kSysexEnd; }
    // Exactly `pattern` after F0, kAnyDataByte standing for any data byte.
    bool is(std::initializer_list<int> pattern) const {
        if (size_ != pattern.size() + 1) return false;
        std::size_t i = 1;
        for (int expected : pattern) {
            const uint8_t byte = (*this)[i++];
            if (expected == kAnyDataByte ? !isDataByte(byte) : byte != expected) return false;
        }
        return true;
    }

private:
    const uint8_t* afterF0_;
    std::size_t size_;  // from F0
};

bool isXgDevice(uint8_t byte) { return (byte & 0xF0) == 0x10; }

// Each reset has one size; the patterns are only compared at that size.
SysexKind resetKind(const Message& m) {
    constexpr int any = kAnyDataByte;
    switch (m[1]) {
    case kRoland:
        if (m.size() != 11) break;
        if (m.is({kRoland, any, kGsModel, kGsDataSet, 0x40, 0x00, 0x7F, 0x00, 0x41, kSysexEnd})) return SysexKind::GsReset;
        if (m.is({kRoland, any, kGsModel, kGsDataSet, 0x00, 0x00, 0x7F, any, any, kSysexEnd}))
            return SysexKind::GsSystemMode;
        break;
    case kYamaha:
        // Every XG parameter change of one value is 9 bytes: the resets'
        // address 00 00 tells them apart before any pattern is compared.
        if (m.size() != 9 || !isXgDevice(m[2]) || m[4] != 0x00 || m[5] != 0x00) break;
        if (m.is({kYamaha, any, kXgModel, 0x00, 0x00, 0x7E, 0x00, kSysexEnd})) return SysexKind::XgSystemOn;
        if (m.is({kYamaha, any, kXgModel, 0x00, 0x00, 0x7F, 0x00, kSysexEnd})) return SysexKind::XgAllParameterReset;
        break;
    case kNonRealTime:
        if (m.size() != 6) break;
        if (m.is({kNonRealTime, any, kGeneralMidiSubId, 0x01, kSysexEnd})) return SysexKind::GmSystemOn;
        if (m.is({kNonRealTime, any, kGeneralMidiSubId, 0x02, kSysexEnd})) return SysexKind::GmSystemOff;
        if (m.is({kNonRealTime, any, kGeneralMidiSubId, 0x03, kSysexEnd})) return SysexKind::Gm2SystemOn;
        break;
    default: break;
    }
    return SysexKind::Other;
}

bool isGsDataSet(const Message& m) {
    return m.size() > 8 && m[1] == kRoland && m[3] == kGsModel && m[4] == kGsDataSet;
}
bool isXgParameterChange(const Message& m) {
    return m.size() > 7 && m[1] == kYamaha && isXgDevice(m[2]) && m[3] == kXgModel;
}

SysexKind mtsKind(const Message& m) {
    if (m.size() < 5 || (m[1] != kNonRealTime && m[1] != kRealTime) || m[3] != kMtsSubId) return SysexKind::Other;
    switch (m[4]) {
    case 0x08: return SysexKind::MtsScaleOctave1Byte;
    case 0x09: return SysexKind::MtsScaleOctave2Byte;
    case 0x02: return SysexKind::MtsSingleNote;
    case 0x07: return SysexKind::MtsSingleNoteBank;
    case 0x01: return SysexKind::MtsBulkDump;
    case 0x04:
    case 0x05:
    case 0x06: return SysexKind::MtsOtherDump;
    default: return SysexKind::Other;
    }
}

SysexKind tuningKind(const Message& m) {
    if (isGsDataSet(m) && m[5] == 0x40 && (m[6] & 0xF0) == 0x10 && m[7] >= 0x40 && m[7] <= 0x4B)
        return SysexKind::GsScaleTuning;
    if (isXgParameterChange(m) && m[4] == 0x08 && m[6] >= 0x41 && m[6] <= 0x4C) return SysexKind::XgScaleTuning;
    return mtsKind(m);
}

// GS: F0 41 dd 42 12, three address bytes, data, checksum, F7.
constexpr std::size_t kGsFraming = 10;

bool hasWholeSize(SysexKind kind, const Message& m) {
    if (!m.terminated()) return false;
    switch (kind) {
    case SysexKind::GsScaleTuning: {
        if (m.size() <= kGsFraming) return false;
        const std::size_t data = m.size() - kGsFraming;
        return (m[7] - 0x40) + data <= 12;
    }
    case SysexKind::XgScaleTuning: return m.size() == kXgScaleTuningSize;
    case SysexKind::MtsScaleOctave1Byte: return m.size() == kMtsScaleOctave1ByteSize;
    case SysexKind::MtsScaleOctave2Byte: return m.size() == kMtsScaleOctave2ByteSize;
    case SysexKind::MtsSingleNote: return m.size() >= 8 && m.size() == mtsSingleNoteSize(m[6]);
    case SysexKind::MtsBulkDump: return m.size() == kMtsBulkDumpSize;
    default: return true;
    }
}

// Only messages of the three IDs can be anything but Other.
bool mayBeKnown(const Message& m) {
    if (m.size() < 5) return false;
    const uint8_t id = m[1];
    return id == kRoland || id == kYamaha || id == kNonRealTime || id == kRealTime;
}

SysexFacts recognise(const Message& m) {
    SysexFacts facts;
    facts.terminated = m.terminated();
    facts.deviceId = m.size() > 2 ? m[2] : 0;
    if (!mayBeKnown(m)) {
        facts.wholeSize = true;
        return facts;
    }
    facts.kind = resetKind(m);
    if (facts.kind != SysexKind::Other) {
        facts.wholeSize = true;
        return facts;
    }
    facts.kind = tuningKind(m);
    if (facts.kind == SysexKind::Other) {
        if (isGsDataSet(m))
            facts.kind = SysexKind::GsDataSet;
        else if (isXgParameterChange(m))
            facts.kind = SysexKind::XgParameterChange;
    }
    facts.wholeSize = hasWholeSize(facts.kind, m);
    if ((facts.kind == SysexKind::GsScaleTuning || facts.kind == SysexKind::GsDataSet) && facts.terminated) {
        // Over the address and the data.
        facts.checksumOk = rolandChecksum(m.at(5), m.size() - 7) == m[m.size() - 2];
    }
    if (facts.kind == SysexKind::MtsBulkDump && facts.wholeSize)
        facts.checksumOk = mtsChecksum(m.at(1), kMtsBulkDumpSize - 3) == m[kMtsBulkDumpSize - 2];
    return facts;
}

}  // namespace

SysexFacts recogniseSysex(const uint8_t* message, std::size_t size) {
    if (size == 0 || message[0] != kSysexStart) return {};
    return recognise(Message(message + 1, size));
}

SysexFacts recogniseSysexEvent(const uint8_t* afterF0, std::size_t size) {
    return recognise(Message(afterF0, size + 1));
}

uint8_t rolandChecksum(const uint8_t* bytes, std::size_t count) {
    uint32_t sum = 0;
    for (std::size_t i = 0; i < count; ++i) sum += bytes[i];
    return static_cast<uint8_t>((128 - sum % 128) % 128);
}

uint8_t mtsChecksum(const uint8_t* bytes, std::size_t count) {
    uint8_t sum = 0;
    for (std::size_t i = 0; i < count; ++i) sum ^= bytes[i];
    return sum & 0x7F;
}

uint8_t gsPartBlock(int part) {
    if (part == 10) return 0x10;
    return static_cast<uint8_t>(part < 10 ? 0x10 + part : 0x10 + part - 1);
}

int gsPartOfBlock(uint8_t block) {
    const int low = block & 0x0F;
    if (low == 0) return 10;
    return low < 10 ? low : low + 1;
}

GsScaleTuningRange gsScaleTuningRange(const uint8_t* message, std::size_t size) {
    return {gsPartOfBlock(message[6]), message[7] - 0x40, static_cast<int>(size - kGsFraming)};
}

uint16_t mtsChannelMap(const uint8_t* threeBytes) {
    return static_cast<uint16_t>((threeBytes[0] & 0x03) << 14 | (threeBytes[1] & 0x7F) << 7 | (threeBytes[2] & 0x7F));
}

std::array<uint8_t, 3> mtsChannelMapBytes(uint16_t channels) {
    return {static_cast<uint8_t>(channels >> 14 & 0x03), static_cast<uint8_t>(channels >> 7 & 0x7F),
            static_cast<uint8_t>(channels & 0x7F)};
}
