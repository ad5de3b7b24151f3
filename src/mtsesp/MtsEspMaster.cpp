#include "mtsesp/MtsEspMaster.h"

#include <utility>

MtsEspMaster::MtsEspMaster(const MtsEspFunctions& functions) : functions_(functions) {}

MtsEspMaster::~MtsEspMaster() { stop(); }

MtsEspStart MtsEspMaster::registerIfFree() {
    if (functions_.hasMaster()) {
        const bool shared = functions_.hasIpc && functions_.hasIpc();
        return shared && functions_.reinitialize ? MtsEspStart::MasterMayHaveCrashed : MtsEspStart::AnotherMaster;
    }
    functions_.registerMaster(nullptr);
    registered_ = true;
    sent_.reset();
    return MtsEspStart::Registered;
}

MtsEspStart MtsEspMaster::start() {
    if (registered_) return MtsEspStart::Registered;
    if (!canServeAsMaster(functions_)) return MtsEspStart::NoLibrary;
    return registerIfFree();
}

MtsEspStart MtsEspMaster::resetAndStart() {
    if (registered_) return MtsEspStart::Registered;
    if (!canServeAsMaster(functions_)) return MtsEspStart::NoLibrary;
    if (functions_.reinitialize) functions_.reinitialize();
    return registerIfFree();
}

void MtsEspMaster::stop() {
    if (!registered_) return;
    registered_ = false;
    sent_.reset();
    functions_.deregisterMaster();
}

void MtsEspMaster::publish(const MtsEspKeyTable& table) {
    if (!registered_) return;
    const MtsEspPublication publication = mtsEspPublication(table);
    // Forgotten while sending: should anything throw on the way, the next
    // publication sends everything again.
    const std::optional<MtsEspPublication> previous = std::move(sent_);
    sent_.reset();
    const MtsEspPublication* const last = previous ? &*previous : nullptr;
    sendKeys(publication, last);
    sendFilters(publication, last);
    if (functions_.setScaleName && (!last || last->scaleName != publication.scaleName))
        functions_.setScaleName(publication.scaleName.c_str());
    sendMap(publication, last);
    sent_ = publication;
}

void MtsEspMaster::sendKeys(const MtsEspPublication& publication, const MtsEspPublication* last) {
    if (last && last->hz == publication.hz) return;
    if (functions_.setNoteTunings) {
        functions_.setNoteTunings(publication.hz.data());
        return;
    }
    for (int key = 0; key < kMtsEspKeyCount; ++key)
        if (!last || last->hz[key] != publication.hz[key])
            functions_.setNoteTuning(publication.hz[key], static_cast<char>(key));
}

void MtsEspMaster::sendFilters(const MtsEspPublication& publication, const MtsEspPublication* last) {
    if (!functions_.filterNote || (last && last->filtered == publication.filtered)) return;
    const bool cleared = functions_.clearNoteFilter != nullptr;
    if (cleared) {
        functions_.clearNoteFilter();
    } else if (last) {
        for (int key = 0; key < kMtsEspKeyCount; ++key)
            if (last->filtered.test(key) && !publication.filtered.test(key))
                functions_.filterNote(false, static_cast<char>(key), -1);
    }
    for (int key = 0; key < kMtsEspKeyCount; ++key)
        if (publication.filtered.test(key) && (cleared || !last || !last->filtered.test(key)))
            functions_.filterNote(true, static_cast<char>(key), -1);
}

void MtsEspMaster::sendMap(const MtsEspPublication& publication, const MtsEspPublication* last) {
    if (functions_.setPeriodRatio && publication.periodRatio && (!last || last->periodRatio != publication.periodRatio))
        functions_.setPeriodRatio(*publication.periodRatio);
    if (functions_.setMapSize && publication.mapSize && (!last || last->mapSize != publication.mapSize))
        functions_.setMapSize(static_cast<signed char>(*publication.mapSize));
    if (functions_.setMapStartKey && publication.mapStartKey && (!last || last->mapStartKey != publication.mapStartKey))
        functions_.setMapStartKey(static_cast<signed char>(*publication.mapStartKey));
    if (functions_.setRefKey && (!last || last->referenceKey != publication.referenceKey))
        functions_.setRefKey(static_cast<signed char>(publication.referenceKey));
}

std::optional<int> MtsEspMaster::clientCount() const {
    if (!functions_.clientCount) return std::nullopt;
    return functions_.clientCount();
}

std::optional<int> MtsEspMaster::libraryVersion() const {
    if (!functions_.versionNumber) return std::nullopt;
    return functions_.versionNumber();
}
