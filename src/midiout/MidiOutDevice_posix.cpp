#include "midiout/MidiOutDevice.h"

namespace {

// No MIDI output implementation on this platform: listing says so, opening
// fails as a system without a driver would.
class NoMidiOut final : public MidiOutSystem {
public:
    MidiDeviceList listDevices() override { return {}; }
    std::unique_ptr<MidiOutDevice> open(unsigned, MidiError& error) override {
        error = kMidiNoDriver;
        return nullptr;
    }
    std::string errorText(MidiError) override { return {}; }
};

}  // namespace

MidiOutSystem& platformMidiOut() {
    static NoMidiOut system;
    return system;
}
