#include "tuning/TuningFileReader.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "midi/ControlChanges.h"
#include "midi/MessageSplit.h"
#include "midi/SysexMessages.h"
#include "tuning/KeyPitch.h"

namespace {

constexpr uint16_t kAllPitchClasses = 0x0FFF;

// A SysEx message of the file, numbered as the warnings name it.
struct FileMessage {
    const uint8_t* bytes;  // from F0
    std::size_t size;
    bool complete;
};

TuningGroup groupOf(SysexKind kind) {
    switch (kind) {
    case SysexKind::GsScaleTuning: return TuningGroup::Gs;
    case SysexKind::XgScaleTuning: return TuningGroup::Xg;
    case SysexKind::MtsSingleNote:
    case SysexKind::MtsBulkDump: return TuningGroup::Gm2Keys;
    default: return TuningGroup::Gm2Channels;
    }
}

MtsForm formOf(SysexKind kind) {
    switch (kind) {
    case SysexKind::MtsScaleOctave2Byte: return MtsForm::ScaleOctave2Byte;
    case SysexKind::MtsSingleNote: return MtsForm::SingleNote;
    case SysexKind::MtsBulkDump: return MtsForm::BulkDump;
    default: return MtsForm::ScaleOctave1Byte;
    }
}

// The forms this reads; the other MTS messages (dumps with banks, the
// scale/octave dumps) carry nothing it could show.
bool isReadKind(SysexKind kind) {
    switch (kind) {
    case SysexKind::GsScaleTuning:
    case SysexKind::XgScaleTuning:
    case SysexKind::MtsScaleOctave1Byte:
    case SysexKind::MtsScaleOctave2Byte:
    case SysexKind::MtsSingleNote:
    case SysexKind::MtsBulkDump: return true;
    default: return false;
    }
}

int32_t mts2Cents(uint8_t msb, uint8_t lsb) {
    const int value = fourteenBits(msb, lsb) - 0x2000;
    return static_cast<int32_t>(std::round(value * 100.0 / 8192.0));
}

constexpr int kKeyCount = static_cast<int>(kMtsKeyCount);
constexpr int kMiddleC = 60;

// The cents of a key's tuning (semitone and 14-bit fraction) above the key
// itself, to the nearest; halves away from zero.
int32_t keyCents(int key, int32_t tuning) {
    return static_cast<int32_t>(
        std::lround((tuning - key * kMtsStepsPerSemitone) * 100.0 / kMtsStepsPerSemitone));
}

class TuningCollector {
public:
    void add(const FileMessage& message, std::size_t number) {
        const SysexFacts facts = recogniseSysex(message.bytes, message.size);
        if (!isReadKind(facts.kind)) return;
        if (!message.complete || !facts.wholeSize) {
            if (firstTruncated_ == 0) firstTruncated_ = number;
            warn(TuningWarningKind::IncompleteMessage, number);
            return;
        }
        if (!acceptGroup(facts.kind, number)) return;
        const uint8_t* b = message.bytes;
        switch (facts.kind) {
        case SysexKind::GsScaleTuning: addGs(facts, b, message.size, number); break;
        case SysexKind::XgScaleTuning: addXg(b, number); break;
        case SysexKind::MtsScaleOctave1Byte:
        case SysexKind::MtsScaleOctave2Byte: addScaleOctave(facts.kind, b); break;
        case SysexKind::MtsSingleNote:
            if (!acceptProgram(b[5], number)) return;
            for (std::size_t i = 0; i < b[6]; ++i) setKey(b[7 + 4 * i], b + 8 + 4 * i);
            break;
        case SysexKind::MtsBulkDump:
            if (!facts.checksumOk) {
                warn(TuningWarningKind::BadChecksum, number);
                return;
            }
            if (!acceptProgram(b[5], number)) return;
            for (int key = 0; key < kKeyCount; ++key) setKey(static_cast<uint8_t>(key), b + 22 + 3 * key);
            break;
        default: break;
        }
    }

    void control(uint8_t status, uint8_t controller, uint8_t value) {
        programSelects_.control(status & 0x0F, controller, value);
        channelTunings_.control(status & 0x0F, controller, value);
    }

    void finish(TuningReadResult& result) {
        result.group = group_;
        uint16_t present = 0;
        for (int part = 0; part < 16; ++part)
            if (parts_[part].received) present |= static_cast<uint16_t>(1u << part);
        if (present == 0 && !anyKey_) {
            if (firstTruncated_ != 0) {
                result.error = TuningReadError::Truncated;
                result.messageNumber = firstTruncated_;
            } else {
                result.error = TuningReadError::NoTuningMessage;
            }
            result.warnings = std::move(warnings_);
            return;
        }

        result.format = group_ == TuningGroup::Gs   ? TuningFormat::GS
                        : group_ == TuningGroup::Xg ? TuningFormat::XG
                                                    : TuningFormat::GM2;
        if (result.format == TuningFormat::GM2) result.mtsForm = form_;
        if (group_ == TuningGroup::Gm2Keys) {
            finishKeys(result);
            finishA4(result);
            return;
        }
        for (int part = 0; part < 16; ++part) {
            const PartState& state = parts_[part];
            if (!state.received || state.received == kAllPitchClasses) continue;
            warn(TuningWarningKind::IncompletePart, 0, static_cast<uint16_t>(1u << part),
                 static_cast<uint16_t>(~state.received & kAllPitchClasses));
        }

        int lowest = 0;
        while (!(present & (1u << lowest))) ++lowest;
        const PartState& chosen = parts_[lowest];
        uint16_t others = 0;
        for (int part = 0; part < 16; ++part) {
            if (!(present & (1u << part))) continue;
            if (parts_[part].offsets == chosen.offsets)
                result.parts |= static_cast<uint16_t>(1u << part);
            else
                others |= static_cast<uint16_t>(1u << part);
        }
        holdOffsets(chosen.offsets, result);
        result.hundredths = chosen.hundredths;
        if (others) warn(TuningWarningKind::OtherPartsDiffer, 0, others);
        result.warnings = std::move(warnings_);
        finishA4(result);
    }

private:
    struct PartState {
        std::array<int32_t, 12> offsets{};
        std::array<int32_t, 12> hundredths{};
        uint16_t received = 0;
    };

    void finishA4(TuningReadResult& result) const {
        const uint16_t tuned = channelTunings_.tunedChannels();
        if (tuned == 0) return;
        const uint16_t chosen = (tuned & result.parts) ? (tuned & result.parts) : tuned;
        int channel = 0;
        while (!(chosen & (1u << channel))) ++channel;
        const double cents = channelTunings_.cents(channel);
        result.impliedA4Hz = keyHz(kA4Key, kStandardA4Hz, cents + result.hundredths[9] / 100.0);
        if (std::fmod(cents, 100.0) == 0) result.coarseSemitones = static_cast<int32_t>(cents / 100.0);
    }

    // Key-based messages after channel-based ones, and the other way round,
    // are another group too.
    bool acceptGroup(SysexKind kind, std::size_t number) {
        const TuningGroup group = groupOf(kind);
        if (!haveGroup_) {
            haveGroup_ = true;
            group_ = group;
            form_ = formOf(kind);
            return true;
        }
        if (group == group_) return true;
        if (!(ignoredGroups_ & (1u << static_cast<int>(group)))) {
            ignoredGroups_ |= 1u << static_cast<int>(group);
            TuningReadWarning warning{TuningWarningKind::OtherFormatIgnored, 0, 0, number};
            warning.skippedGroup = group;
            warnings_.push_back(warning);
        }
        return false;
    }

    void addGs(const SysexFacts& facts, const uint8_t* b, std::size_t size, std::size_t number) {
        if (!facts.checksumOk) {
            warn(TuningWarningKind::BadChecksum, number);
            return;
        }
        const GsScaleTuningRange range = gsScaleTuningRange(b, size);
        for (int i = 0; i < range.count; ++i) setWhole(range.part - 1, range.firstPitchClass + i, b[8 + i] - 64);
    }

    void addXg(const uint8_t* b, std::size_t number) {
        if (b[5] > 15) {
            if (!xgPartOutOfRangeWarned_) {
                xgPartOutOfRangeWarned_ = true;
                warn(TuningWarningKind::PartOutOfRange, number);
            }
            return;
        }
        setWhole(b[5], b[6] - 0x41, b[7] - 64);
    }

    void addScaleOctave(SysexKind kind, const uint8_t* b) {
        const uint16_t channels = mtsChannelMap(b + 5);
        for (int part = 0; part < 16; ++part) {
            if (!(channels & (1u << part))) continue;
            for (int k = 0; k < 12; ++k) {
                if (kind == SysexKind::MtsScaleOctave1Byte)
                    setWhole(part, k, b[8 + k] - 64);
                else
                    set(part, k, mts2Cents(b[8 + 2 * k], b[9 + 2 * k]),
                        hundredthsOf2ByteValue(fourteenBits(b[8 + 2 * k], b[9 + 2 * k])));
            }
        }
    }

    void setWhole(int part, int pitchClass, int32_t offset) { set(part, pitchClass, offset, offset * 100); }

    void set(int part, int pitchClass, int32_t offset, int32_t hundredths) {
        parts_[part].offsets[pitchClass] = offset;
        parts_[part].hundredths[pitchClass] = hundredths;
        parts_[part].received |= static_cast<uint16_t>(1u << pitchClass);
    }

    // The key-based messages of the first tuning program are read; the others
    // are skipped, with one warning.
    bool acceptProgram(uint8_t program, std::size_t number) {
        if (!haveProgram_) {
            haveProgram_ = true;
            program_ = program;
        }
        if (program == program_) return true;
        if (!otherProgramWarned_) {
            otherProgramWarned_ = true;
            warn(TuningWarningKind::OtherProgramIgnored, number);
        }
        return false;
    }
    void setKey(uint8_t key, const uint8_t* tuning) {
        if (key >= kKeyCount || isNoChange(tuning)) return;
        keys_[key] = keyTuningSteps(tuning);
        keyReceived_[key] = true;
        anyKey_ = true;
    }

    void finishKeys(TuningReadResult& result) {
        result.program = program_;
        for (int key = 0; key < kKeyCount; ++key)
            if (keyReceived_[key]) result.keySteps[key] = keys_[key];
        std::array<int32_t, 12> offsets{};
        uint16_t missing = 0;
        for (int k = 0; k < 12; ++k) {
            const int key = kMiddleC + k;
            if (keyReceived_[key]) {
                offsets[k] = keyCents(key, keys_[key]);
                result.hundredths[k] = hundredthsOfKeySteps(keys_[key] - key * kMtsStepsPerSemitone);
            } else
                missing |= static_cast<uint16_t>(1u << k);
        }
        if (missing) warn(TuningWarningKind::IncompleteKeys, 0, 0, missing);
        holdOffsets(offsets, result);

        // A key beyond what the forms carry is held at 00 00 00 or 7F 7F 7E,
        // or at 7F 00 00 as earlier versions held it; within half a cent a
        // key agrees.
        constexpr int32_t kEarlierHighest = (kKeyCount - 1) * kMtsStepsPerSemitone;
        uint16_t differ = 0;
        for (int key = 0; key < kKeyCount; ++key) {
            if (!keyReceived_[key] || (key >= kMiddleC && key < kMiddleC + 12)) continue;
            const int32_t target = key * kMtsStepsPerSemitone +
                static_cast<int32_t>(std::lround(offsets[key % 12] * kMtsStepsPerSemitone / 100.0));
            const int32_t expected = std::clamp(target, 0, kHighestKeySteps);
            const bool heldEarlier = keys_[key] == kEarlierHighest && target > kEarlierHighest;
            if (!heldEarlier && std::abs(keys_[key] - expected) * 200 > kMtsStepsPerSemitone)
                differ |= static_cast<uint16_t>(1u << (key % 12));
        }
        if (differ) warn(TuningWarningKind::OtherOctavesDiffer, 0, 0, differ);
        result.parts = programSelects_.channelsSelecting(program_, 0);
        result.warnings = std::move(warnings_);
    }

    // Takes `offsets` into the result, each held within -64..63, with a
    // warning naming those that were not.
    void holdOffsets(const std::array<int32_t, 12>& offsets, TuningReadResult& result) {
        uint16_t held = 0;
        for (int k = 0; k < 12; ++k) {
            result.offsets[k] = std::clamp(offsets[k], int32_t{-64}, int32_t{63});
            if (result.offsets[k] != offsets[k]) held |= static_cast<uint16_t>(1u << k);
        }
        if (held) warn(TuningWarningKind::OffsetsHeld, 0, 0, held);
    }

    void warn(TuningWarningKind kind, std::size_t number, uint16_t parts = 0, uint16_t pitchClasses = 0) {
        warnings_.push_back({kind, parts, pitchClasses, number});
    }

    PartState parts_[16];
    int32_t keys_[kKeyCount] = {};
    bool keyReceived_[kKeyCount] = {};
    bool anyKey_ = false;
    uint8_t program_ = 0;
    bool haveProgram_ = false;
    bool otherProgramWarned_ = false;
    TuningProgramSelects programSelects_;
    ChannelTunings channelTunings_;
    std::vector<TuningReadWarning> warnings_;
    TuningGroup group_ = TuningGroup::Gs;
    MtsForm form_ = MtsForm::ScaleOctave1Byte;
    bool haveGroup_ = false;
    unsigned ignoredGroups_ = 0;
    bool xgPartOutOfRangeWarned_ = false;
    std::size_t firstTruncated_ = 0;
};

// A listing's SysEx messages, cut ones included, and its control changes.
void collectListing(const uint8_t* bytes, std::size_t size, TuningCollector& collector, std::size_t& number) {
    forEachListedMessage(bytes, size, CutMessages::Keep, [&](const ListedMessage& message) {
        const uint8_t* at = bytes + message.offset;
        if (message.isSysex(bytes))
            collector.add({at, message.size, message.complete}, ++number);
        else if (message.complete && isControlChange(at[0]))
            collector.control(at[0], at[1], at[2]);
    });
}

bool isWhiteSpace(uint8_t c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

int hexDigit(uint8_t c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool decodeHexText(const uint8_t* text, std::size_t size, std::vector<uint8_t>& out,
                   TuningReadResult& result) {
    std::size_t i = 0;
    if (size >= 3 && text[0] == 0xEF && text[1] == 0xBB && text[2] == 0xBF) i = 3;
    std::size_t line = 1;
    out.reserve(size / 3 + 1);
    while (i < size) {
        if (isWhiteSpace(text[i])) {
            if (text[i] == '\n') ++line;
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < size && !isWhiteSpace(text[end])) ++end;
        const int high = hexDigit(text[i]);
        const int low = end - i == 2 ? hexDigit(text[i + 1]) : -1;
        if (high < 0 || low < 0) {
            result.error = TuningReadError::BadHexText;
            result.line = line;
            return false;
        }
        out.push_back(static_cast<uint8_t>(high << 4 | low));
        i = end;
    }
    return true;
}

char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The SysEx and control-change events of a MIDI file in the order they
// sound, read into the collector; false when the reader refuses the file.
bool collectMidiFile(const uint8_t* bytes, std::size_t size, TuningCollector& collector, TuningReadResult& result) {
    SmfLayout layout;
    struct Timed {
        uint64_t tick;
        std::vector<uint8_t> message;  // a SysEx from F0, or a control change's three bytes
    };
    std::vector<Timed> timed;
    SmfFault fault = readSmfLayout(bytes, size, layout);
    if (fault.ok())
        fault = forEachTrackEvent(bytes, layout, [&](uint32_t, const TrackEvent& event) {
            const uint8_t* data = bytes + event.dataOffset;
            if (event.isSysex()) {
                Timed sysex{event.tick, {kSysexStart}};
                sysex.message.insert(sysex.message.end(), data, data + event.dataLength);
                timed.push_back(std::move(sysex));
            } else if (isControlChange(event.status)) {
                timed.push_back({event.tick, {event.status, data[0], data[1]}});
            }
        });
    if (!fault.ok()) {
        result.error = TuningReadError::DamagedMidiFile;
        result.midiFault = fault;
        return false;
    }
    std::stable_sort(timed.begin(), timed.end(), [](const Timed& a, const Timed& b) { return a.tick < b.tick; });
    // An event's bytes are cut as a listing's, so an event without its F7
    // counts as cut short.
    std::size_t number = 0;
    for (const Timed& event : timed) collectListing(event.message.data(), event.message.size(), collector, number);
    return true;
}

}  // namespace

bool endsWithNoCase(std::string_view text, std::string_view suffix) {
    if (text.size() < suffix.size()) return false;
    text.remove_prefix(text.size() - suffix.size());
    for (std::size_t i = 0; i < suffix.size(); ++i)
        if (lowerAscii(text[i]) != suffix[i]) return false;
    return true;
}

TuningFileKind tuningFileKindFromName(std::string_view fileName) {
    if (endsWithNoCase(fileName, ".syx")) return TuningFileKind::Syx;
    if (endsWithNoCase(fileName, ".mid") || endsWithNoCase(fileName, ".midi") || endsWithNoCase(fileName, ".rmi"))
        return TuningFileKind::Mid;
    if (endsWithNoCase(fileName, ".txt")) return TuningFileKind::Txt;
    if (endsWithNoCase(fileName, ".scl")) return TuningFileKind::Scl;
    return TuningFileKind::Unknown;
}

TuningFileKind savedFileKindFromName(std::string_view fileName) {
    const TuningFileKind kind = tuningFileKindFromName(fileName);
    if (kind == TuningFileKind::Syx || kind == TuningFileKind::Txt) return kind;
    return endsWithNoCase(fileName, ".mid") ? TuningFileKind::Mid : TuningFileKind::Unknown;
}

ScaleOffsets TuningReadResult::scaleOffsets() const {
    ScaleOffsets result;
    for (int k = 0; k < 12; ++k) result[k] = offsets[k];
    return result;
}

std::optional<KeyOffsets> keyboardKeysRead(const TuningReadResult& result) {
    if (!result.ok() || result.format != TuningFormat::GM2 || !isKeyBasedForm(result.mtsForm)) return std::nullopt;
    const bool allSet = std::all_of(result.keySteps.begin(), result.keySteps.end(),
                                    [](const std::optional<int32_t>& steps) { return steps.has_value(); });
    const bool octavesDiffer = std::any_of(result.warnings.begin(), result.warnings.end(), [](const TuningReadWarning& w) {
        return w.kind == TuningWarningKind::OtherOctavesDiffer;
    });
    if (allSet && !octavesDiffer) return std::nullopt;
    KeyOffsets keys;
    for (int key = 0; key < kKeyCount; ++key)
        if (result.keySteps[key]) keys[key] = hundredthsOfKeySteps(*result.keySteps[key] - key * kMtsStepsPerSemitone);
    return keys;
}

bool aboutTwelveOffsets(TuningWarningKind kind) {
    return kind == TuningWarningKind::OffsetsHeld || kind == TuningWarningKind::OtherOctavesDiffer ||
           kind == TuningWarningKind::IncompleteKeys;
}

TuningReadResult readTuningFile(TuningFileKind kind, const uint8_t* bytes, std::size_t size) {
    TuningReadResult result;
    if (size > kMaxTuningFileBytes) {
        result.error = TuningReadError::FileTooLarge;
        return result;
    }
    std::vector<uint8_t> decoded;
    TuningCollector collector;
    std::size_t number = 0;
    switch (kind) {
    case TuningFileKind::Syx: collectListing(bytes, size, collector, number); break;
    case TuningFileKind::Txt:
        if (!decodeHexText(bytes, size, decoded, result)) return result;
        collectListing(decoded.data(), decoded.size(), collector, number);
        break;
    case TuningFileKind::Mid:
        if (!collectMidiFile(bytes, size, collector, result)) return result;
        break;
    default:
        result.error = TuningReadError::UnsupportedKind;
        return result;
    }
    collector.finish(result);
    return result;
}
