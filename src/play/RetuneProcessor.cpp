#include "play/RetuneProcessor.h"

#include <utility>

namespace {

// Before the start the engine sends nothing.
class NoOutput final : public MidiSink {
public:
    void send(const uint8_t*, std::size_t) override {}
};

}  // namespace

RetuneProcessor::RetuneProcessor(const RetuneOptions& options, const RetuneTuning& tuning)
    : engine_(options, tuning) {}

bool RetuneProcessor::setListing(const uint8_t* listing, std::size_t size) {
    NoOutput nowhere;
    return engine_.setListing(listing, size, nowhere);
}

void RetuneProcessor::start(MidiSink& out) { engine_.start(out); }

void RetuneProcessor::process(const uint8_t* message, std::size_t size, MidiSink& out) {
    engine_.process(message, size, out);
}

void RetuneProcessor::stop(MidiSink& out) { engine_.stop(out); }

bool RetuneProcessor::changeTuning(PlayThrough& play, const RetuneTuning& tuning, std::vector<uint8_t> listing) {
    if (listing.size() > kMaxRetuneListingBytes) return false;
    play.change([this, tuning, listing = std::move(listing)](MidiSink& out) {
        engine_.setTuning(tuning, out);
        engine_.setListing(listing.data(), listing.size(), out);
    });
    return true;
}
