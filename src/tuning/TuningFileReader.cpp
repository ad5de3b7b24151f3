#include "tuning/TuningFileReader.h"

#include <cmath>

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

enum class Kind { Unknown, Gs, Xg, Mts1, Mts2 };

// The dialect of a message from the bytes that tell them apart, whatever its
// length: GS F0 41 dev 42 12 40 1x 40, XG F0 43 1n 4C 08 pp 41..4C,
// MTS F0 7E|7F dev 08 08|09.
Kind recognise(const MessageSpan& m) {
    const uint8_t* b = m.bytes;
    if (m.size >= 8 && b[1] == 0x41 && b[3] == 0x42 && b[4] == 0x12 && b[5] == 0x40 &&
        (b[6] & 0xF0) == 0x10 && b[7] == 0x40)
        return Kind::Gs;
    if (m.size >= 7 && b[1] == 0x43 && (b[2] & 0xF0) == 0x10 && b[3] == 0x4C && b[4] == 0x08 &&
        b[6] >= 0x41 && b[6] <= 0x4C)
        return Kind::Xg;
    if (m.size >= 5 && (b[1] == 0x7E || b[1] == 0x7F) && b[3] == 0x08 && b[4] == 0x08)
        return Kind::Mts1;
    if (m.size >= 5 && (b[1] == 0x7E || b[1] == 0x7F) && b[3] == 0x08 && b[4] == 0x09)
        return Kind::Mts2;
    return Kind::Unknown;
}

std::size_t expectedSize(Kind kind) {
    switch (kind) {
    case Kind::Gs: return kGsMessageSize;
    case Kind::Xg: return kXgMessageSize;
    case Kind::Mts1: return kGm2MessageSize;
    case Kind::Mts2: return 33;
    default: return 0;
    }
}

TuningFormat formatOf(Kind kind) {
    switch (kind) {
    case Kind::Gs: return TuningFormat::GS;
    case Kind::Xg: return TuningFormat::XG;
    default: return TuningFormat::GM2;
    }
}

const char* formatName(TuningFormat format) {
    switch (format) {
    case TuningFormat::GS: return "GS";
    case TuningFormat::XG: return "XG";
    default: return "GM2";
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

class TuningCollector {
public:
    void add(const MessageSpan& message, std::size_t number) {
        const Kind kind = recognise(message);
        if (kind == Kind::Unknown) return;
        if (!message.complete || message.size != expectedSize(kind)) {
            if (firstTruncated_ == 0) firstTruncated_ = number;
            warn(TuningWarningKind::IncompleteMessage, 0, 0, number,
                 "Tuning message " + std::to_string(number) + " is cut short and was skipped.");
            return;
        }
        const TuningFormat format = formatOf(kind);
        if (!haveFormat_) {
            haveFormat_ = true;
            format_ = format;
        } else if (format != format_) {
            if (!(ignoredFormats_ & (1u << static_cast<int>(format)))) {
                ignoredFormats_ |= 1u << static_cast<int>(format);
                warn(TuningWarningKind::OtherFormatIgnored, 0, 0, number,
                     std::string(formatName(format)) + " messages were skipped: the file's first "
                     "tuning message is " + formatName(format_) + ".");
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
        default:
            break;
        }
    }

    void finish(TuningReadResult& result) {
        uint16_t present = 0;
        for (int part = 0; part < 16; ++part)
            if (parts_[part].received) present |= static_cast<uint16_t>(1u << part);
        if (present == 0) {
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

        result.format = format_;
        const char* partWord = format_ == TuningFormat::GM2 ? "Channel" : "Part";
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
        for (int k = 0; k < 12; ++k) {
            const int32_t value = chosen.offsets[k];
            result.offsets[k] = value < -64 ? -64 : value > 63 ? 63 : value;
        }
        uint16_t held = 0;
        for (int k = 0; k < 12; ++k)
            if (result.offsets[k] != chosen.offsets[k]) held |= static_cast<uint16_t>(1u << k);
        if (held)
            warn(TuningWarningKind::OffsetsHeld, 0, held, 0,
                 "Offsets beyond -64..63 were held at the limit: " + listOf(held, 0, true) + ".");
        if (others)
            warn(TuningWarningKind::OtherPartsDiffer, others, 0, 0,
                 std::string(partWord) + (others & (others - 1) ? "s " : " ") +
                     listOf(others, 1, false) + " carry other offsets than " +
                     (format_ == TuningFormat::GM2 ? "channel " : "part ") +
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
    void warn(TuningWarningKind kind, uint16_t parts, uint16_t pitchClasses, std::size_t number,
              std::string text) {
        warnings_.push_back({kind, parts, pitchClasses, number, std::move(text)});
    }

    PartState parts_[16];
    std::vector<TuningReadWarning> warnings_;
    TuningFormat format_ = TuningFormat::GS;
    bool haveFormat_ = false;
    unsigned ignoredFormats_ = 0;
    bool xgPartOutOfRangeWarned_ = false;
    std::size_t firstTruncated_ = 0;
};

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
    switch (kind) {
    case TuningFileKind::Syx:
        splitMessages(bytes, size, messages);
        break;
    case TuningFileKind::Txt:
        if (!decodeHexText(bytes, size, decoded, result)) return result;
        splitMessages(decoded.data(), decoded.size(), messages);
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
        for (const std::vector<uint8_t>& event : smf.messages)
            splitMessages(event.data(), event.size(), messages);
        break;
    default:
        result.error = TuningReadError::UnsupportedKind;
        result.message = "Only .syx, .mid and .txt files hold tuning messages.";
        return result;
    }

    TuningCollector collector;
    for (std::size_t i = 0; i < messages.size(); ++i) collector.add(messages[i], i + 1);
    collector.finish(result);
    return result;
}
