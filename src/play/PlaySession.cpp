#include "play/PlaySession.h"

#include <algorithm>
#include <utility>

RetuneOptions retuneOptionsOf(const PlayChoices& choices) {
    RetuneOptions options;
    options.untouchedChannels = choices.drumsUntouched ? kDrumChannels : 0;
    switch (choices.method) {
    case kPlayMethodTuningMessages: options.method = RetuneMethod::TuningMessages; break;
    case kPlayMethodMpe:
        options.method = RetuneMethod::Mpe;
        options.mpeBendRange =
            choices.bendRange == 0 ? kDefaultMpeBendRange : std::clamp(choices.bendRange, 1, kMaxMpeBendRange);
        break;
    default:
        options.method = RetuneMethod::PitchBend;
        options.bendRange = choices.bendRange == 0 ? 0 : std::clamp(choices.bendRange, kMinBendRange, kMaxBendRange);
        break;
    }
    const uint16_t channels = static_cast<uint16_t>(choices.outputChannels & kPlayAllChannels);
    options.outputChannels = channels == 0 ? 0xFFFF : channels;
    return options;
}

PlaySession::PlaySession(MidiInSystem& inSystem, unsigned inIndex, MidiOutSystem& outSystem, unsigned outIndex,
                         const RetuneOptions& options, const RetuneTuning& tuning,
                         const std::vector<uint8_t>& listing, PlayThrough::Listener listener)
    : sendsListing_(options.method == RetuneMethod::TuningMessages),
      tuning_(tuning),
      listing_(sendsListing_ ? listing : std::vector<uint8_t>{}),
      processor_(options, tuning) {
    processor_.setListing(listing_.data(), listing_.size());
    play_.emplace(inSystem, inIndex, outSystem, outIndex, processor_, std::move(listener));
}

PlaySession::~PlaySession() { stop(); }

void PlaySession::changeTuning(const RetuneTuning& tuning, std::vector<uint8_t> listing) {
    if (!sendsListing_) listing.clear();
    if (tuning.keyCents == tuning_.keyCents && tuning.nearestKeys == tuning_.nearestKeys && listing == listing_) return;
    tuning_ = tuning;
    listing_ = listing;
    if (play_) processor_.changeTuning(*play_, tuning, std::move(listing));
}

void PlaySession::stop() {
    if (play_) play_->stop();
}
