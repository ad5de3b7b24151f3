// The retuning engine on any stream: options and a tuning from the first
// bytes, then messages from a player (most of them whole, some not), resets,
// tuning and listing changes and set-ups, then a stop. Every message the
// engine sends must be whole (a status byte and exactly its data bytes,
// each below 80 hex; a SysEx from F0 to F7), and after the stop no note may
// sound on any channel. What sounds is followed here from the engine's
// output alone, as a receiver would: keys down, the sustain pedal holding
// released keys, the sostenuto pedal holding the keys down when it went down.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "retune/RetuneEngine.h"

namespace {

class Bytes {
public:
    Bytes(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool more() const { return at_ < size_; }
    uint8_t next() { return at_ < size_ ? data_[at_++] : 0; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

struct Receiver : MidiSink {
    struct Channel {
        std::array<int, 128> down{};
        std::array<bool, 128> sustained{};
        std::array<bool, 128> caught{};
        bool sustain = false;
        bool sostenuto = false;
    };
    std::array<Channel, 16> channels;

    static bool data(uint8_t byte) { return byte < 0x80; }

    void send(const uint8_t* m, std::size_t size) override {
        if (size == 0) std::abort();
        if (m[0] == 0xF0) {
            if (size < 2 || m[size - 1] != 0xF7) std::abort();
            for (std::size_t i = 1; i + 1 < size; ++i)
                if (!data(m[i])) std::abort();
            if (isReset(m, size))
                for (Channel& c : channels) c.sustain = c.sostenuto = false;
            return;
        }
        if (m[0] < 0x80 || m[0] == 0xF7) std::abort();
        const std::size_t count = m[0] >= 0xF0 ? (m[0] == 0xF2 ? 2 : m[0] == 0xF1 || m[0] == 0xF3 ? 1 : 0)
                                  : (m[0] & 0xF0) == 0xC0 || (m[0] & 0xF0) == 0xD0 ? 1
                                                                                    : 2;
        if (size != 1 + count) std::abort();
        for (std::size_t i = 1; i < size; ++i)
            if (!data(m[i])) std::abort();
        if (m[0] >= 0xF0) return;
        Channel& c = channels[m[0] & 0x0F];
        const int kind = m[0] & 0xF0;
        if (kind == 0x90 && m[2] != 0) {
            ++c.down[m[1]];
            c.sustained[m[1]] = false;
        } else if ((kind == 0x80 || kind == 0x90) && c.down[m[1]] > 0) {
            if (--c.down[m[1]] == 0 && c.sustain) c.sustained[m[1]] = true;
        } else if (kind == 0xB0) {
            control(c, m[1], m[2]);
        }
    }

    static void control(Channel& c, uint8_t controller, uint8_t value) {
        switch (controller) {
        case 64:
            c.sustain = value >= 64;
            if (!c.sustain) c.sustained.fill(false);
            break;
        case 66:
            if (value < 64) {
                c.sostenuto = false;
                c.caught.fill(false);
            } else if (!c.sostenuto) {
                c.sostenuto = true;
                for (int key = 0; key < 128; ++key) c.caught[key] = c.down[key] > 0;
            }
            break;
        case 120:
        case 123:
            for (int key = 0; key < 128; ++key) {
                if (c.down[key] > 0 && c.sustain) c.sustained[key] = true;
                c.down[key] = 0;
            }
            if (controller == 120) {
                c.sustained.fill(false);
                c.caught.fill(false);
            }
            break;
        case 121:
            c.sustain = c.sostenuto = false;
            c.sustained.fill(false);
            c.caught.fill(false);
            break;
        default: break;
        }
    }

    // The resets the engine's player sends: GS Reset, XG System On, GM and GM2 System On.
    static bool isReset(const uint8_t* m, std::size_t size) {
        if (size == 11) return m[1] == 0x41 && m[3] == 0x42 && m[4] == 0x12 && m[5] == 0x40 && m[6] == 0 && m[7] == 0x7F;
        if (size == 9) return m[1] == 0x43 && (m[2] & 0xF0) == 0x10 && m[3] == 0x4C && m[4] == 0 && m[5] == 0 && m[6] == 0x7E;
        if (size == 6) return m[1] == 0x7E && m[3] == 0x09 && (m[4] == 0x01 || m[4] == 0x03);
        return false;
    }

    bool silent() const {
        for (const Channel& c : channels)
            for (int key = 0; key < 128; ++key)
                if (c.down[key] > 0 || c.sustained[key] || c.caught[key]) return false;
        return true;
    }
};

RetuneTuning tuningFrom(Bytes& in) {
    RetuneTuning tuning;
    tuning.nearestKeys = in.next() & 1;
    const double spread = tuning.nearestKeys ? 40 : 1;
    const uint8_t seed = in.next();
    for (int key = 0; key < 128; ++key)
        tuning.keyCents[key] = ((key * 37 + seed * 11) % 201 - 100) * spread + (seed & 3) * 0.25;
    return tuning;
}

std::vector<uint8_t> messageFrom(Bytes& in) {
    const uint8_t pick = in.next();
    const uint8_t channel = in.next() & 0x0F;
    switch (pick % 12) {
    case 0: return {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7};
    case 1: return {0xF0, 0x43, 0x10, 0x4C, 0x00, 0x00, 0x7E, 0x00, 0xF7};
    case 2: return {0xF0, 0x7E, 0x7F, 0x09, static_cast<uint8_t>(pick & 0x80 ? 0x03 : 0x01), 0xF7};
    case 3: {
        // Anything, whole or not.
        std::vector<uint8_t> bytes(1 + in.next() % 4);
        for (uint8_t& byte : bytes) byte = in.next();
        return bytes;
    }
    case 4: {
        static const uint8_t controllers[] = {64, 66, 120, 121, 123, 7, 0, 32, 101, 100, 6, 38, 99, 98, 10, 11};
        return {static_cast<uint8_t>(0xB0 | channel), controllers[in.next() % 16], static_cast<uint8_t>(in.next() & 0x7F)};
    }
    default: {
        static const uint8_t kinds[] = {0x90, 0x90, 0x80, 0xA0, 0xC0, 0xD0, 0xE0};
        const uint8_t kind = kinds[pick % 7];
        std::vector<uint8_t> message = {static_cast<uint8_t>(kind | channel), static_cast<uint8_t>(in.next() & 0x7F)};
        if (kind != 0xC0 && kind != 0xD0) message.push_back(static_cast<uint8_t>(in.next() & 0x7F));
        return message;
    }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Bytes in(data, size);
    RetuneOptions options;
    const uint8_t pick = in.next();
    options.method = static_cast<RetuneMethod>(pick % 3);
    options.untouchedChannels = pick & 0x04 ? kDrumChannels : static_cast<uint16_t>(in.next() << 8 | in.next());
    options.outputChannels = pick & 0x08 ? 0xFFFF : static_cast<uint16_t>(in.next() << 8 | in.next());
    options.bendRange = in.next() % (kMaxBendRange + 1);
    options.mpeMemberChannels = in.next() % (kMaxMpeMemberChannels + 2);
    options.mpeBendRange = in.next() % (kMaxMpeBendRange + 2);
    options.setUpWhenAsked = pick & 0x10;
    RetuneEngine engine(options, tuningFrom(in));
    Receiver receiver;
    const uint8_t listing[] = {0xF0, 0x43, 0x10, 0x4C, 0x08, 0x00, 0x41, 0x46, 0xF7, 0x91, 0x3C, 0x40, 0xB0, 0x40, 0x7F};
    engine.setListing(listing, pick & 0x20 ? sizeof listing : 9, receiver);
    engine.start(receiver);
    uint64_t time = 0;
    while (in.more()) {
        const uint8_t action = in.next();
        time += action & 0x03;
        if (action < 0xF0) {
            const std::vector<uint8_t> message = messageFrom(in);
            engine.process(message.data(), message.size(), time, receiver);
        } else if (action < 0xF8) {
            engine.setTuning(tuningFrom(in), receiver);
        } else if (action < 0xFC) {
            engine.setListing(data, std::min<size_t>(in.next() % 32, size), receiver);
        } else {
            engine.setUp(receiver);
        }
    }
    engine.stop(receiver);
    if (!receiver.silent() || engine.statistics().notesHeld != 0) std::abort();
    return 0;
}
