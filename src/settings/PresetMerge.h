// Two running copies of the program share one preset file: each loads it at
// start and writes it at close. So that the second close does not drop what
// the first one saved, the preset file is merged with the file on disk when
// that changed since this copy loaded it.
#pragma once

#include <vector>

#include "base/FileSystem.h"
#include "settings/IniFile.h"

// The presets of `disk` with this copy's own changes applied. A preset is the
// first section of its name (names compare by iniNamesEqual); this copy
// changed it when it was added, deleted or its lines differ between `base`
// (the file as this copy loaded it) and `mine` (the document now). Presets
// this copy changed are taken from `mine`, or left out when it deleted them;
// every other section is taken from `disk`. The order is the order on disk,
// followed by the presets of `mine` that are not on disk, in their order.
std::vector<IniSection> mergePresets(const IniFile& base, const IniFile& disk, const IniFile& mine);

// Saves the preset document as IniFile::save does, but when the file on disk
// is no longer the bytes `presets` was loaded from, writes the merge of the
// file's presets with this copy's changes. A file that cannot be read now is
// not written (its error is returned); one that no longer exists is created.
SystemError savePresetFile(const IniFile& presets, FileSystem& fileSystem = platformFileSystem());
