// The three save commands of the main window: a Standard MIDI File, the raw
// SysEx bytes and the hex listing as text.
#pragma once

#include <windows.h>

#include "output/ByteBuffer.h"

// The string-table filter with every line feed turned into NUL, so it ends in
// the two NULs the save-file dialog needs. False, buffer untouched, when the
// string is missing or empty.
bool buildFileFilter(UINT stringId, ByteBuffer& filter);

void saveAsSmf();
void saveAsBinary();
void saveAsText();
