#include "tuning/OpenedFiles.h"

#include "midi/SmfReader.h"

bool midiFileHasNotes(const uint8_t* bytes, std::size_t size) {
    SmfLayout layout;
    if (!readSmfLayout(bytes, size, layout).ok()) return false;
    bool notes = false;
    forEachTrackEvent(bytes, layout, [&](uint32_t, const TrackEvent& event) { notes = notes || event.isNoteOn(bytes); });
    return notes;
}

bool roleNeedsBytes(std::string_view name) { return tuningFileKindFromName(name) == TuningFileKind::Mid; }

FileRole fileRoleOf(std::string_view name, const uint8_t* bytes, std::size_t size) {
    switch (tuningFileKindFromName(name)) {
    case TuningFileKind::Scl: return FileRole::ScalaScale;
    case TuningFileKind::Syx:
    case TuningFileKind::Txt: return FileRole::TuningFile;
    case TuningFileKind::Mid: return midiFileHasNotes(bytes, size) ? FileRole::Song : FileRole::TuningFile;
    case TuningFileKind::Unknown: break;
    }
    return FileRole::Unsupported;
}

OpenedTuningFile openTuningFile(FileSystem& fileSystem, const std::string& path) {
    OpenedTuningFile opened;
    std::string bytes;
    opened.load = loadFileBytes(fileSystem, path, kMaxTuningFileBytes, bytes);
    if (opened.load.ok())
        opened.read = readTuningFile(tuningFileKindFromName(path), reinterpret_cast<const uint8_t*>(bytes.data()),
                                     bytes.size());
    return opened;
}
