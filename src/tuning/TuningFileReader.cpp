#include "tuning/TuningFileReader.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "tuning/NoteNames.h"
#include "tuning/SmfReader.h"

namespace {

constexpr uint8_t kSysexStart = 0xF0;
constexpr uint8_t kSysexEnd = 0xF7;
constexpr uint16_t kAllPitchClasses = 0x0FFF;

struct MessageSpan {
    const uint8_t* bytes;
    std::size_t size;  // up to and including F7 when complete
    bool complete;
};

// Cuts raw bytes into SysEx messages, skipping anything outside F0 .. F7.
void splitMessages(const uint8_t* bytes, std::size_t size, std::vector<MessageSpan>& out) {
    std::size_t i = 0;
    while (i < size) {
        if (bytes[i] != kSysexStart) {
            ++i;
            continue;
        }
        std::size_t end = i + 1;
        while (end < size && bytes[end] < 0x80) ++end;
        const bool complete = end < size && bytes[end] == kSysexEnd;
        out.push_back({bytes + i, (complete ? end + 1 : end) - i, complete});
        i = complete ? end + 1 : end;
    }
}

enum class Kind { Unknown, Gs, Xg, Mts1, Mts2, MtsNote, MtsBulk };

// The dialect of a message from the bytes that tell them apart, whatever its
// length: GS F0 41 dev 42 12 40 1x 40, XG F0 43 1n 4C 08 pp 41..4C,
// MTS F0 7E|7F dev 08 08|09|02|01.
Kind recognise(const MessageSpan& m) {
    const uint8_t* b = m.bytes;
    if (m.size >= 8 && b[1] == 0x41 && b[3] == 0x42 && b[4] == 0x12 && b[5] == 0x40 &&
        (b[6] & 0xF0) == 0x10 && b[7] == 0x40)
        return Kind::Gs;
    if (m.size >= 7 && b[1] == 0x43 && (b[2] & 0xF0) == 0x10 && b[3] == 0x4C && b[4] == 0x08 &&
        b[6] >= 0x41 && b[6] <= 0x4C)
        return Kind::Xg;
    if (m.size < 5 || (b[1] != 0x7E && b[1] != 0x7F) || b[3] != 0x08) return Kind::Unknown;
    switch (b[4]) {
    case 0x08: return Kind::Mts1;
    case 0x09: return Kind::Mts2;
    case 0x02: return Kind::MtsNote;
    case 0x01: return Kind::MtsBulk;
    default: return Kind::Unknown;
    }
}

std::size_t expectedSize(Kind kind, const MessageSpan& m) {
    switch (kind) {
    case Kind::Gs: return kGsMessageSize;
    case Kind::Xg: return kXgMessageSize;
    case Kind::Mts1: return kGm2MessageSize;
    case Kind::Mts2: return kMts2ByteMessageSize;
    case Kind::MtsNote: return m.size >= 7 ? 8 + 4 * std::size_t{m.bytes[6]} : 8;
    case Kind::MtsBulk: return kBulkDumpSize;
    default: return 0;
    }
}

// Messages of one group can be read together; the first message's group is
// the file's.
enum class Group { Gs, Xg, Gm2Channels, Gm2Keys };

Group groupOf(Kind kind) {
    switch (kind) {
    case Kind::Gs: return Group::Gs;
    case Kind::Xg: return Group::Xg;
    case Kind::MtsNote:
    case Kind::MtsBulk: return Group::Gm2Keys;
    default: return Group::Gm2Channels;
    }
}

const char* groupName(Group group) {
    switch (group) {
    case Group::Gs: return "GS";
    case Group::Xg: return "XG";
    case Group::Gm2Channels: return "GM2";
    default: return "GM2 single-note and bulk dump";
    }
}

MtsForm formOf(Kind kind) {
    switch (kind) {
    case Kind::Mts2: return MtsForm::ScaleOctave2Byte;
    case Kind::MtsNote: return MtsForm::SingleNote;
    case Kind::MtsBulk: return MtsForm::BulkDump;
    default: return MtsForm::ScaleOctave1Byte;
    }
}

int gsPartOfBlock(uint8_t block) {
    const int low = block & 0x0F;
    if (low == 0) return 10;
    return low < 10 ? low : low + 1;
}

uint16_t mtsChannels(const uint8_t* b) {
    return static_cast<uint16_t>((b[5] & 0x03) << 14 | (b[6] & 0x7F) << 7 | (b[7] & 0x7F));
}

int32_t mts2Cents(uint8_t msb, uint8_t lsb) {
    const int value = (msb << 7 | lsb) - 0x2000;
    return static_cast<int32_t>(std::round(value * 100.0 / 8192.0));
}

std::string listOf(uint16_t mask, int firstNumber, bool names) {
    std::string text;
    for (int i = 0; i < 16; ++i) {
        if (!(mask & (1u << i))) continue;
        if (!text.empty()) text += ", ";
        text += names ? pitchClassName(i) : std::to_string(i + firstNumber);
    }
    return text;
}

constexpr int kKeyCount = 128;
constexpr int32_t kStepsPerSemitone = 16384;
constexpr int kMiddleC = 60;

// The cents of a key's tuning (semitone and 14-bit fraction) above the key
// itself, to the nearest; halves away from zero.
int32_t keyCents(int key, int32_t tuning) {
    return static_cast<int32_t>(std::lround((tuning - key * kStepsPerSemitone) * 100.0 / kStepsPerSemitone));
}

// Tuning program select per channel, followed through registered parameters
// 3 and 4 as a synthesizer would.
class ProgramSelects {
public:
    void control(uint8_t status, uint8_t controller, uint8_t value) {
        Channel& channel = channels_[status & 0x0F];
        if (controller == 101) channel.parameterMsb = value;
        if (controller == 100) channel.parameterLsb = value;
        if (controller != 6 || channel.parameterMsb != 0) return;
        if (channel.parameterLsb == 3) {
            channel.selected = true;
            channel.program = value;
        } else if (channel.parameterLsb == 4) {
            channel.bank = value;
        }
    }
    uint16_t channelsSelecting(uint8_t program) const {
        uint16_t channels = 0;
        for (int n = 0; n < 16; ++n)
            if (channels_[n].selected && channels_[n].program == program && channels_[n].bank == 0)
                channels |= static_cast<uint16_t>(1u << n);
        return channels;
    }

private:
    struct Channel {
        uint8_t parameterMsb = 127;
        uint8_t parameterLsb = 127;
        bool selected = false;
        uint8_t program = 0;
        uint8_t bank = 0;
    };
    Channel channels_[16];
};

class TuningCollector {
public:
    void add(const MessageSpan& message, std::size_t number) {
        const Kind kind = recognise(message);
        if (kind == Kind::Unknown) return;
        if (!message.complete || message.size != expectedSize(kind, message)) {
            if (firstTruncated_ == 0) firstTruncated_ = number;
            warn(TuningWarningKind::IncompleteMessage, 0, 0, number,
                 "Tuning message " + std::to_string(number) + " is cut short and was skipped.");
            return;
        }
        const Group group = groupOf(kind);
        if (!haveGroup_) {
            haveGroup_ = true;
            group_ = group;
            form_ = formOf(kind);
        } else if (group != group_) {
            if (!(ignoredGroups_ & (1u << static_cast<int>(group)))) {
                ignoredGroups_ |= 1u << static_cast<int>(group);
                warn(TuningWarningKind::OtherFormatIgnored, 0, 0, number,
                     std::string(groupName(group)) + " messages were skipped: the file's first "
                     "tuning message is " + groupName(group_) + ".");
            }
            return;
        }
        const uint8_t* b = message.bytes;
        switch (kind) {
        case Kind::Gs:
            if (rolandChecksum(b + 5, 15) != b[20]) {
                warn(TuningWarningKind::BadChecksum, 0, 0, number,
                     "GS message " + std::to_string(number) +
                         " has a wrong checksum and was skipped.");
                return;
            }
            setAll(gsPartOfBlock(b[6]) - 1, b + 8);
            break;
        case Kind::Xg:
            if (b[5] > 15) {
                if (!xgPartOutOfRangeWarned_) {
                    xgPartOutOfRangeWarned_ = true;
                    warn(TuningWarningKind::PartOutOfRange, 0, 0, number,
                         "Messages for XG parts above 16 were skipped.");
                }
                return;
            }
            set(b[5], b[6] - 0x41, b[7] - 64);
            break;
        case Kind::Mts1:
        case Kind::Mts2: {
            const uint16_t channels = mtsChannels(b);
            for (int part = 0; part < 16; ++part) {
                if (!(channels & (1u << part))) continue;
                if (kind == Kind::Mts1) {
                    setAll(part, b + 8);
                    continue;
                }
                for (int k = 0; k < 12; ++k)
                    set(part, k, mts2Cents(b[8 + 2 * k], b[9 + 2 * k]));
            }
            break;
        }
        case Kind::MtsNote:
            if (!acceptProgram(b[5], number)) return;
            for (std::size_t i = 0; i < b[6]; ++i) setKey(b[7 + 4 * i], b + 8 + 4 * i);
            break;
        case Kind::MtsBulk: {
            uint8_t checksum = 0;
            for (std::size_t i = 1; i < kBulkDumpSize - 2; ++i) checksum ^= b[i];
            if ((checksum & 0x7F) != b[kBulkDumpSize - 2]) {
                warn(TuningWarningKind::BadChecksum, 0, 0, number,
                     "Bulk dump " + std::to_string(number) + " has a wrong checksum and was skipped.");
                return;
            }
            if (!acceptProgram(b[5], number)) return;
            for (int key = 0; key < kKeyCount; ++key) setKey(key, b + 22 + 3 * key);
            break;
        }
        default:
            break;
        }
    }

    void control(uint8_t status, uint8_t controller, uint8_t value) {
        programSelects_.control(status, controller, value);
    }

    void finish(TuningReadResult& result) {
        uint16_t present = 0;
        for (int part = 0; part < 16; ++part)
            if (parts_[part].received) present |= static_cast<uint16_t>(1u << part);
        if (present == 0 && !anyKey_) {
            if (firstTruncated_ != 0) {
                result.error = TuningReadError::Truncated;
                result.messageNumber = firstTruncated_;
                result.message = "Tuning message " + std::to_string(firstTruncated_) +
                                 " is cut short, and the file holds no complete one.";
            } else {
                result.error = TuningReadError::NoTuningMessage;
                result.message = "The file holds no scale-tuning message.";
            }
            result.warnings = std::move(warnings_);
            return;
        }

        result.format = group_ == Group::Gs   ? TuningFormat::GS
                        : group_ == Group::Xg ? TuningFormat::XG
                                              : TuningFormat::GM2;
        if (result.format == TuningFormat::GM2) result.mtsForm = form_;
        if (group_ == Group::Gm2Keys) {
            finishKeys(result);
            return;
        }
        const char* partWord = result.format == TuningFormat::GM2 ? "Channel" : "Part";
        for (int part = 0; part < 16; ++part) {
            const PartState& state = parts_[part];
            if (!state.received || state.received == kAllPitchClasses) continue;
            const uint16_t missing = static_cast<uint16_t>(~state.received & kAllPitchClasses);
            warn(TuningWarningKind::IncompletePart, static_cast<uint16_t>(1u << part), missing, 0,
                 std::string(partWord) + " " + std::to_string(part + 1) +
                     " has no value for " + listOf(missing, 0, true) + "; read as 0.");
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
        if (others)
            warn(TuningWarningKind::OtherPartsDiffer, others, 0, 0,
                 std::string(partWord) + (others & (others - 1) ? "s " : " ") +
                     listOf(others, 1, false) + " carry other offsets than " +
                     (result.format == TuningFormat::GM2 ? "channel " : "part ") +
                     std::to_string(lowest + 1) + " and were left out.");
        result.warnings = std::move(warnings_);
    }

private:
    struct PartState {
        std::array<int32_t, 12> offsets{};
        uint16_t received = 0;
    };

    void set(int part, int pitchClass, int32_t offset) {
        parts_[part].offsets[pitchClass] = offset;
        parts_[part].received |= static_cast<uint16_t>(1u << pitchClass);
    }
    void setAll(int part, const uint8_t* data) {
        for (int k = 0; k < 12; ++k) set(part, k, data[k] - 64);
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
            warn(TuningWarningKind::OtherProgramIgnored, 0, 0, number,
                 "Messages for other tuning programs than " + std::to_string(program_) +
                     " were skipped.");
        }
        return false;
    }
    void setKey(uint8_t key, const uint8_t* tuning) {
        if (key >= kKeyCount || (tuning[0] == 0x7F && tuning[1] == 0x7F && tuning[2] == 0x7F)) return;
        keys_[key] = tuning[0] << 14 | tuning[1] << 7 | tuning[2];
        keyReceived_[key] = true;
        anyKey_ = true;
    }

    void finishKeys(TuningReadResult& result) {
        result.program = program_;
        std::array<int32_t, 12> offsets{};
        uint16_t missing = 0;
        for (int k = 0; k < 12; ++k) {
            const int key = kMiddleC + k;
            if (keyReceived_[key])
                offsets[k] = keyCents(key, keys_[key]);
            else
                missing |= static_cast<uint16_t>(1u << k);
        }
        if (missing)
            warn(TuningWarningKind::IncompleteKeys, 0, missing, 0,
                 "Keys 60-71 have no value for " + listOf(missing, 0, true) + "; read as 0.");
        holdOffsets(offsets, result);

        // A key beyond 0..127 is sent as the nearest semitone; within half a
        // step of the 14-bit fraction a key agrees.
        uint16_t differ = 0;
        for (int key = 0; key < kKeyCount; ++key) {
            if (!keyReceived_[key] || (key >= kMiddleC && key < kMiddleC + 12)) continue;
            const int32_t target = key * kStepsPerSemitone +
                static_cast<int32_t>(std::lround(offsets[key % 12] * kStepsPerSemitone / 100.0));
            const int32_t expected = std::clamp(target, 0, (kKeyCount - 1) * kStepsPerSemitone);
            if (std::abs(keys_[key] - expected) * 200 > kStepsPerSemitone)
                differ |= static_cast<uint16_t>(1u << (key % 12));
        }
        if (differ)
            warn(TuningWarningKind::OtherOctavesDiffer, 0, differ, 0,
                 "Keys outside 60-71 are tuned otherwise for " + listOf(differ, 0, true) +
                     "; keys 60-71 were read.");
        result.parts = programSelects_.channelsSelecting(program_);
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
        if (held)
            warn(TuningWarningKind::OffsetsHeld, 0, held, 0,
                 "Offsets beyond -64..63 were held at the limit: " + listOf(held, 0, true) + ".");
    }

    void warn(TuningWarningKind kind, uint16_t parts, uint16_t pitchClasses, std::size_t number,
              std::string text) {
        warnings_.push_back({kind, parts, pitchClasses, number, std::move(text)});
    }

    PartState parts_[16];
    int32_t keys_[kKeyCount] = {};
    bool keyReceived_[kKeyCount] = {};
    bool anyKey_ = false;
    uint8_t program_ = 0;
    bool haveProgram_ = false;
    bool otherProgramWarned_ = false;
    ProgramSelects programSelects_;
    std::vector<TuningReadWarning> warnings_;
    Group group_ = Group::Gs;
    MtsForm form_ = MtsForm::ScaleOctave1Byte;
    bool haveGroup_ = false;
    unsigned ignoredGroups_ = 0;
    bool xgPartOutOfRangeWarned_ = false;
    std::size_t firstTruncated_ = 0;
};

// Complete control changes (Bn cc vv) in raw bytes, for the collector.
void scanControlChanges(const uint8_t* bytes, std::size_t size, TuningCollector& collector) {
    for (std::size_t i = 0; i + 2 < size; ++i)
        if ((bytes[i] & 0xF0) == 0xB0 && bytes[i + 1] < 0x80 && bytes[i + 2] < 0x80)
            collector.control(bytes[i], bytes[i + 1], bytes[i + 2]);
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
            result.message = "Line " + std::to_string(line) +
                             ": the text holds something other than pairs of hex digits.";
            return false;
        }
        out.push_back(static_cast<uint8_t>(high << 4 | low));
        i = end;
    }
    return true;
}

char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool endsWithNoCase(std::string_view text, std::string_view suffix) {
    if (text.size() < suffix.size()) return false;
    text.remove_prefix(text.size() - suffix.size());
    for (std::size_t i = 0; i < suffix.size(); ++i)
        if (lowerAscii(text[i]) != suffix[i]) return false;
    return true;
}

}  // namespace

TuningFileKind tuningFileKindFromName(std::string_view fileName) {
    if (endsWithNoCase(fileName, ".syx")) return TuningFileKind::Syx;
    if (endsWithNoCase(fileName, ".mid")) return TuningFileKind::Mid;
    if (endsWithNoCase(fileName, ".txt")) return TuningFileKind::Txt;
    if (endsWithNoCase(fileName, ".scl")) return TuningFileKind::Scl;
    return TuningFileKind::Unknown;
}

ScaleOffsets TuningReadResult::scaleOffsets() const {
    ScaleOffsets result;
    for (int k = 0; k < 12; ++k) result[k] = offsets[k];
    return result;
}

TuningReadResult readTuningFile(TuningFileKind kind, const uint8_t* bytes, std::size_t size) {
    TuningReadResult result;
    if (size > kMaxTuningFileBytes) {
        result.error = TuningReadError::FileTooLarge;
        result.message = "The file is larger than 1 MiB.";
        return result;
    }

    std::vector<MessageSpan> messages;
    std::vector<uint8_t> decoded;
    SmfSysexResult smf;
    TuningCollector collector;
    switch (kind) {
    case TuningFileKind::Syx:
        splitMessages(bytes, size, messages);
        scanControlChanges(bytes, size, collector);
        break;
    case TuningFileKind::Txt:
        if (!decodeHexText(bytes, size, decoded, result)) return result;
        splitMessages(decoded.data(), decoded.size(), messages);
        scanControlChanges(decoded.data(), decoded.size(), collector);
        break;
    case TuningFileKind::Mid:
        smf = readSmfSysex(bytes, size);
        if (!smf.ok()) {
            result.error = smf.error == SmfError::NotMidiFile ? TuningReadError::NotMidiFile
                                                               : TuningReadError::MalformedMidiFile;
            result.byteOffset = smf.byteOffset;
            result.message = smf.message;
            return result;
        }
        // An event's bytes go through the same cutting as a .syx, so an event
        // without its F7 counts as cut short.
        for (const std::vector<uint8_t>& event : smf.messages) {
            if (event[0] == kSysexStart)
                splitMessages(event.data(), event.size(), messages);
            else
                collector.control(event[0], event[1], event[2]);
        }
        break;
    default:
        result.error = TuningReadError::UnsupportedKind;
        result.message = "Only .syx, .mid and .txt files hold tuning messages.";
        return result;
    }

    for (std::size_t i = 0; i < messages.size(); ++i) collector.add(messages[i], i + 1);
    collector.finish(result);
    return result;
}
