#include "play/PassThroughProcessor.h"

#include "midi/ControlChanges.h"
#include "midi/StatusBytes.h"

namespace {

// What a receiver takes when a device sends no release velocity.
constexpr uint8_t kDefaultReleaseVelocity = 64;

}  // namespace

void PassThroughProcessor::process(const uint8_t* message, std::size_t size, MidiSink& out) {
    out.send(message, size);
    if (size < 3 || !isChannelStatus(message[0]) || !isDataByte(message[1])) return;
    const int channel = channelOf(message[0]);
    const uint8_t kind = channelKind(message[0]);
    if (kind == kNoteOn || kind == kNoteOff)
        sounding_[channel * 128 + message[1]] = kind == kNoteOn && message[2] != 0;
    else if (kind == kControlChange && message[1] == kControllerSustain)
        pedalDown_[channel] = isPedalDown(message[2]);
}

void PassThroughProcessor::stop(MidiSink& out) {
    for (int channel = 0; channel < 16; ++channel)
        for (uint8_t key = 0; key < 128; ++key)
            if (sounding_[channel * 128 + key]) {
                const uint8_t noteOff[] = {channelStatus(kNoteOff, channel), key, kDefaultReleaseVelocity};
                out.send(noteOff, sizeof noteOff);
            }
    for (int channel = 0; channel < 16; ++channel)
        if (pedalDown_[channel]) {
            const uint8_t pedalUp[] = {channelStatus(kControlChange, channel), kControllerSustain, 0};
            out.send(pedalUp, sizeof pedalUp);
        }
    sounding_.reset();
    pedalDown_.reset();
}
