#include "settings/PresetMerge.h"

#include "base/FileReplacement.h"

namespace {

bool changedByMe(const IniFile& base, const IniFile& mine, const std::string& name) {
    const IniSection* before = base.findSection(name);
    const IniSection* now = mine.findSection(name);
    if (!before || !now) return before != now;
    return before->lines != now->lines;
}

}  // namespace

std::vector<IniSection> mergePresets(const IniFile& base, const IniFile& disk, const IniFile& mine) {
    std::vector<IniSection> merged;
    for (const IniSection& section : disk.sections()) {
        // Later sections of the same name are unreachable duplicates: kept as on disk.
        const bool first = disk.findSection(section.name) == &section;
        if (!first || !changedByMe(base, mine, section.name)) {
            merged.push_back(section);
        } else if (const IniSection* mineSection = mine.findSection(section.name)) {
            merged.push_back(*mineSection);
        }
    }
    for (const IniSection& section : mine.sections()) {
        if (mine.findSection(section.name) != &section || disk.hasSection(section.name)) continue;
        if (changedByMe(base, mine, section.name)) merged.push_back(section);
    }
    return merged;
}

SystemError savePresetFile(const IniFile& presets, FileSystem& fileSystem) {
    if (presets.path().empty() || presets.loadError() != 0) return presets.save(fileSystem);
    std::string onDisk;
    const SystemError error = fileSystem.readWhole(presets.path(), onDisk);
    if (error != 0) return isFileNotFound(error) ? presets.save(fileSystem) : error;
    if (onDisk == presets.loadedBytes()) return presets.save(fileSystem);

    IniFile base;
    base.parse(presets.loadedBytes());
    IniFile disk;
    disk.parse(onDisk);
    IniFile merged;
    merged.assign(mergePresets(base, disk, presets));
    const std::string bytes = merged.serialize();
    return writeFileReplacing(presets.path(), bytes.data(), bytes.size(), fileSystem);
}
